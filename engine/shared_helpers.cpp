#include "engine/shared_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace zandrel {

std::string formatFileSize(int64_t byteCount) {
  if (byteCount < 1024) return std::to_string(byteCount) + " Byte";

  const char* unit = " GB";
  long double divisor = 1073741824.0L;
  if (byteCount < 1048576) {
    unit = " KB", divisor = 1024.0L;
  } else if (byteCount < 1073741824) {
    unit = " MB", divisor = 1048576.0L;
  }
  // long double holds every 64-bit count exactly, so the only rounding is the
  // one to single precision.
  const float quotient = static_cast<float>(static_cast<long double>(byteCount) / divisor);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(quotient));
  return text + std::string(unit);
}

std::string addTrailingSeparator(const std::string& path) {
  if (!path.empty() && path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string getFullPath(const std::string& path) {
  if (path.empty()) return path;
  std::string absolute = path;
  if (path.front() != kPathSeparator) {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
      if (errno != ERANGE) return path;
      buffer.resize(buffer.size() * 2);
    }
    absolute = addTrailingSeparator(buffer.data()) + path;
  }

  std::vector<std::string> segments;
  size_t pos = 0;
  while (pos <= absolute.size()) {
    size_t end = absolute.find(kPathSeparator, pos);
    if (end == std::string::npos) end = absolute.size();
    const std::string segment = absolute.substr(pos, end - pos);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    pos = end + 1;
  }

  std::string result;
  for (const std::string& segment : segments) result += kPathSeparator + segment;
  if (result.empty() || path.back() == kPathSeparator) result += kPathSeparator;
  return result;
}

LeadingDigits readLeadingDigits(std::string_view text, int base, uint64_t ceiling) {
  LeadingDigits digits;
  for (; digits.length < text.size(); ++digits.length) {
    const char c = text[digits.length];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : c >= 'A' && c <= 'Z' ? c - 'A' + 10 : -1;
    if (digit < 0 || digit >= base) break;
    const auto d = static_cast<uint64_t>(digit);
    const auto b = static_cast<uint64_t>(base);
    digits.value = digits.value > (ceiling - d) / b ? ceiling : digits.value * b + d;
  }
  return digits;
}

int64_t readSignedDigits(std::string_view text, int base, bool negative) {
  // The ceiling lets "-9223372036854775808" through whole.
  const uint64_t ceiling = static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0);
  const uint64_t value = readLeadingDigits(text, base, ceiling).value;
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

int64_t parseSignedInteger(std::string_view text) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return readSignedDigits(text, 10, negative);
}

int64_t parseLeadingInteger(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t");
  return start == std::string_view::npos ? 0 : parseSignedInteger(text.substr(start));
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

std::string trimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

int64_t readPathSize(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return kMissingPathSize;
  if (S_ISDIR(status.st_mode)) return kFolderPathSize;
  return static_cast<int64_t>(status.st_size);
}

}  // namespace zandrel
