#pragma once
// The fingerprint passes: CRC32, MD5 and SHA1, each a worker step of its own.
// A pass fingerprints every entry of gFileEntries, sorts the list by its text
// and keeps only entries whose (size, fingerprint) another entry shares.

#include <optional>
#include <string>
#include <string_view>

#include "engine/file_id.h"
#include "engine/search_state.h"

namespace zandrel {

enum class HashKind { Crc32, Md5, Sha1 };

// "CRC32", "MD5" or "SHA1".
const char* hashKindName(HashKind kind);
// The FileEntry field a pass writes.
std::string FileEntry::*hashField(HashKind kind);

// Threads that share the files of one pass; 0, the default, means one per
// core. Every count gives the same result.
void setHashThreadCount(unsigned count);
// The count a pass uses now, at least 1.
unsigned hashThreadCount();

// Holds while gPauseFlag is 1, in 10 ms steps; a stop request ends the wait.
void waitWhilePaused();

// The text form of the whole content's fingerprint: CRC-32 as upper-case hex
// without leading zeros ("0" for 0), MD5 and SHA-1 as lower-case hex digits.
// Nothing when the file cannot be opened, the path no longer names the file
// id of the given size (links followed), a read fails, or a stop is
// requested; the file is closed on every way out.
std::optional<std::string> fingerprintFile(const std::string& path, int64_t size, FileId id, HashKind kind);

// The text form of the fingerprint of bytes held in memory.
std::string fingerprintBytes(std::string_view bytes, HashKind kind);

// One pass. A file that cannot be fingerprinted leaves the search here, so
// unreadable files never pass for duplicates of each other, nor does a path
// that no longer names the file the size pass saw. The files are
// spread over hashThreadCount() threads; gSearchProgress counts each file as
// it is done, a pause holds every thread before its next block, and a stop
// ends them all within one block with every file closed.
void runHashPass(HashKind kind);

void hashCrc32Worker();
void hashMd5Worker();
void hashSha1Worker();

}  // namespace zandrel
