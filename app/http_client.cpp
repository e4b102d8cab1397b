#include "app/http_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "engine/file_io.h"
#include "engine/shared_helpers.h"

namespace zandrel {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

constexpr size_t kBlockBytes = 2048;
constexpr int kConnectWaitMs = 10000;
constexpr int kSendLimitMs = 10000;
constexpr int kSendRetryMs = 50;
constexpr int kBodyReadWaitMs = 10000;
constexpr int kUntilCloseWaitMs = 1000;
constexpr int64_t kMaxBodyBytes = 1'000'000'000;
// A server that trickles a byte now and then must not hold the window for ever.
constexpr auto kWholeReplyLimit = std::chrono::seconds(60);
// Status and header lines are a few hundred bytes from any sane server.
constexpr size_t kMaxHeaderBytes = 16384;
constexpr size_t kMaxChunkLineBytes = 1024;

struct HttpAddress {
  std::string host;
  int port = 80;
  std::string path;  // without the leading "/"
};

std::optional<HttpAddress> splitAddress(const std::string& address) {
  // Nothing may smuggle a line end or other control byte into the request.
  for (const char c : address) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return std::nullopt;
  }
  size_t start = address.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  HttpAddress result;
  size_t rest = address.find_first_of("/:", start);
  result.host = address.substr(start, rest == std::string::npos ? std::string::npos : rest - start);
  if (result.host.empty()) return std::nullopt;
  if (rest != std::string::npos && address[rest] == ':') {
    const LeadingDigits port = readLeadingDigits(std::string_view(address).substr(rest + 1), 10, 65536);
    if (port.length == 0 || port.value == 0 || port.value > 65535) return std::nullopt;
    result.port = static_cast<int>(port.value);
    rest += 1 + port.length;
  }
  const size_t slash = rest == std::string::npos ? std::string::npos : address.find('/', rest);
  if (slash != std::string::npos) result.path = address.substr(slash + 1);
  return result;
}

int millisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<int64_t>(left, 1'000'000));
}

// True when the socket became ready for events within waitMs.
bool waitFor(int fd, short events, int waitMs) {
  const Clock::time_point deadline = Clock::now() + Milliseconds(waitMs);
  for (;;) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

UniqueFd connectTo(const HttpAddress& address) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(address.port));
  if (inet_pton(AF_INET, address.host.c_str(), &target.sin_addr) != 1) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return {};
    const bool usable = found->ai_family == AF_INET && found->ai_addr != nullptr &&
                        found->ai_addrlen >= static_cast<socklen_t>(sizeof(sockaddr_in));
    if (usable) {
      sockaddr_in first;
      std::memcpy(&first, found->ai_addr, sizeof first);
      target.sin_addr = first.sin_addr;
    }
    freeaddrinfo(found);
    if (!usable) return {};
  }
  UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!socket.valid()) return {};
  if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return {};
    if (!waitFor(socket.get(), POLLOUT, kConnectWaitMs)) return {};
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return {};
  }
  return socket;
}

bool sendRequest(int fd, const std::string& request) {
  const Clock::time_point deadline = Clock::now() + Milliseconds(kSendLimitMs);
  size_t sent = 0;
  while (sent < request.size()) {
    // MSG_NOSIGNAL: a peer that hung up must not kill the program with SIGPIPE.
    const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    const bool worthRetrying = n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ||
                               errno == ENOBUFS || errno == ENOMEM;
    if (!worthRetrying || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(Milliseconds(kSendRetryMs));
  }
  return true;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
  const size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

bool containsNoCase(const std::string& text, const std::string& word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         }) != text.end();
}

// The decimal number after the colon and any blanks; none when there are no
// digits. Huge values stop at the body limit instead of overflowing.
std::optional<int64_t> contentLength(const std::string& line) {
  size_t pos = line.find(':') + 1;
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  const LeadingDigits digits = readLeadingDigits(std::string_view(line).substr(pos), 10, kMaxBodyBytes);
  if (digits.length == 0) return std::nullopt;
  return static_cast<int64_t>(digits.value);
}

// The reply as it comes off the socket: bytes received but not yet used, and
// reads bounded by their own wait and by the limit of the whole reply.
class ReplyStream {
 public:
  explicit ReplyStream(int fd) : fd_(fd), giveUp_(Clock::now() + kWholeReplyLimit) {}

