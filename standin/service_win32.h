// The stand-in service: a loopback HTTP listener on its own thread that
// answers the plug-in's three requests and the browser's page request,
// records every request byte for byte, checks each signature, and can be
// told to misbehave.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "http_request.h"
#include "signature_check_win32.h"
#include "timeline.h"

namespace stz::standin {

inline constexpr std::string_view kSessionPath = "/plugin/session.php";
inline constexpr std::string_view kStatusPath = "/plugin/status.php";
inline constexpr std::string_view kSubmitPath = "/plugin/submit.php";
inline constexpr std::string_view kLyricsPagePath = "/plugin/0.4/itunes/plugin.php";

// The token the service hands out unless told otherwise: 32 characters.
inline constexpr std::string_view kDefaultToken = "standin-token-0123456789abcdefgh";

enum class Fault {
    None,
    Refuse,       // the listener is closed: connecting is refused
    Hang,         // accept and read, never answer, hold the connection
    Slow,         // the usual answer, one byte a second
    ErrorStatus,  // status 500, the usual body (a valid token for the handshake)
    Garbage,      // bytes without structure (zeros, CRs, high bytes), then close
    EndlessLine,  // bytes without any LF, for as long as the peer reads
    Delayed,      // the usual answer, after a pause (SetDelay, default 3 s)
};
const char* FaultName(Fault fault);
std::optional<Fault> ParseFault(std::string_view name);

struct ReceivedRequest {
    double arrivalMs = 0;  // on the timeline's clock, when the request was complete
    double answeredMs = -1;  // when the whole answer had been sent; -1: not (yet)
    std::string raw;       // every byte received on the connection up to then
    std::string method;
    std::string path;
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;      // the bytes Content-Length counts
    std::string trailer;   // what followed the counted body
    FormFields fields;     // the body's fields, percent-decoded
    // Header block, counted body and (for LF-framed requests) two trailing LF
    // bytes all arrived; false when the peer closed or stopped short.
    bool framed = false;
    SignatureCheck signature = SignatureCheck::Absent;

    bool SignatureOk() const { return signature == SignatureCheck::Session; }
    std::optional<std::string> Field(std::string_view name) const;
    std::vector<std::string> FieldNames() const;
    std::optional<std::string> Header(std::string_view name) const;
};

class StandinService {
public:
    explicit StandinService(Timeline& timeline);
    ~StandinService();
    StandinService(const StandinService&) = delete;
    StandinService& operator=(const StandinService&) = delete;

    // Listens on 127.0.0.1, on a port the system picks, and starts the thread.
    bool Start();
    // Stops the thread and closes every socket; safe to call twice.
    void Stop();

    uint16_t Port() const { return port_; }
    std::string Endpoint() const;  // "127.0.0.1:PORT", as STANZASCOPIUM_SERVICE takes it

    // The fault for one path, or for every path when `path` is empty. Refuse
    // concerns the listener and ignores the path. Takes effect before it returns.
    void SetFault(Fault fault, std::string_view path = {});
    // The pause before a Fault::Delayed answer.
    void SetDelay(int ms);
    // The body of the handshake's reply (default: the token, CR LF).
    void SetSessionBody(std::string body);
    // The handshake's whole reply, status line and headers included.
    void SetSessionReply(std::string raw);

    std::vector<ReceivedRequest> Requests() const;
    std::vector<ReceivedRequest> Requests(std::string_view path) const;
    // Session tokens whose reply the plug-in will accept (as it parses them).
    std::vector<std::string> IssuedTokens() const;
    size_t OpenConnections() const { return openConnections_.load(); }

    // Called while waiting, so that the player's timers keep running.
    void SetWaitPump(std::function<void(int ms)> pump) { pump_ = std::move(pump); }
    bool WaitUntil(const std::function<bool(const std::vector<ReceivedRequest>&)>& done, int timeoutMs);
    bool WaitForRequests(size_t count, int timeoutMs);
    bool WaitForRequests(std::string_view path, size_t count, int timeoutMs);

    // The token the plug-in takes from a handshake reply: the first line after
    // the header block, CR bytes dropped; empty when it would not be accepted.
    static std::string AcceptedToken(std::string_view reply);

private:
    struct Connection;
    void Run();
    void ApplyListenerState();
    void Progress(Connection& c, double now);
    void Record(Connection& c, bool framed, double now);
    std::string BuildReply(const ReceivedRequest& request, Fault fault);
    Fault FaultFor(std::string_view path) const;

    Timeline& timeline_;
    uint16_t port_ = 0;
    bool winsockStarted_ = false;
    uintptr_t listener_;  // SOCKET
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<size_t> openConnections_{0};
    std::function<void(int)> pump_;

    mutable std::mutex lock_;  // guards everything below
    std::condition_variable changed_;
    std::vector<ReceivedRequest> requests_;
    std::vector<std::string> issuedTokens_;
    std::vector<std::string> sessionKeys_;
    std::map<std::string, Fault, std::less<>> faults_;  // "" for every path
    bool refuse_ = false;
    int listenerWanted_ = 0;   // generation asked for
    int listenerApplied_ = 0;  // generation the thread has applied
    int delayMs_ = 3000;
    std::string sessionBody_;
    std::optional<std::string> sessionReply_;
};

}  // namespace stz::standin
