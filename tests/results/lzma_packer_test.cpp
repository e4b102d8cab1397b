// The LZMA packer of the results file over the SDK's C sources.

#include "results/lzma_packer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zandrel {
namespace {

using Bytes = std::vector<unsigned char>;

// Text that packs well followed by bytes that do not.
Bytes mixedContent(size_t size) {
  Bytes content(size);
  std::mt19937 random(7);
  for (size_t i = 0; i < size; ++i) {
    content[i] = i < size / 2 ? static_cast<unsigned char>("0-1*/home/user/file.txt\n"[i % 24])
                              : static_cast<unsigned char>(random());
  }
  return content;
}

TEST(LzmaPackerTest, BlockStartsWithTheDefaultPropertiesAndUnpacksWhole) {
  const Bytes content = mixedContent(3 << 20);
  Bytes block(content.size() + 128);
  const size_t size = lzmaPack(content.data(), content.size(), block.data(), block.size());
  ASSERT_GT(size, kLzmaPropsSize);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 5), (Bytes{0x5D, 0x00, 0x00, 0x00, 0x01}));

  Bytes back(content.size());
  ASSERT_TRUE(lzmaUnpack(block.data(), size, back.data(), back.size()));
  EXPECT_EQ(back, content);
  // Asked for more than the stream holds, the decoder runs out of input.
  Bytes longer(content.size() + 1);
  EXPECT_FALSE(lzmaUnpack(block.data(), size, longer.data(), longer.size()));
  // Asked for less, the stream does not end there.
  Bytes shorter(content.size() - 1);
  EXPECT_FALSE(lzmaUnpack(block.data(), size, shorter.data(), shorter.size()));
  // Cut short, the stream cannot give every byte.
  EXPECT_FALSE(lzmaUnpack(block.data(), size - 1, back.data(), back.size()));
}

TEST(LzmaPackerTest, PackingThatDoesNotFitGivesZero) {
  const Bytes content = mixedContent(4096);
  for (size_t capacity : {size_t{0}, size_t{5}, size_t{64}}) {
    Bytes block(capacity + 1, 0xAA);
    EXPECT_EQ(lzmaPack(content.data(), content.size(), block.data(), capacity), 0u) << capacity;
    EXPECT_EQ(block[capacity], 0xAA) << "wrote past the capacity " << capacity;
  }
}

TEST(LzmaPackerTest, DamagedBlocksAreRefusedWithoutOverrun) {
  const Bytes content = mixedContent(20000);
  Bytes block(content.size() + 128);
  const size_t size = lzmaPack(content.data(), content.size(), block.data(), block.size());
  block.resize(size);

  std::mt19937 random(11);
  Bytes garbage(size);
  for (unsigned char& byte : garbage) byte = static_cast<unsigned char>(random());
  Bytes badProperties = block;
  badProperties[0] = 0xFF;  // no lc/lp/pb gives this
  Bytes flipped = block;
  flipped[size / 2] ^= 0x10;

  Bytes out(content.size());
  EXPECT_FALSE(lzmaUnpack(block.data(), 4, out.data(), out.size()));
  EXPECT_FALSE(lzmaUnpack(garbage.data(), garbage.size(), out.data(), out.size()));
  EXPECT_FALSE(lzmaUnpack(badProperties.data(), badProperties.size(), out.data(), out.size()));
  // A flipped bit sends the range decoder astray: the stream no longer ends where it should.
  EXPECT_FALSE(lzmaUnpack(flipped.data(), flipped.size(), out.data(), out.size()));
}

}  // namespace
}  // namespace zandrel
