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

int64_t parseLeadingInteger(const std::string& text) {
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string::npos) return 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    const int digit = text[pos] - '0';
    if (value > (INT64_MAX - digit) / 10) return negative ? INT64_MIN : INT64_MAX;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
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