  // Appends at most maxBytes to the buffer; 0 when nothing came within waitMs.
  size_t receive(size_t maxBytes, int waitMs) {
    const Clock::time_point deadline = std::min(giveUp_, Clock::now() + Milliseconds(waitMs));
    char block[kBlockBytes];
    maxBytes = std::min(maxBytes, sizeof block);
    for (;;) {
      if (!waitFor(fd_, POLLIN, millisecondsLeft(deadline))) return 0;
      const ssize_t n = ::recv(fd_, block, maxBytes, 0);
      if (n > 0) {
        compact();
        buffer_.append(block, static_cast<size_t>(n));
        return static_cast<size_t>(n);
      }
      if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) return 0;
    }
  }

  // The next line without its CR LF (a bare LF ends one too), reading more as
  // needed; nothing when the stream ends first or the line grows past maxBytes.
  std::optional<std::string> readLine(size_t maxBytes, int waitMs) {
    for (;;) {
      const size_t end = buffer_.find('\n', used_);
      if (end != std::string::npos) {
        std::string line = buffer_.substr(used_, end - used_);
        used_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > maxBytes) return std::nullopt;
        return line;
      }
      if (available() > maxBytes || receive(kBlockBytes, waitMs) == 0) return std::nullopt;
    }
  }

  size_t available() const { return buffer_.size() - used_; }
  const char* data() const { return buffer_.data() + used_; }
  void consume(size_t bytes) { used_ += std::min(bytes, available()); }

 private:
  void compact() {
    buffer_.erase(0, used_);
    used_ = 0;
  }

  int fd_;
  Clock::time_point giveUp_;
  std::string buffer_;
  size_t used_ = 0;
};

// The reply file, made when the first body byte is about to be written.
class BodyFile {
 public:
  BodyFile(const std::function<UniqueFd()>& create, std::optional<size_t> firstLineBytes)
      : create_(create),
        firstLineOnly_(firstLineBytes.has_value()),
        // One byte more than the line's reader takes tells it the line went on.
        limit_(firstLineBytes ? std::min<int64_t>(kMaxBodyBytes, static_cast<int64_t>(*firstLineBytes) + 1)
                              : kMaxBodyBytes) {}

  bool open() {
    if (!fd_.valid() && !createFailed_) {
      fd_ = create_();
      createFailed_ = !fd_.valid();
    }
    return fd_.valid();
  }
  // False when nothing more is to be written: the file refused, the limit is
  // reached, or the first line has ended when that is all we want.
  bool write(const char* data, size_t size) {
    if (writeFailed_ || lineEnded_ || !open()) return false;
    size = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), limit_ - written_));
    if (firstLineOnly_) {
      // The bytes that end a line for the reply's reader; the one found is kept.
      const void* end = nullptr;
      for (const char c : {'\n', '\r', '\0'}) {
        const void* found = std::memchr(data, c, size);
        if (found != nullptr && (end == nullptr || found < end)) end = found;
      }
      if (end != nullptr) {
        size = static_cast<size_t>(static_cast<const char*>(end) - data) + 1;
        lineEnded_ = true;
      }
    }
    if (!writeAll(fd_.get(), {data, size})) {
      writeFailed_ = true;
      return false;
    }
    written_ += static_cast<int64_t>(size);
    return !lineEnded_ && written_ < limit_;
  }
  // Writes what the stream holds, up to limit bytes in all; false when the file refuses.
  bool writeFrom(ReplyStream& stream, int64_t limit) {
    const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(stream.available()),
                                                              std::max<int64_t>(0, limit - written_)));
    if (take == 0) return open();
    const bool more = write(stream.data(), take);
    stream.consume(take);
    return more;
  }

  // Closes the file; false when it never came to be or did not take every byte.
  bool finish() {
    if (fd_.valid() && ::close(fd_.release()) != 0) writeFailed_ = true;
    return !createFailed_ && !writeFailed_;
  }

  int64_t written() const { return written_; }

 private:
  const std::function<UniqueFd()>& create_;
  const bool firstLineOnly_;
  const int64_t limit_;
  UniqueFd fd_;
  bool createFailed_ = false;
  bool writeFailed_ = false;
  bool lineEnded_ = false;
  int64_t written_ = 0;
};

