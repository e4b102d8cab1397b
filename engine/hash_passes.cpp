#include "engine/hash_passes.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "engine/search_state.h"
#include "engine/text_order.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

constexpr size_t kCrc32BlockSize = 524288;
constexpr size_t kMd5BlockSize = 1048576;
constexpr size_t kSha1BlockSize = 524288;

std::string lowerHex(const unsigned char* bytes, unsigned length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (unsigned i = 0; i < length; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Feeds the file to update() block by block; false on an open or read error,
// a failed allocation, or a stop request.
template <typename Update>
bool readBlocks(const std::string& path, size_t blockSize, Update update) {
  const UniqueFd file = openForReading(path);
  if (!file.valid()) return false;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[blockSize]);
  if (!block) return false;
  for (;;) {
    if (stopRequested()) return false;
    const ssize_t count = ::read(file.get(), block.get(), blockSize);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (count == 0) return true;
    if (!update(block.get(), static_cast<size_t>(count))) return false;
  }
}

std::optional<std::string> crc32Text(const std::string& path) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const bool ok = readBlocks(path, kCrc32BlockSize, [&](const unsigned char* data, size_t size) {
    crc = crc32_z(crc, data, size);
    return true;
  });
  if (!ok) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc));
  return text;
}

std::optional<std::string> digestText(const std::string& path, const EVP_MD* algorithm, size_t blockSize) {
  std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1) return std::nullopt;
  const bool ok = readBlocks(path, blockSize, [&](const unsigned char* data, size_t size) {
    return EVP_DigestUpdate(context.get(), data, size) == 1;
  });
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  if (!ok || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return std::nullopt;
  return lowerHex(digest, length);
}

}  // namespace

const char* hashKindName(HashKind kind) {
  switch (kind) {
    case HashKind::Crc32:
      return "CRC32";
    case HashKind::Md5:
      return "MD5";
    case HashKind::Sha1:
      break;
  }
  return "SHA1";
}

std::string FileEntry::*hashField(HashKind kind) {
  switch (kind) {
    case HashKind::Crc32:
      return &FileEntry::crc32Hex;
    case HashKind::Md5:
      return &FileEntry::md5Hex;
    case HashKind::Sha1:
      break;
  }
  return &FileEntry::sha1Hex;
}

void waitWhilePaused() {
  while (gPauseFlag.load() == 1 && !stopRequested()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::optional<std::string> fingerprintFile(const std::string& path, HashKind kind) {
  switch (kind) {
    case HashKind::Crc32:
      return crc32Text(path);
    case HashKind::Md5:
      return digestText(path, EVP_md5(), kMd5BlockSize);
    case HashKind::Sha1:
      break;
  }
  return digestText(path, EVP_sha1(), kSha1BlockSize);
}

std::string fingerprintBytes(std::string_view bytes, HashKind kind) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (kind == HashKind::Crc32) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc32_z(crc32(0L, Z_NULL, 0), data, bytes.size())));
    return text;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EVP_Digest(data, bytes.size(), digest, &length, kind == HashKind::Md5 ? EVP_md5() : EVP_sha1(), nullptr);
  return lowerHex(digest, length);
}

void runHashPass(HashKind kind) {
  const auto field = hashField(kind);
  std::vector<FileEntry> readable;
  readable.reserve(gFileEntries.size());
  for (FileEntry& entry : gFileEntries) {
    waitWhilePaused();
    if (stopRequested()) return;
    ++gSearchProgress;
    std::optional<std::string> text = fingerprintFile(entry.filePath, kind);
    if (stopRequested()) return;
    if (!text) continue;
    entry.*field = std::move(*text);
    readable.push_back(std::move(entry));
  }

  // The size is part of the key, so a chance collision between files of
  // different sizes never forms a group. Without one, the order is that of
  // the fingerprint alone.
  const auto before = [field](const FileEntry& a, const FileEntry& b) {
    const int order = compareUtf16(a.*field, b.*field);
    return order != 0 ? order < 0 : a.fileSize < b.fileSize;
  };
  const auto same = [field](const FileEntry& a, const FileEntry& b) {
    return a.fileSize == b.fileSize && a.*field == b.*field;
  };
  std::stable_sort(readable.begin(), readable.end(), before);

  gFileEntries.clear();
  for (size_t i = 0; i < readable.size();) {
    size_t runEnd = i + 1;
    while (runEnd < readable.size() && same(readable[runEnd], readable[i])) ++runEnd;
    if (runEnd - i > 1) {
      for (size_t k = i; k < runEnd; ++k) gFileEntries.push_back(std::move(readable[k]));
    }
    i = runEnd;
  }
}

void hashCrc32Worker() { runHashPass(HashKind::Crc32); }
void hashMd5Worker() { runHashPass(HashKind::Md5); }
void hashSha1Worker() { runHashPass(HashKind::Sha1); }

}  // namespace zandrel
