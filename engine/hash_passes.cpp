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

// Feeds the file to update() block by block. False on an open or read error,
// a failed allocation, a stop request, or when the path no longer names a
// regular file of the size the size pass saw: a device, a pipe or a file that
// keeps growing put in its place must never be read without end. At most
// size + 1 bytes are asked for, and reading ends at the first short block.
template <typename Update>
bool readBlocks(const std::string& path, int64_t size, size_t blockSize, Update update) {
  struct stat status;
  const UniqueFd file = openRegularFile(path, &status);
  if (!file.valid() || size < 0 || status.st_size != size) return false;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[blockSize]);
  if (!block) return false;
  const uint64_t limit = static_cast<uint64_t>(size) + 1;
  uint64_t total = 0;
  for (;;) {
    if (stopRequested()) return false;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(blockSize, limit - total));
    const ssize_t count = ::read(file.get(), block.get(), wanted);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    total += static_cast<uint64_t>(count);
    if (total == limit) return false;  // longer than it was
    if (count > 0 && !update(block.get(), static_cast<size_t>(count))) return false;
    if (static_cast<size_t>(count) < wanted) return total == static_cast<uint64_t>(size);
  }
}

std::optional<std::string> crc32Text(const std::string& path, int64_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const bool ok = readBlocks(path, size, kCrc32BlockSize, [&](const unsigned char* data, size_t size) {
    crc = crc32_z(crc, data, size);
    return true;
  });
  if (!ok) return std::nullopt;
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc));
  return text;
}

std::optional<std::string> digestText(const std::string& path, int64_t size, const EVP_MD* algorithm,
                                      size_t blockSize) {
  std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1) return std::nullopt;
  const bool ok = readBlocks(path, size, blockSize, [&](const unsigned char* data, size_t size) {
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

std::optional<std::string> fingerprintFile(const std::string& path, int64_t size, HashKind kind) {
  switch (kind) {
    case HashKind::Crc32:
      return crc32Text(path, size);
    case HashKind::Md5:
      return digestText(path, size, EVP_md5(), kMd5BlockSize);
    case HashKind::Sha1:
      break;
  }
  return digestText(path, size, EVP_sha1(), kSha1BlockSize);
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
    std::optional<std::string> text = fingerprintFile(entry.filePath, entry.fileSize, kind);
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
