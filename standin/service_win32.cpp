#include "service_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <list>

#include "md5_win32.h"

namespace stz::standin {
namespace {

constexpr size_t kMaxReceived = 1 << 20;       // a request larger than this is cut
constexpr double kTrailerWaitMs = 1500;        // for the plug-in's two trailing LF bytes
constexpr double kDrainMs = 3000;              // after our answer, for the peer to close
constexpr double kSlowByteMs = 1000;           // Fault::Slow: one byte a second
constexpr size_t kEndlessChunk = 4096;

SOCKET AsSocket(uintptr_t s) { return static_cast<SOCKET>(s); }

void SetNonBlocking(SOCKET s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}

std::string Garbage() {
    // Fixed pseudo-random bytes: zeros, CR, LF and high bytes among them.
    std::string bytes;
    uint32_t x = 0x2545F491;
    for (int i = 0; i < 600; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes += char(x >> 24);
    }
    bytes[7] = '\0';
    bytes[40] = '\r';
    bytes[41] = '\n';
    return bytes;
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string FieldsText(const ReceivedRequest& r) {
    std::string text;
    for (const auto& [name, value] : r.fields) {
        text += ' ';
        text += name;
        text += '=';
        const bool plain = std::all_of(value.begin(), value.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
                   c == '-';
        });
        text += plain && !value.empty() ? value : Printable(value, 80);
    }
    return text;
}

// The page is loaded by the browser control, which adds the plug-in's two
// header lines to its own: say whether they arrived as the plug-in gave them.
std::string PageHeadersText(const ReceivedRequest& r) {
    const auto agent = r.Header("User-Agent");
    const auto type = r.Header("Content-Type");
    if (agent == "Stanzascopium/0.4 (iTunes build)" && type == "application/x-www-form-urlencoded") {
        return "  [plug-in's headers]";
    }
    return "  [User-Agent " + Printable(agent.value_or("(none)"), 80) + ", Content-Type " +
           Printable(type.value_or("(none)"), 80) + "]";
}

}  // namespace

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None: return "normal";
        case Fault::Refuse: return "refuse";
        case Fault::Hang: return "hang";
        case Fault::Slow: return "slow";
        case Fault::ErrorStatus: return "error";
        case Fault::Garbage: return "garbage";
        case Fault::EndlessLine: return "endless";
        case Fault::Delayed: return "delayed";
    }
    return "?";
}

std::optional<Fault> ParseFault(std::string_view name) {
    for (Fault f : {Fault::None, Fault::Refuse, Fault::Hang, Fault::Slow, Fault::ErrorStatus, Fault::Garbage,
                    Fault::EndlessLine, Fault::Delayed}) {
        if (name == FaultName(f)) return f;
    }
    return std::nullopt;
}

std::optional<std::string> ReceivedRequest::Field(std::string_view name) const {
    for (const auto& [key, value] : fields) {
        if (key == name) return value;
    }
    return std::nullopt;
}

std::vector<std::string> ReceivedRequest::FieldNames() const {
    std::vector<std::string> names;
    for (const auto& field : fields) names.push_back(field.first);
    return names;
}

std::optional<std::string> ReceivedRequest::Header(std::string_view name) const {
    RequestHead head;
    head.headers = headers;
    return head.Header(name);
}

struct StandinService::Connection {
    SOCKET socket = INVALID_SOCKET;
    std::string in;
    bool peerClosed = false;
    std::optional<RequestHead> head;
    double bodyCompleteMs = -1;  // when header block and counted body were in
    enum class Phase { Reading, Replying, Draining, Holding } phase = Phase::Reading;
    Fault fault = Fault::None;
    std::string out;
    size_t outPos = 0;
    double nextByteMs = 0;
    double drainDeadlineMs = 0;
    double acceptedMs = 0;
    std::string path;
    size_t requestIndex = 0;  // in requests_
};

StandinService::StandinService(Timeline& timeline)
    : timeline_(timeline), listener_(INVALID_SOCKET), sessionBody_(std::string(kDefaultToken) + "\r\n") {}

StandinService::~StandinService() { Stop(); }

std::string StandinService::Endpoint() const { return "127.0.0.1:" + std::to_string(port_); }