void readChunkedBody(ReplyStream& stream, BodyFile& file) {
  for (;;) {
    const std::optional<std::string> sizeLine = stream.readLine(kMaxChunkLineBytes, kBodyReadWaitMs);
    if (!sizeLine) return;
    // A silly size stops at the body limit instead of overflowing.
    const LeadingDigits digits = readLeadingDigits(*sizeLine, 16, kMaxBodyBytes);
    auto size = static_cast<int64_t>(digits.value);
    if (size == 0) return;
    while (size > 0) {
      if (stream.available() == 0 && stream.receive(kBlockBytes, kBodyReadWaitMs) == 0) return;
      const int64_t before = file.written();
      if (!file.writeFrom(stream, before + size)) return;
      size -= file.written() - before;
    }
    const std::optional<std::string> end = stream.readLine(kMaxChunkLineBytes, kBodyReadWaitMs);
    if (!end || !end->empty()) return;
  }
}

void readSizedBody(ReplyStream& stream, BodyFile& file, int64_t length) {
  // A body of length 0 still leaves its (empty) file.
  if (!file.writeFrom(stream, length)) return;
  while (file.written() < length) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(kBlockBytes, length - file.written()));
    if (stream.receive(want, kBodyReadWaitMs) == 0) return;
    if (!file.writeFrom(stream, length)) return;
  }
}

void readBodyUntilClose(ReplyStream& stream, BodyFile& file) {
  if (stream.available() > 0 && !file.writeFrom(stream, kMaxBodyBytes)) return;
  while (stream.receive(kBlockBytes, kUntilCloseWaitMs) > 0) {
    if (!file.writeFrom(stream, kMaxBodyBytes)) return;
  }
}

// How the body after the head is delimited.
struct ReplyHead {
  bool chunked = false;
  std::optional<int64_t> length;  // none: until the server closes
};

// The status line and the header lines up to the blank line; none when the
// status is neither 200 nor 302 or the head breaks a limit.
std::optional<ReplyHead> readReplyHead(ReplyStream& stream) {
  const std::optional<std::string> statusLine = stream.readLine(kMaxHeaderBytes, kBodyReadWaitMs);
  if (!statusLine) return std::nullopt;
  // No redirect is followed: a 302 reply's own body is the answer.
  if (statusLine->find("200") == std::string::npos && statusLine->find("302") == std::string::npos) {
    return std::nullopt;
  }
  ReplyHead head;
  size_t headerBytes = statusLine->size();
  for (;;) {
    const std::optional<std::string> line = stream.readLine(kMaxHeaderBytes, kBodyReadWaitMs);
    if (!line) return std::nullopt;
    if (line->empty()) return head;
    headerBytes += line->size();
    if (headerBytes > kMaxHeaderBytes) return std::nullopt;
    if (startsWithNoCase(*line, "transfer-encoding:")) {
      if (containsNoCase(line->substr(18), "chunked")) head.chunked = true;
    } else if (startsWithNoCase(*line, "content-length:")) {
      if (const auto value = contentLength(*line)) head.length = value;
    }
  }
}

}  // namespace

int64_t downloadHttpFile(const std::string& address, const std::function<UniqueFd()>& createFile,
                         std::optional<size_t> firstLineBytes) {
  const std::optional<HttpAddress> target = splitAddress(address);
  if (!target) return 0;
  const UniqueFd socket = connectTo(*target);
  if (!socket.valid()) return 0;
  const std::string port = target->port != 80 ? ":" + std::to_string(target->port) : "";
  const std::string request = "GET /" + target->path + " HTTP/1.1\r\nAccept: */*\r\nHost: " + target->host + port +
                              "\r\nConnection: close\r\n\r\n";
  if (!sendRequest(socket.get(), request)) return 0;

  ReplyStream stream(socket.get());
  const std::optional<ReplyHead> head = readReplyHead(stream);
  if (!head) return 0;

  BodyFile file(createFile, firstLineBytes);
  if (head->chunked) {
    readChunkedBody(stream, file);
  } else if (head->length) {
    readSizedBody(stream, file, *head->length);
  } else {
    readBodyUntilClose(stream, file);
  }
  return file.finish() ? file.written() : 0;
}

int64_t downloadHttpFile(const std::string& address, const std::string& filePath) {
  return downloadHttpFile(address, [&filePath] {
    return UniqueFd(::open(filePath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
  });
}

}  // namespace zandrel
