// A one-connection loopback listener for transport tests: it records the
// request it receives and then answers, stays silent, floods, or trickles,
// as the test asks. The full stand-in service lives in the stand-in player;
// this one is small enough to sit beside tests that link the transport
// directly, without the DLL.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace stz::testing {

enum class ListenerMode {
    Answer,   // read the request, send the reply, close
    Silent,   // read the request, then say nothing until the client leaves
    Flood,    // read the request, then send 'a' without end (no line end)
    Trickle,  // read the request, then send one byte of `reply` every 100 ms, repeating it
};

class LoopbackListener {
public:
    explicit LoopbackListener(ListenerMode mode, std::string reply = {});
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    const std::string& Port() const { return port_; }

    // Waits until the connection is handled (the client has left), then
    // gives the bytes of the request as received.
    std::string Request();
    bool Accepted();

private:
    void Run();
    bool ReadRequest(SOCKET client);
    void Respond(SOCKET client);
    bool WaitReadable(SOCKET socket);

    ListenerMode mode_;
    std::string reply_;
    SOCKET listener_ = INVALID_SOCKET;
    std::string port_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::string request_;
    bool accepted_ = false;
    std::thread thread_;
};

// A loopback port on which nothing listens: connecting is refused.
std::string RefusedPort();

}  // namespace stz::testing