bool StandinService::Start() {
    if (thread_.joinable()) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    winsockStarted_ = true;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(s, SOMAXCONN) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(s);
        return false;
    }
    SetNonBlocking(s);
    port_ = ntohs(address.sin_port);
    listener_ = s;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
    timeline_.Add("service", "listening on " + Endpoint());
    return true;
}

void StandinService::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
        thread_.join();
    }
    if (AsSocket(listener_) != INVALID_SOCKET) {
        closesocket(AsSocket(listener_));
        listener_ = INVALID_SOCKET;
    }
    if (winsockStarted_) {
        WSACleanup();
        winsockStarted_ = false;
    }
}

void StandinService::SetFault(Fault fault, std::string_view path) {
    std::unique_lock guard(lock_);
    if (fault == Fault::Refuse || refuse_) {
        refuse_ = fault == Fault::Refuse;
        const int wanted = ++listenerWanted_;
        if (thread_.joinable()) {
            changed_.wait_for(guard, std::chrono::seconds(5), [&] { return listenerApplied_ >= wanted; });
        }
    }
    if (fault != Fault::Refuse) faults_[std::string(path)] = fault;
    guard.unlock();
    timeline_.Add("service", std::string("fault: ") + FaultName(fault) +
                                 (path.empty() ? std::string() : " for " + std::string(path)));
}

void StandinService::SetDelay(int ms) {
    std::lock_guard guard(lock_);
    delayMs_ = ms;
}

void StandinService::SetSessionBody(std::string body) {
    std::lock_guard guard(lock_);
    sessionBody_ = std::move(body);
    sessionReply_.reset();
}

void StandinService::SetSessionReply(std::string raw) {
    std::lock_guard guard(lock_);
    sessionReply_ = std::move(raw);
}

std::vector<ReceivedRequest> StandinService::Requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

std::vector<ReceivedRequest> StandinService::Requests(std::string_view path) const {
    std::lock_guard guard(lock_);
    std::vector<ReceivedRequest> matching;
    for (const auto& r : requests_) {
        if (r.path == path) matching.push_back(r);
    }
    return matching;
}

std::vector<std::string> StandinService::IssuedTokens() const {
    std::lock_guard guard(lock_);
    return issuedTokens_;
}

bool StandinService::WaitUntil(const std::function<bool(const std::vector<ReceivedRequest>&)>& done,
                               int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        {
            std::unique_lock guard(lock_);
            if (done(requests_)) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
            if (!pump_) {
                changed_.wait_for(guard, std::chrono::milliseconds(20));
                continue;
            }
        }
        pump_(20);
    }
}

bool StandinService::WaitForRequests(size_t count, int timeoutMs) {
    return WaitUntil([count](const auto& requests) { return requests.size() >= count; }, timeoutMs);
}

bool StandinService::WaitForRequests(std::string_view path, size_t count, int timeoutMs) {
    return WaitUntil(
        [&](const auto& requests) {
            return size_t(std::count_if(requests.begin(), requests.end(),
                                        [&](const ReceivedRequest& r) { return r.path == path; })) >= count;
        },
        timeoutMs);
}

std::string StandinService::AcceptedToken(std::string_view reply) {
    // The plug-in's reading: lines end at LF, CR bytes vanish wherever they stand.
    std::vector<std::string> lines;
    std::string line;
    for (char c : reply) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    lines.push_back(line);  // the last one, ended by the close
    size_t i = 0;
    while (i < lines.size() && !lines[i].empty()) ++i;  // status line and headers
    if (i + 1 >= lines.size()) return {};
    std::string token = lines[i + 1];
    token = token.substr(0, token.find('\0'));
    return token.size() == 32 ? token : std::string();
}

Fault StandinService::FaultFor(std::string_view path) const {
    auto it = faults_.find(path);
    if (it == faults_.end()) it = faults_.find(std::string_view());
    return it == faults_.end() ? Fault::None : it->second;
}

void StandinService::ApplyListenerState() {
    std::lock_guard guard(lock_);
    if (listenerApplied_ == listenerWanted_) return;
    if (refuse_ && AsSocket(listener_) != INVALID_SOCKET) {
        closesocket(AsSocket(listener_));
        listener_ = INVALID_SOCKET;
    } else if (!refuse_ && AsSocket(listener_) == INVALID_SOCKET) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port_);
        if (s != INVALID_SOCKET &&
            (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, SOMAXCONN) != 0)) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
        if (s != INVALID_SOCKET) SetNonBlocking(s);
        listener_ = s;
    }
    listenerApplied_ = listenerWanted_;
    changed_.notify_all();
}

