#pragma once
// LZMA for the packed results file, over the LZMA SDK's C sources: the SDK's
// one-call compressor, and the packer that puts the five
// property bytes in front of the raw stream.

#include <cstddef>
#include <cstdint>

namespace zandrel {

inline constexpr size_t kLzmaPropsSize = 5;

// The one-call defaults; they give the property bytes 5D 00 00 00 01.
struct LzmaSettings {
  int level = 5;                       // 0 to 9
  uint32_t dictionarySize = 1u << 24;  // 16 MiB
  int lc = 3;                          // literal context bits
  int lp = 0;                          // literal position bits
  int pb = 2;                          // position bits
  int fastBytes = 32;
  bool endMarker = false;  // the one-call compressor writes none
};

// Result codes are the SDK's: 0 for success, else one of its SZ_ERROR_ values.
//
// Compresses src into dest (room for *destLen bytes), with an end marker only when asked;
// *destLen becomes the stream's length and the property bytes go to outProps
// (room for *outPropsSize bytes, at least kLzmaPropsSize).
int lzmaCompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t srcLen, unsigned char* outProps,
                 size_t* outPropsSize, const LzmaSettings& settings = {});

// The block of the results file in dest (capacity bytes): property bytes, then
// the stream. Its size, or 0 when the packing fails or does not fit.
size_t lzmaPack(const void* source, size_t sourceSize, unsigned char* dest, size_t capacity,
                const LzmaSettings& settings = {});
// Unpacks such a block into exactly destSize bytes; false when the block is
// shorter than its property bytes or corrupt, or its stream does not end
// right after destSize bytes, with or without an end marker.
bool lzmaUnpack(const unsigned char* block, size_t blockSize, unsigned char* dest, size_t destSize);

}  // namespace zandrel
