#include "resources/images.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

namespace zandrel {
namespace {

struct Reader {
  const unsigned char* data;
  size_t size;
  size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, size_t length) {
  auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->offset) png_error(png, "unexpected end of data");
  std::memcpy(out, reader->data + reader->offset, length);
  reader->offset += length;
}

// Errors end the decoding quietly (the default handler prints to stderr).
void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// What outlives a libpng error lives here, outside the frame that calls
// setjmp: after the longjmp, locals of that frame changed since are
// indeterminate, and a vector there would leak or be freed twice.
struct Decoding {
  Reader reader;
  std::vector<unsigned char> rgba;
  std::vector<png_bytep> rows;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
};

// Holds no object with a destructor: the longjmp back here would skip it.
bool decodeInto(Decoding& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }

  png_set_read_fn(png, &out.reader, readFromMemory);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) png_error(png, "bad size");

  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTransparency) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if ((colour & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if ((colour & PNG_COLOR_MASK_ALPHA) == 0 && !hasTransparency) png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4 ||
      png_get_rowbytes(png, info) != size_t{width} * 4) {
    png_error(png, "unexpected pixel layout");
  }

  try {
    out.rgba.resize(size_t{width} * height * 4);
    out.rows.resize(height);
  } catch (const std::bad_alloc&) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y) out.rows[y] = out.rgba.data() + size_t{y} * width * 4;
  png_read_image(png, out.rows.data());
  // Reads up to IEND, so a file cut short after the pixels is refused too.
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  out.width = width;
  out.height = height;
  return true;
}

}  // namespace

std::optional<DecodedImage> decodePng(const unsigned char* data, size_t size, int number) {
  if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0) return std::nullopt;
  Decoding decoding{{data, size, 0}, {}, {}};
  if (!decodeInto(decoding)) return std::nullopt;
  return DecodedImage{number, static_cast<int>(decoding.width), static_cast<int>(decoding.height),
                      std::move(decoding.rgba)};
}

std::vector<DecodedImage> decodeEmbeddedImages() {
  std::vector<DecodedImage> images;
  for (const EmbeddedImage& embedded : embeddedImages()) {
    if (auto image = decodePng(embedded.png, embedded.pngSize, embedded.number)) images.push_back(std::move(*image));
  }
  return images;
}

}  // namespace zandrel