std::string StandinService::BuildReply(const ReceivedRequest& request, Fault fault) {
    if (fault == Fault::Garbage) return Garbage();
    if (fault == Fault::EndlessLine) return "HTTP/1.0 200 OK";
    const std::string status = fault == Fault::ErrorStatus ? " 500 Internal Server Error\r\n" : " 200 OK\r\n";
    if (request.path == kSessionPath) {
        if (sessionReply_) return *sessionReply_;
        return "HTTP/1.0" + status + "Content-Type: text/plain\r\n\r\n" + sessionBody_;
    }
    if (request.path == kStatusPath || request.path == kSubmitPath) {
        return "HTTP/1.0" + status + "Content-Type: text/plain\r\n\r\nOK\r\n";
    }
    std::string body;
    std::string head;
    if (request.path == kLyricsPagePath && request.method == "POST") {
        body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Lyrics</title></head><body>"
               "<h1>" + HtmlEscape(request.Field("t").value_or("")) + "</h1><h2>" +
               HtmlEscape(request.Field("a").value_or("")) + "</h2><p>(lyrics from the stand-in service)</p>"
               "</body></html>\n";
        head = "HTTP/1.1" + status + "Content-Type: text/html; charset=utf-8\r\n";
    } else {
        body = "not here\n";
        head = "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n";
    }
    return head + "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

void StandinService::Record(Connection& c, bool framed, double now) {
    ReceivedRequest r;
    r.arrivalMs = now;
    r.raw = c.in;
    r.framed = framed;
    if (c.head) {
        r.method = c.head->method;
        r.path = c.head->path;
        r.version = c.head->version;
        r.headers = c.head->headers;
        const size_t bodyStart = std::min(c.head->headerBytes, c.in.size());
        r.body = c.in.substr(bodyStart, c.head->contentLength);
        if (bodyStart + c.head->contentLength < c.in.size()) {
            r.trailer = c.in.substr(bodyStart + c.head->contentLength);
        }
        r.fields = DecodeForm(r.body);
    }
    std::string line;
    {
        std::lock_guard guard(lock_);
        r.signature = CheckSignature(r.fields, sessionKeys_);
        c.fault = FaultFor(r.path);
        c.path = r.path;
        line = (r.method.empty() ? std::string("(no request line)") : r.method + " " + r.path) + FieldsText(r);
        if (r.signature != SignatureCheck::Absent) line += std::string("  [") + SignatureCheckText(r.signature) + "]";
        if (r.path == kLyricsPagePath) line += PageHeadersText(r);
        if (!framed) line += "  (incomplete: " + std::string(c.peerClosed ? "peer closed" : "framing") + ")";
        if (c.fault == Fault::Hang) {
            c.phase = Connection::Phase::Holding;
            line += "  -> holding the connection, no answer";
        } else {
            c.out = BuildReply(r, c.fault);
            c.outPos = 0;
            c.phase = Connection::Phase::Replying;
            c.nextByteMs = c.fault == Fault::Delayed ? now + delayMs_ : now;
            if (c.fault != Fault::None) line += std::string("  -> ") + FaultName(c.fault);
            if (r.path == kSessionPath && c.fault != Fault::EndlessLine) {
                const std::string token = AcceptedToken(c.out);
                if (!token.empty()) {
                    issuedTokens_.push_back(token);
                    sessionKeys_.push_back(SystemMd5Hex(token));
                    line += "  -> token issued";
                } else {
                    line += "  -> no acceptable token";
                }
            }
        }
        c.requestIndex = requests_.size();
        requests_.push_back(std::move(r));
        changed_.notify_all();
    }
    timeline_.Add("service", line);
}

void StandinService::Progress(Connection& c, double now) {
    using Phase = Connection::Phase;
    if (c.phase != Phase::Reading) return;
    if (!c.head) c.head = ParseRequestHead(c.in);
    if (c.head) {
        const size_t withBody = c.head->headerBytes + c.head->contentLength;
        if (c.in.size() >= ExpectedRequestBytes(*c.head)) {
            Record(c, true, now);
            return;
        }
        if (c.in.size() >= withBody && c.bodyCompleteMs < 0) c.bodyCompleteMs = now;
        if (c.bodyCompleteMs >= 0 && now - c.bodyCompleteMs > kTrailerWaitMs) {
            Record(c, false, now);
            return;
        }
    }
    if ((c.peerClosed || c.in.size() >= kMaxReceived) && !c.in.empty()) Record(c, false, now);
}

void StandinService::Run() {
    using Phase = Connection::Phase;
    std::list<Connection> connections;
    auto closeConnection = [&](std::list<Connection>::iterator it) {
        closesocket(it->socket);
        --openConnections_;
        return connections.erase(it);
    };
    while (!stop_) {
        ApplyListenerState();
        const double now = timeline_.NowMs();
        fd_set readable, writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        const SOCKET listener = AsSocket(listener_);
        if (listener != INVALID_SOCKET) FD_SET(listener, &readable);
        for (auto& c : connections) {
            if (readable.fd_count + 1 >= FD_SETSIZE) break;
            if (!c.peerClosed) FD_SET(c.socket, &readable);
            const bool paced = (c.fault == Fault::Slow || c.fault == Fault::Delayed) && now < c.nextByteMs;
            if (c.phase == Phase::Replying && !paced) FD_SET(c.socket, &writable);
        }
        timeval wait{0, 20 * 1000};
        const int ready = select(0, &readable, &writable, nullptr, &wait);
        const double after = timeline_.NowMs();
        if (ready == SOCKET_ERROR) {
            Sleep(20);
            continue;
        }
        if (listener != INVALID_SOCKET && FD_ISSET(listener, &readable)) {
            while (connections.size() + 2 < FD_SETSIZE) {
                SOCKET s = accept(listener, nullptr, nullptr);
                if (s == INVALID_SOCKET) break;
                SetNonBlocking(s);
                Connection c;
                c.socket = s;
                c.acceptedMs = after;
                connections.push_back(std::move(c));
                ++openConnections_;
            }
        }
        for (auto it = connections.begin(); it != connections.end();) {
            Connection& c = *it;
            if (FD_ISSET(c.socket, &readable)) {
                char buffer[4096];
                const int n = recv(c.socket, buffer, sizeof buffer, 0);
                if (n > 0) {
                    if (c.in.size() < kMaxReceived) c.in.append(buffer, size_t(n));
                } else if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) {
                    c.peerClosed = true;
                }
            }
            Progress(c, after);
            if (c.phase == Phase::Replying && FD_ISSET(c.socket, &writable)) {
                if (c.fault == Fault::EndlessLine && c.outPos >= c.out.size()) {
                    c.out.assign(kEndlessChunk, 'x');
                    c.outPos = 0;
                }
                const size_t want = c.fault == Fault::Slow ? 1 : c.out.size() - c.outPos;
                const int sent = want == 0 ? 0 : send(c.socket, c.out.data() + c.outPos, int(want), 0);
                if (sent > 0) {
                    c.outPos += size_t(sent);
                    c.nextByteMs = after + kSlowByteMs;
                } else if (sent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
                    timeline_.Add("service", "peer gone while answering " + c.path);
                    it = closeConnection(it);
                    continue;
                }
                if (c.outPos >= c.out.size() && c.fault != Fault::EndlessLine) {
                    {
                        std::lock_guard guard(lock_);
                        requests_[c.requestIndex].answeredMs = after;
                        changed_.notify_all();
                    }
                    shutdown(c.socket, SD_SEND);
                    c.phase = Phase::Draining;
                    c.drainDeadlineMs = after + kDrainMs;
                }
            }
            const bool drained = c.phase == Phase::Draining && (c.peerClosed || after >= c.drainDeadlineMs);
            const bool closedEarly = c.peerClosed && (c.phase == Phase::Holding || c.in.empty() ||
                                                      c.phase == Phase::Replying);
            if (closedEarly && c.phase != Phase::Reading) {
                timeline_.Add("service", "peer closed " + c.path + " before an answer was complete");
            }
            if (drained || closedEarly) {
                it = closeConnection(it);
                continue;
            }
            ++it;
        }
    }
    while (!connections.empty()) closeConnection(connections.begin());
}

}  // namespace stz::standin
