#pragma once
// The images built into the program: PNG files embedded as bytes at build
// time, decoded with libpng into straight-alpha RGBA at start-up.

#include "ui/ui_objects.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zandrel {

struct DecodedImage {
  int number;
  int width;
  int height;
  std::vector<unsigned char> rgba;  // rows top to bottom, 4 bytes a pixel, straight alpha
};

struct EmbeddedImage {
  int number;
  const char* name;
  const unsigned char* png;
  size_t pngSize;
};

// Larger images are refused as damaged rather than allocated.
inline constexpr int kMaxImageSide = 4096;

// Every embedded image, in the order the program decodes them.
const std::vector<EmbeddedImage>& embeddedImages();

// Any PNG (any colour type and bit depth, interlaced or not) as 8-bit RGBA;
// nullopt when the data is not a complete, intact PNG or is too large.
std::optional<DecodedImage> decodePng(const unsigned char* data, size_t size, int number);

// The embedded images decoded, in embeddedImages() order; one that fails to
// decode is left out.
std::vector<DecodedImage> decodeEmbeddedImages();

}  // namespace zandrel
