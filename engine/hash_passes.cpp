#include "engine/hash_passes.h"

#include <openssl/evp.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/entry_list.h"
#include "engine/file_id.h"
#include "engine/file_io.h"
#include "engine/search_state.h"
#include "engine/text_order.h"
#include "engine/unique_fd.h"

namespace zandrel {
namespace {

constexpr size_t kCrc32BlockSize = 524288;
constexpr size_t kMd5BlockSize = 1048576;
constexpr size_t kSha1BlockSize = 524288;

std::atomic<unsigned> gHashThreads{0};

std::string lowerHex(const unsigned char* bytes, unsigned length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(length * 2, '\0');
  for (unsigned i = 0; i < length; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return text;
}

std::string crc32Hex(uLong crc) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(crc));
  return text;
}

struct DigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct DigestFree {
  void operator()(EVP_MD* digest) const { EVP_MD_free(digest); }
};

// The digest of a pass, looked up once: a lookup per file costs more than
// hashing a small file.
class DigestAlgorithm {
 public:
  explicit DigestAlgorithm(HashKind kind) {
    if (kind == HashKind::Crc32) return;
    fetched_.reset(EVP_MD_fetch(nullptr, kind == HashKind::Md5 ? "MD5" : "SHA1", nullptr));
    digest_ = fetched_ ? fetched_.get() : kind == HashKind::Md5 ? EVP_md5() : EVP_sha1();
  }
  const EVP_MD* get() const { return digest_; }

 private:
  std::unique_ptr<EVP_MD, DigestFree> fetched_;
  const EVP_MD* digest_ = nullptr;
};

// What one hashing thread owns: its block buffer and its digest context,
// reused from file to file.
class Fingerprinter {
 public:
  Fingerprinter(HashKind kind, const EVP_MD* digest)
      : kind_(kind),
        digest_(digest),
        blockSize_(kind == HashKind::Md5 ? kMd5BlockSize : kind == HashKind::Crc32 ? kCrc32BlockSize : kSha1BlockSize),
        block_(new(std::nothrow) unsigned char[blockSize_]) {
    if (kind != HashKind::Crc32) context_.reset(EVP_MD_CTX_new());
  }

  bool ready() const { return block_ && (kind_ == HashKind::Crc32 || context_); }

  std::optional<std::string> fingerprint(const std::string& path, int64_t size, FileId id) {
    if (!ready()) return std::nullopt;
    if (kind_ == HashKind::Crc32) {
      uLong crc = crc32(0L, Z_NULL, 0);
      const bool ok = readBlocks(path, size, id, [&](const unsigned char* data, size_t count) {
        crc = crc32_z(crc, data, count);
        return true;
      });
      if (!ok) return std::nullopt;
      return crc32Hex(crc);
    }
    if (EVP_DigestInit_ex(context_.get(), digest_, nullptr) != 1) return std::nullopt;
    const bool ok = readBlocks(path, size, id, [&](const unsigned char* data, size_t count) {
      return EVP_DigestUpdate(context_.get(), data, count) == 1;
    });
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_DigestFinal_ex(context_.get(), digest, &length) != 1 || !ok) return std::nullopt;
    return lowerHex(digest, length);
  }

 private:
  // Feeds the file to update() block by block. False on an open or read
  // error, a stop request, or when the path no longer names the regular file
  // of the size the size pass saw: a device, a pipe or a file that keeps
  // growing put in its place must never be read without end, and a link to
  // another file of the search must not make one file a group of two. At
  // most size + 1 bytes are asked for, and reading ends at the first short
  // block. A pause holds before every block.
  template <typename Update>
  bool readBlocks(const std::string& path, int64_t size, FileId id, Update update) {
    struct stat status;
    const UniqueFd file = openRegularFile(path, &status);
    if (!file.valid() || fileIdOf(status) != id || size < 0 || status.st_size != size) return false;
    const uint64_t limit = static_cast<uint64_t>(size) + 1;
    uint64_t total = 0;
    for (;;) {
      waitWhilePaused();
      if (stopRequested()) return false;
      const size_t wanted = static_cast<size_t>(std::min<uint64_t>(blockSize_, limit - total));
      const ssize_t count = readSome(file.get(), block_.get(), wanted);
      if (count < 0) return false;
      total += static_cast<uint64_t>(count);
      if (total == limit) return false;  // longer than it was
      if (count > 0 && !update(block_.get(), static_cast<size_t>(count))) return false;
      if (static_cast<size_t>(count) < wanted) return total == static_cast<uint64_t>(size);
    }
  }

