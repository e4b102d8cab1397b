#include "results/lzma_packer.h"

#include <cstdlib>

extern "C" {
#include <lzma/LzmaDec.h>
#include <lzma/LzmaEnc.h>
}

namespace zandrel {
namespace {

void* allocate(void*, size_t size) { return size == 0 ? nullptr : std::malloc(size); }
void release(void*, void* address) { std::free(address); }
ISzAlloc gAllocator = {allocate, release};

}  // namespace

int lzmaCompress(unsigned char* dest, size_t* destLen, const unsigned char* src, size_t srcLen, unsigned char* outProps,
                 size_t* outPropsSize, const LzmaSettings& settings) {
  CLzmaEncProps props;
  LzmaEncProps_Init(&props);
  props.level = settings.level;
  props.dictSize = settings.dictionarySize;
  props.lc = settings.lc;
  props.lp = settings.lp;
  props.pb = settings.pb;
  props.fb = settings.fastBytes;
  props.numThreads = 1;
  SizeT written = *destLen;
  SizeT propsWritten = *outPropsSize;
  const SRes result =
      LzmaEncode(dest, &written, src, srcLen, &props, outProps, &propsWritten, settings.endMarker ? 1 : 0, nullptr,
                 &gAllocator, &gAllocator);
  *destLen = written;
  *outPropsSize = propsWritten;
  return result;
}

size_t lzmaPack(const void* source, size_t sourceSize, unsigned char* dest, size_t capacity,
                const LzmaSettings& settings) {
  if (capacity <= kLzmaPropsSize) return 0;
  size_t streamSize = capacity - kLzmaPropsSize;
  size_t propsSize = kLzmaPropsSize;
  if (lzmaCompress(dest + kLzmaPropsSize, &streamSize, static_cast<const unsigned char*>(source), sourceSize, dest,
                   &propsSize, settings) != SZ_OK ||
      propsSize != kLzmaPropsSize) {
    return 0;
  }
  return kLzmaPropsSize + streamSize;
}

bool lzmaUnpack(const unsigned char* block, size_t blockSize, unsigned char* dest, size_t destSize) {
  if (blockSize < kLzmaPropsSize) return false;
  SizeT written = destSize;
  SizeT read = blockSize - kLzmaPropsSize;
  ELzmaStatus status;
  // Asked to finish, the decoder looks past the last byte for an end marker
  // when the stream did not plainly end there; a text size that claims more
  // or less than the stream holds gets neither.
  const SRes result = LzmaDecode(dest, &written, block + kLzmaPropsSize, &read, block, kLzmaPropsSize, LZMA_FINISH_END,
                                 &status, &gAllocator);
  return result == SZ_OK && written == destSize &&
         (status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK || status == LZMA_STATUS_FINISHED_WITH_MARK);
}

}  // namespace zandrel
