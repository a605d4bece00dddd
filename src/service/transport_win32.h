// The plug-in's own HTTP/1.0 transport: one blocking TCP connection per
// request, with every wait bounded. Connecting, each send and each receive
// have a time limit, and the whole exchange has a deadline, so that a service
// that hangs or answers one byte at a time cannot hold a thread for long.
#pragma once

#include <winsock2.h>

#include <cstddef>
#include <climits>
#include <string>
#include <string_view>

#include "service/reply_reader.h"

namespace stz {

struct TransportLimits {
    DWORD connectTimeoutMs;    // from the connect call to the established connection
    DWORD operationTimeoutMs;  // one send or one receive
    DWORD exchangeTimeoutMs;   // the whole exchange, from opening to the last byte read
    ReplyLimits reply;
};

// Requests on worker threads.
constexpr TransportLimits WorkerLimits() { return {5000, 10000, 20000, {}}; }
// The last status report, sent on the player's thread while it shuts down.
constexpr TransportLimits ShutdownLimits() { return {2000, 2000, 3000, {}}; }

// One TCP connection, owned by the one request that opened it; closed by
// Close() or at the latest by the destructor.
class ServiceConnection {
public:
    ServiceConnection() = default;
    ~ServiceConnection() { Close(); }
    ServiceConnection(const ServiceConnection&) = delete;
    ServiceConnection& operator=(const ServiceConnection&) = delete;

    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    SOCKET Socket() const { return socket_; }
    void Close();

    // Takes over a connected blocking socket, with the limits and the
    // deadline (a GetTickCount64 value) of its exchange.
    void Adopt(SOCKET socket, const TransportLimits& limits, ULONGLONG deadline);

    // Ready the socket for one send or one receive: false once the exchange's
    // deadline has passed; otherwise the socket's time limit is the smaller of
    // the per-operation limit and the time left.
    bool PrepareSend() { return PrepareWait(SO_SNDTIMEO, sendTimeoutMs_); }
    bool PrepareReceive() { return PrepareWait(SO_RCVTIMEO, receiveTimeoutMs_); }

private:
    bool PrepareWait(int option, DWORD& current);

    SOCKET socket_ = INVALID_SOCKET;
    ULONGLONG deadline_ = 0;
    DWORD operationTimeoutMs_ = 0;
    DWORD sendTimeoutMs_ = 0;     // as last set on the socket; 0: not yet
    DWORD receiveTimeoutMs_ = 0;  // as last set on the socket; 0: not yet
};

// Resolves host and port (any family, TCP), connects to the first address
// only, within the limits. 0: connected; 1: failed, nothing left open.
int OpenServiceConnection(ServiceConnection& connection, const std::string& host,
                          const std::string& port, const TransportLimits& limits);

// Hands all of `bytes` to `sendSome(data, length)`, which returns the count it
// took or a value below 1 on failure, calling it again after a partial send.
// True when every byte went out.
template <class SendSome>
bool SendAllBytes(std::string_view bytes, SendSome&& sendSome) {
    while (!bytes.empty()) {
        const int chunk = bytes.size() > static_cast<size_t>(INT_MAX)
                              ? INT_MAX
                              : static_cast<int>(bytes.size());
        const int sent = sendSome(bytes.data(), chunk);
        if (sent < 1 || sent > chunk) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

// Sends the line and its LF terminator as one send call, continued after a
// partial send. False on an error or when the exchange's time is up.
bool SendRequestLine(ServiceConnection& connection, std::string_view line);

// Sends the seven lines of a form POST; stops at the first line that fails.
bool SendFormRequest(ServiceConnection& connection, std::string_view requestLine,
                     std::string_view body);

// The reply, one recv of one byte per read. The end of the connection reads
// as End; a receive error, a time-out or the exchange's deadline as Error.
class SocketByteSource final : public ByteSource {
public:
    explicit SocketByteSource(ServiceConnection& connection) : connection_(connection) {}
    ByteRead ReadByte(unsigned char& byte) override;

private:
    ServiceConnection& connection_;
};

}  // namespace stz
