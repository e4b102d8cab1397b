#include "resources/images.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace zandrel {
namespace {

using Bytes = std::vector<unsigned char>;

uint32_t readBigEndian(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void writeBigEndian(unsigned char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// ---------------------------------------------------------------------------
// A PNG writer, so the decoder meets formats our own files never use.

struct PngSource {
  png_uint_32 width;
  png_uint_32 height;
  int depth;
  int colour;
  bool interlaced;
  Bytes pixels;  // packed rows in the file's own layout, 16-bit samples big-endian
  std::vector<png_color> palette = {};
  Bytes paletteAlpha = {};
  std::optional<png_color_16> transparentColour = {};
};

struct Encoding {
  Bytes bytes;
  std::vector<png_bytep> rows;
};

void appendToEncoding(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Encoding*>(png_get_io_ptr(png));
  out->bytes.insert(out->bytes.end(), data, data + length);
}

void flushNothing(png_structp) {}

bool encodeInto(const PngSource& source, Encoding& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, appendToEncoding, flushNothing);
  png_set_IHDR(png, info, source.width, source.height, source.depth, source.colour,
               source.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!source.palette.empty()) {
    png_set_PLTE(png, info, source.palette.data(), static_cast<int>(source.palette.size()));
  }
  if (!source.paletteAlpha.empty() || source.transparentColour) {
    png_color_16 colour = source.transparentColour.value_or(png_color_16{});
    png_set_tRNS(png, info, source.paletteAlpha.empty() ? nullptr : source.paletteAlpha.data(),
                 static_cast<int>(source.paletteAlpha.size()), source.transparentColour ? &colour : nullptr);
  }
  png_write_info(png, info);
  if (source.interlaced) png_set_interlace_handling(png);
  png_write_image(png, out.rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

Bytes encodePng(PngSource source) {
  Encoding out;
  const size_t rowBytes = source.pixels.size() / source.height;
  for (png_uint_32 y = 0; y < source.height; ++y) out.rows.push_back(source.pixels.data() + y * rowBytes);
  if (!encodeInto(source, out)) ADD_FAILURE() << "could not write the test PNG";
  return out.bytes;
}

// Byte offset of the first chunk of the given type, or 0.
size_t findChunk(const Bytes& png, const char* type) {
  for (size_t at = 8; at + 8 <= png.size(); at += 12 + readBigEndian(&png[at])) {
    if (std::equal(type, type + 4, &png[at + 4])) return at;
  }
  return 0;
}

// ---------------------------------------------------------------------------

const struct {
  int number;
  const char* name;
  int size;
} kDecodeOrder[] = {
    {QuitIcon, "QuitIcon", 16},       {AddIcon, "AddIcon", 16},       {LanguageIcon, "LanguageIcon", 16},
    {FilesIcon, "FilesIcon", 16},     {FolderIcon, "FolderIcon", 16}, {SearchIcon, "SearchIcon", 16},
    {AboutIcon, "AboutIcon", 16},     {AboutImage, "AboutImage", 64}, {WebsiteIcon, "WebsiteIcon", 16},
    {SaveIcon, "SaveIcon", 16},
};

TEST(EmbeddedImages, NumbersMatchTheMenus) {
  const int expected[] = {1074, 1076, 1077, 1075, 1078, 1079, 1081, 1084, 1080, 1082};
  for (size_t i = 0; i < std::size(kDecodeOrder); ++i) EXPECT_EQ(kDecodeOrder[i].number, expected[i]) << i;
}

TEST(EmbeddedImages, ListedInDecodeOrderAsPlainRgbaPngs) {
  const auto& images = embeddedImages();
  ASSERT_EQ(images.size(), std::size(kDecodeOrder));
  const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  for (size_t i = 0; i < images.size(); ++i) {
    const EmbeddedImage& image = images[i];
    SCOPED_TRACE(kDecodeOrder[i].name);
    EXPECT_EQ(image.number, kDecodeOrder[i].number);
    EXPECT_STREQ(image.name, kDecodeOrder[i].name);
    ASSERT_GE(image.pngSize, 33u);
    const unsigned char* p = image.png;
    EXPECT_TRUE(std::equal(signature, signature + 8, p));
    EXPECT_EQ(readBigEndian(p + 8), 13u);  // IHDR comes first and has 13 bytes
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 12), 4), "IHDR");
    EXPECT_EQ(readBigEndian(p + 16), static_cast<uint32_t>(kDecodeOrder[i].size));
    EXPECT_EQ(readBigEndian(p + 20), static_cast<uint32_t>(kDecodeOrder[i].size));
    EXPECT_EQ(p[24], 8) << "bit depth";
    EXPECT_EQ(p[25], 6) << "colour type";
    EXPECT_EQ(p[26], 0) << "compression";
    EXPECT_EQ(p[27], 0) << "filter";
    EXPECT_EQ(p[28], 0) << "interlace";
  }
}

TEST(EmbeddedImages, AllDecodeWithTransparentAndOpaquePixels) {
  const std::vector<DecodedImage> images = decodeEmbeddedImages();
  ASSERT_EQ(images.size(), std::size(kDecodeOrder));
  for (size_t i = 0; i < images.size(); ++i) {
    const DecodedImage& image = images[i];
    SCOPED_TRACE(kDecodeOrder[i].name);
    EXPECT_EQ(image.number, kDecodeOrder[i].number);
    EXPECT_EQ(image.width, kDecodeOrder[i].size);
    EXPECT_EQ(image.height, kDecodeOrder[i].size);
    ASSERT_EQ(image.rgba.size(), size_t(image.width) * image.height * 4);
    int transparent = 0, opaque = 0;
    for (size_t at = 3; at < image.rgba.size(); at += 4) {
      transparent += image.rgba[at] == 0;
      opaque += image.rgba[at] == 255;
    }
    // A picture on a clear background: neither a filled square nor a blank.
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
  }
}

TEST(ImageDecode, ConvertsEveryFormatToEightBitRgba) {
  const struct {
    const char* what;
    PngSource source;
    Bytes rgba;
  } cases[] = {
      {"rgba", {2, 1, 8, PNG_COLOR_TYPE_RGBA, false, {10, 20, 30, 40, 50, 60, 70, 80}},
       {10, 20, 30, 40, 50, 60, 70, 80}},
      {"rgb", {2, 1, 8, PNG_COLOR_TYPE_RGB, false, {1, 2, 3, 4, 5, 6}}, {1, 2, 3, 255, 4, 5, 6, 255}},
      {"grey", {2, 1, 8, PNG_COLOR_TYPE_GRAY, false, {0, 200}}, {0, 0, 0, 255, 200, 200, 200, 255}},
      {"grey 1-bit", {3, 1, 1, PNG_COLOR_TYPE_GRAY, false, {0b10100000}},
       {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
      {"grey and alpha", {1, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, false, {90, 30}}, {90, 90, 90, 30}},
      {"rgba 16-bit",
       {1, 1, 16, PNG_COLOR_TYPE_RGBA, false, {0x12, 0x12, 0xff, 0xff, 0x00, 0x00, 0x80, 0x80}},
       {0x12, 0xff, 0x00, 0x80}},
      {"palette 2-bit with alpha",
       {3, 1, 2, PNG_COLOR_TYPE_PALETTE, false, {0b00011000}, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {0, 128}},
       {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255}},
      {"rgb with a transparent colour",
       {2, 1, 8, PNG_COLOR_TYPE_RGB, false, {7, 8, 9, 7, 8, 10}, {}, {}, png_color_16{0, 7, 8, 9, 0}},
       {7, 8, 9, 0, 7, 8, 10, 255}},
      {"interlaced",
       {3, 3, 8, PNG_COLOR_TYPE_GRAY, true, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
       {1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255, 4, 4, 4, 255, 5, 5, 5, 255, 6, 6, 6, 255, 7, 7, 7, 255, 8, 8, 8,
        255, 9, 9, 9, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes png = encodePng(c.source);
    const auto image = decodePng(png.data(), png.size(), 7);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->number, 7);
    EXPECT_EQ(image->width, static_cast<int>(c.source.width));
    EXPECT_EQ(image->height, static_cast<int>(c.source.height));
    EXPECT_EQ(image->rgba, c.rgba);
  }
}

TEST(ImageDecode, RefusesSidesOverTheLimit) {
  const struct {
    png_uint_32 width, height;
    bool decodes;
  } cases[] = {{kMaxImageSide, 1, true}, {kMaxImageSide + 1, 1, false}, {1, kMaxImageSide + 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const Bytes png = encodePng({c.width, c.height, 8, PNG_COLOR_TYPE_GRAY, false, Bytes(c.width * c.height, 0)});
    EXPECT_EQ(decodePng(png.data(), png.size(), 1).has_value(), c.decodes);
  }
}

// A header claiming an enormous picture must fail before anything is allocated
// for it (under ASan an attempt would show as an allocation failure).
TEST(DamagedImage, HugeHeaderIsRefused) {
  Bytes png = encodePng({1, 1, 8, PNG_COLOR_TYPE_RGBA, false, {1, 2, 3, 4}});
  for (uint32_t side : {100000u, 0x7fffffffu}) {
    writeBigEndian(&png[16], side);
    writeBigEndian(&png[20], side);
    writeBigEndian(&png[29], static_cast<uint32_t>(crc32(0, &png[12], 17)));
    EXPECT_FALSE(decodePng(png.data(), png.size(), 1).has_value()) << side;
  }
}

TEST(DamagedImage, TruncatedDataIsRefused) {
  const EmbeddedImage& source = embeddedImages().at(7);  // the largest
  const Bytes png(source.png, source.png + source.pngSize);
  const size_t idat = findChunk(png, "IDAT");
  ASSERT_GT(idat, 0u);
  const size_t lengths[] = {0, 7, 8, 16, 33, idat + 8, idat + 20, png.size() / 2, png.size() - 12, png.size() - 1};
  for (size_t length : lengths) {
    EXPECT_FALSE(decodePng(png.data(), length, 1).has_value()) << length;
  }
  EXPECT_TRUE(decodePng(png.data(), png.size(), 1).has_value());
  EXPECT_FALSE(decodePng(nullptr, 0, 1).has_value());
}

TEST(DamagedImage, CorruptPixelDataIsRefused) {
  const EmbeddedImage& source = embeddedImages().at(7);
  Bytes png(source.png, source.png + source.pngSize);
  const size_t idat = findChunk(png, "IDAT");
  ASSERT_GT(idat, 0u);
  const uint32_t length = readBigEndian(&png[idat]);
  png[idat + 8 + length / 2] ^= 0x5a;
  EXPECT_FALSE(decodePng(png.data(), png.size(), 1).has_value()) << "checksum mismatch";
  // A broken zlib header under a checksum that fits.
  png[idat + 8 + length / 2] ^= 0x5a;
  png[idat + 8] = 0;
  writeBigEndian(&png[idat + 8 + length], static_cast<uint32_t>(crc32(0, &png[idat + 4], length + 4)));
  EXPECT_FALSE(decodePng(png.data(), png.size(), 1).has_value()) << "bad zlib header";
}

TEST(DamagedImage, RandomBytesAreRefused) {
  std::mt19937 random(20240611);
  const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (int round = 0; round < 200; ++round) {
    Bytes bytes(1 + random() % 2000);
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    // Half the rounds get past the signature and the header check into the chunk reader.
    if (round % 2 == 1 && bytes.size() > sizeof signature) {
      std::copy(std::begin(signature), std::end(signature), bytes.begin());
    }
    EXPECT_FALSE(decodePng(bytes.data(), bytes.size(), 1).has_value()) << round;
  }
}

}  // namespace
}  // namespace zandrel
