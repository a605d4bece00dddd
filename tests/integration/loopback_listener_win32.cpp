#include "loopback_listener_win32.h"

#include <ws2tcpip.h>

#include <charconv>
#include <string_view>

namespace stz::testing {
namespace {

constexpr DWORD kPollMs = 50;

SOCKET ListenOnLoopback(std::string& port) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return listener;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return INVALID_SOCKET;
    }
    port = std::to_string(ntohs(address.sin_port));
    return listener;
}

// Where the framed request ends: after the header block, the body of
// Content-Length bytes and the two LF that follow it. npos while incomplete.
size_t RequestEnd(std::string_view bytes) {
    const size_t headerEnd = bytes.find("\n\n");
    if (headerEnd == std::string_view::npos) return std::string_view::npos;
    constexpr std::string_view kLength = "Content-Length: ";
    const size_t at = bytes.find(kLength);
    if (at == std::string_view::npos || at > headerEnd) return headerEnd + 2;
    size_t bodyLength = 0;
    const char* digits = bytes.data() + at + kLength.size();
    std::from_chars(digits, bytes.data() + headerEnd, bodyLength);
    const size_t end = headerEnd + 2 + bodyLength + 2;
    return end <= bytes.size() ? end : std::string_view::npos;
}

}  // namespace

LoopbackListener::LoopbackListener(ListenerMode mode, std::string reply)
    : mode_(mode), reply_(std::move(reply)) {
    listener_ = ListenOnLoopback(port_);
    if (listener_ != INVALID_SOCKET) thread_ = std::thread([this] { Run(); });
}

LoopbackListener::~LoopbackListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
}

std::string LoopbackListener::Request() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard guard(lock_);
    return request_;
}

bool LoopbackListener::Accepted() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    std::lock_guard guard(lock_);
    return accepted_;
}

bool LoopbackListener::WaitReadable(SOCKET socket) {
    while (!stop_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval timeout{0, static_cast<long>(kPollMs * 1000)};
        const int ready = select(0, &readable, nullptr, nullptr, &timeout);
        if (ready < 0) return false;
        if (ready > 0) return true;
    }
    return false;
}

void LoopbackListener::Run() {
    if (!WaitReadable(listener_)) return;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    {
        std::lock_guard guard(lock_);
        accepted_ = true;
    }
    if (ReadRequest(client)) Respond(client);
    closesocket(client);
}

bool LoopbackListener::ReadRequest(SOCKET client) {
    std::string bytes;
    char chunk[512];
    while (RequestEnd(bytes) == std::string_view::npos) {
        if (!WaitReadable(client)) return false;
        const int count = recv(client, chunk, sizeof chunk, 0);
        if (count <= 0) break;
        bytes.append(chunk, static_cast<size_t>(count));
    }
    std::lock_guard guard(lock_);
    request_ = bytes;
    return true;
}

void LoopbackListener::Respond(SOCKET client) {
    switch (mode_) {
        case ListenerMode::Answer:
            send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
            shutdown(client, SD_SEND);
            break;
        case ListenerMode::Silent:
            break;
        case ListenerMode::Flood: {
            const std::string block(4096, 'a');
            while (!stop_ && send(client, block.data(), static_cast<int>(block.size()), 0) > 0) {
            }
            return;
        }
        case ListenerMode::Trickle:
            for (size_t i = 0; !stop_ && !reply_.empty(); i = (i + 1) % reply_.size()) {
                if (send(client, &reply_[i], 1, 0) != 1) return;
                Sleep(100);
            }
            return;
    }
    // Wait for the client to leave, so that Request() returns after it did.
    char sink[256];
    while (WaitReadable(client) && recv(client, sink, sizeof sink, 0) > 0) {
    }
}

std::string RefusedPort() {
    std::string port;
    SOCKET probe = ListenOnLoopback(port);
    if (probe != INVALID_SOCKET) closesocket(probe);
    return port;
}

}  // namespace stz::testing
