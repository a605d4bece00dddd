#include "service/transport_win32.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "service/request_bodies.h"

namespace stz {
namespace {

struct AddrInfoRelease {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddrInfoList = std::unique_ptr<addrinfo, AddrInfoRelease>;

// A socket that is closed on every path unless released.
class SocketGuard {
public:
    explicit SocketGuard(SOCKET socket) : socket_(socket) {}
    ~SocketGuard() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    SocketGuard(const SocketGuard&) = delete;
    SocketGuard& operator=(const SocketGuard&) = delete;
    SOCKET Get() const { return socket_; }
    SOCKET Release() { return std::exchange(socket_, INVALID_SOCKET); }

private:
    SOCKET socket_;
};

DWORD MillisecondsUntil(ULONGLONG deadline) {
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, MAXDWORD));
}

bool SetBlocking(SOCKET socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &nonBlocking) == 0;
}

// connect() cannot be given a time limit on a blocking socket: connect
// without blocking and wait for the outcome with select().
bool ConnectWithin(SOCKET socket, const sockaddr* address, int addressLength, DWORD timeoutMs) {
    if (timeoutMs == 0 || !SetBlocking(socket, false)) return false;
    if (connect(socket, address, addressLength) == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        timeval timeout;
        timeout.tv_sec = static_cast<long>(timeoutMs / 1000);
        timeout.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
        // Winsock reports a refused connection in the except set, not the write set.
        if (select(0 /* ignored */, nullptr, &writable, &failed, &timeout) != 1) return false;
        if (FD_ISSET(socket, &failed) || !FD_ISSET(socket, &writable)) return false;
        int error = 0;
        int errorLength = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                       &errorLength) != 0 ||
            error != 0) {
            return false;
        }
    }
    return SetBlocking(socket, true);
}

}  // namespace

void ServiceConnection::Close() {
    if (socket_ != INVALID_SOCKET) {
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
}

void ServiceConnection::Adopt(SOCKET socket, const TransportLimits& limits, ULONGLONG deadline) {
    Close();
    socket_ = socket;
    deadline_ = deadline;
    operationTimeoutMs_ = limits.operationTimeoutMs;
    sendTimeoutMs_ = 0;
    receiveTimeoutMs_ = 0;
}

bool ServiceConnection::PrepareWait(int option, DWORD& current) {
    if (socket_ == INVALID_SOCKET) return false;
    const DWORD left = MillisecondsUntil(deadline_);
    // A time limit of 0 would mean no limit at all: stop instead.
    if (left == 0 || operationTimeoutMs_ == 0) return false;
    const DWORD wanted = std::min(operationTimeoutMs_, left);
    // Set only when the limit is new or shrinks: on a prompt service the
    // per-operation limit stays in place and no byte costs an extra call.
    if (current == 0 || wanted < current) {
        if (setsockopt(socket_, SOL_SOCKET, option, reinterpret_cast<const char*>(&wanted),
                       sizeof wanted) != 0) {
            return false;
        }
        current = wanted;
    }
    return true;
}

int OpenServiceConnection(ServiceConnection& connection, const std::string& host,
                          const std::string& port, const TransportLimits& limits) {
    connection.Close();
    const ULONGLONG deadline = GetTickCount64() + limits.exchangeTimeoutMs;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
        if (found != nullptr) freeaddrinfo(found);
        return 1;
    }
    const AddrInfoList list(found);

    // Only the first address is tried, as the service's one host has one.
    const addrinfo& first = *list;
    SocketGuard socket(::socket(first.ai_family, first.ai_socktype, first.ai_protocol));
    if (socket.Get() == INVALID_SOCKET) return 1;

    const DWORD connectMs = std::min(limits.connectTimeoutMs, MillisecondsUntil(deadline));
    if (!ConnectWithin(socket.Get(), first.ai_addr, static_cast<int>(first.ai_addrlen), connectMs)) {
        return 1;
    }
    connection.Adopt(socket.Release(), limits, deadline);
    return 0;
}

bool SendRequestLine(ServiceConnection& connection, std::string_view line) {
    std::string framed;
    framed.reserve(line.size() + 1);
    framed.append(line);
    framed.push_back('\n');
    return SendAllBytes(framed, [&connection](const char* data, int length) {
        if (!connection.PrepareSend()) return -1;
        return send(connection.Socket(), data, length, 0 /* flags */);
    });
}

bool SendFormRequest(ServiceConnection& connection, std::string_view requestLine,
                     std::string_view body) {
    for (const std::string& line : FrameFormRequest(requestLine, body)) {
        if (!SendRequestLine(connection, line)) return false;
    }
    return true;
}

ByteRead SocketByteSource::ReadByte(unsigned char& byte) {
    if (!connection_.PrepareReceive()) return ByteRead::Error;
    char received = 0;
    const int count = recv(connection_.Socket(), &received, 1, 0 /* flags */);
    if (count == 1) {
        byte = static_cast<unsigned char>(received);
        return ByteRead::Byte;
    }
    return count == 0 ? ByteRead::End : ByteRead::Error;
}

}  // namespace stz
