#pragma once
// Chance CRC-32 collisions made on purpose, so tests can hold files of equal
// CRC-32 and different content.

#include <zlib.h>

#include <array>
#include <cstdint>
#include <string>

namespace zandrel::testing {

inline uint32_t crc32Of(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32_z(crc32(0L, Z_NULL, 0), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

// prefix followed by four bytes chosen so that the whole has the given CRC-32.
// The CRC of the last four bytes is affine in their 32 bits and the map is
// invertible, so one solve over GF(2) finds them.
inline std::string withCrc32(const std::string& prefix, uint32_t target) {
  const auto crcWith = [&](uint32_t tail) {
    std::string whole = prefix;
    for (int i = 0; i < 4; ++i) whole += static_cast<char>((tail >> (8 * i)) & 0xFF);
    return crc32Of(whole);
  };
  const uint32_t base = crcWith(0);
  // rows[i]: the effect of tail bit i, with the bit itself carried along to solve for.
  std::array<uint64_t, 32> rows{};
  for (int bit = 0; bit < 32; ++bit) rows[bit] = (uint64_t{crcWith(1u << bit) ^ base}) | (uint64_t{1} << (32 + bit));
  // Gauss-Jordan on the low 32 bits.
  for (int column = 0; column < 32; ++column) {
    int pivot = column;
    while (pivot < 32 && ((rows[pivot] >> column) & 1) == 0) ++pivot;
    if (pivot == 32) return {};  // cannot happen for CRC-32
    std::swap(rows[column], rows[pivot]);
    for (int row = 0; row < 32; ++row) {
      if (row != column && ((rows[row] >> column) & 1) != 0) rows[row] ^= rows[column];
    }
  }
  const uint32_t wanted = target ^ base;
  uint32_t tail = 0;
  for (int column = 0; column < 32; ++column) {
    if ((wanted >> column) & 1) tail ^= static_cast<uint32_t>(rows[column] >> 32);
  }
  std::string whole = prefix;
  for (int i = 0; i < 4; ++i) whole += static_cast<char>((tail >> (8 * i)) & 0xFF);
  return whole;
}

}  // namespace zandrel::testing
