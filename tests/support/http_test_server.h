#pragma once
// A real HTTP server on 127.0.0.1 that plays canned replies, one connection each.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/unique_fd.h"

namespace zandrel::testing {

// What the server does with one connection: send the pieces one after another
// (a short pause between them, so they arrive as separate reads) and close;
// or, when silent, read the request and send nothing until the client leaves.
// With endlessBytes, the pieces go on with that many "9" bytes, no line end
// among them, unless the client hangs up first.
struct CannedReply {
  std::vector<std::string> pieces;
  bool silent = false;
  size_t endlessBytes = 0;
};

// Serves one connection per canned reply, in order, then stops. It never
// waits for a client longer than a few seconds, nor lives past its limit.
class TestServer {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TestServer(std::vector<CannedReply> replies) : replies_(std::move(replies)) {
    listener_.reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!listener_.valid() || ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_.get(), 4) != 0 ||
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no listening socket";
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      running_ = true;
      serve();
    });
    // A test that forks next must not fork while the thread is still being
    // set up: the child could inherit the allocator's lock taken, and hang.
    while (!running_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TestServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  int port() const { return port_; }
  std::string hostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
  // The request bytes of every connection so far, up to and with the blank line.
  std::vector<std::string> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  // Waits until every canned reply has been served (or the server gave up).
  void waitUntilServed() {
    if (thread_.joinable()) thread_.join();
  }
  // Of every connection with endless bytes so far, how many of them went out
  // before the client hung up (all of them when it never did).
  std::vector<size_t> endlessBytesSent() {
    std::lock_guard lock(mutex_);
    return endlessSent_;
  }

 private:
  static constexpr auto kLifetime = std::chrono::seconds(60);

  bool waitFor(int fd, short events, Clock::time_point until) {
    while (!stop_ && Clock::now() < until) {
      pollfd entry{fd, events, 0};
      if (::poll(&entry, 1, 50) > 0) return true;
    }
    return false;
  }
  bool waitReadable(int fd, Clock::time_point until) { return waitFor(fd, POLLIN, until); }

  // Until the client stops taking them: a refused send is a client that hung up.
  size_t sendEndless(int fd, size_t bytes, Clock::time_point until) {
    const std::string block(65536, '9');
    size_t sent = 0;
    while (sent < bytes && waitFor(fd, POLLOUT, until)) {
      const ssize_t n = ::send(fd, block.data(), std::min(block.size(), bytes - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        break;
      }
    }
    return sent;
  }

  void serve() {
    const Clock::time_point end = Clock::now() + kLifetime;
    for (const CannedReply& reply : replies_) {
      if (!waitReadable(listener_.get(), end)) return;
      UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!client.valid()) return;
      std::string request;
      char block[1024];
      while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
             waitReadable(client.get(), std::min(end, Clock::now() + std::chrono::seconds(5)))) {
        const ssize_t n = ::recv(client.get(), block, sizeof block, 0);
        if (n <= 0) break;
        request.append(block, static_cast<size_t>(n));
      }
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      if (reply.silent) {
        // Until the client gives up and closes its end.
        while (waitReadable(client.get(), end) && ::recv(client.get(), block, sizeof block, 0) > 0) {
        }
        continue;
      }
      bool sentAll = true;
      for (size_t i = 0; i < reply.pieces.size() && sentAll; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::string& piece = reply.pieces[i];
        sentAll = ::send(client.get(), piece.data(), piece.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(piece.size());
      }
      if (reply.endlessBytes > 0) {
        const size_t sent = sentAll ? sendEndless(client.get(), reply.endlessBytes, end) : 0;
        std::lock_guard lock(mutex_);
        endlessSent_.push_back(sent);
      }
      ::shutdown(client.get(), SHUT_WR);
    }
  }

  std::vector<CannedReply> replies_;
  UniqueFd listener_;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> running_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<size_t> endlessSent_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
inline int closedPort() {
  UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

inline std::string okHead(const std::string& headers = "") { return "HTTP/1.1 200 OK\r\n" + headers + "\r\n"; }

}  // namespace zandrel::testing