  HashKind kind_;
  const EVP_MD* digest_;
  size_t blockSize_;
  std::unique_ptr<unsigned char[]> block_;
  std::unique_ptr<EVP_MD_CTX, DigestContextFree> context_;
};

// Fingerprints every entry into its own field, spread over the hashing
// threads; the field of an entry that could not be read stays empty. The
// calling thread takes part, so a pass runs even when no thread can be started.
void fingerprintEntries(HashKind kind, std::vector<FileEntry>& entries) {
  const auto field = hashField(kind);
  const DigestAlgorithm algorithm(kind);
  std::atomic<size_t> next{0};
  const auto work = [&](bool mayGiveUp) {
    Fingerprinter fingerprinter(kind, algorithm.get());
    // A helper without its buffer leaves the files to the others; the
    // calling thread fails them instead, as it could not read them.
    if (mayGiveUp && !fingerprinter.ready()) return;
    for (;;) {
      waitWhilePaused();
      if (stopRequested()) return;
      const size_t i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= entries.size()) return;
      FileEntry& entry = entries[i];
      std::optional<std::string> text = fingerprinter.fingerprint(entry.filePath, entry.fileSize, entry.fileId);
      if (text) entry.*field = std::move(*text);
      ++gSearchProgress;
    }
  };

  const size_t threads = std::clamp<size_t>(hashThreadCount(), 1, std::max<size_t>(entries.size(), 1));
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (size_t i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(work, true);
    } catch (const std::system_error&) {
      break;  // fewer threads, same result
    }
  }
  work(false);
  for (std::thread& helper : helpers) helper.join();
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

void setHashThreadCount(unsigned count) { gHashThreads = count; }

unsigned hashThreadCount() {
  const unsigned chosen = gHashThreads.load();
  if (chosen != 0) return chosen;
  return std::max(1u, std::thread::hardware_concurrency());
}

void waitWhilePaused() {
  while (gPauseFlag.load() == 1 && !stopRequested()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::optional<std::string> fingerprintFile(const std::string& path, int64_t size, FileId id, HashKind kind) {
  const DigestAlgorithm algorithm(kind);
  return Fingerprinter(kind, algorithm.get()).fingerprint(path, size, id);
}

std::string fingerprintBytes(std::string_view bytes, HashKind kind) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (kind == HashKind::Crc32) return crc32Hex(crc32_z(crc32(0L, Z_NULL, 0), data, bytes.size()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EVP_Digest(data, bytes.size(), digest, &length, kind == HashKind::Md5 ? EVP_md5() : EVP_sha1(), nullptr);
  return lowerHex(digest, length);
}

void runHashPass(HashKind kind) {
  const auto field = hashField(kind);
  std::vector<FileEntry>& entries = gFileEntries;
  fingerprintEntries(kind, entries);
  if (stopRequested()) return;

  // A file that could not be fingerprinted leaves the search here; the rest
  // keep their order, so the sort below sees what a one-file-at-a-time pass
  // would have left. A text is never empty ("0" at least) and the field is
  // empty before its pass, so an empty field marks an unreadable file.
  keepWhere(entries, [&](size_t i) { return !(entries[i].*field).empty(); });

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
  std::stable_sort(entries.begin(), entries.end(), before);

  // Runs of one leave; the others keep their place in order. The mask is
  // made first, as keepWhere moves entries a run test would still compare.
  std::vector<char> keep(entries.size(), 1);
  for (size_t i = 0; i < entries.size();) {
    size_t runEnd = i + 1;
    while (runEnd < entries.size() && same(entries[runEnd], entries[i])) ++runEnd;
    if (runEnd - i == 1) keep[i] = 0;
    i = runEnd;
  }
  keepWhere(entries, [&keep](size_t i) { return keep[i] != 0; });
}

void hashCrc32Worker() { runHashPass(HashKind::Crc32); }
void hashMd5Worker() { runHashPass(HashKind::Md5); }
void hashSha1Worker() { runHashPass(HashKind::Sha1); }

}  // namespace zandrel
