// The service client's exchanges over real loopback sockets under Wine:
// the bytes on the wire, the result codes, and that no service, however it
// misbehaves, holds a request for longer than its limits.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "loopback_listener_win32.h"
#include "service/exchanges_win32.h"
#include "service/transport_win32.h"
#include "service/winsock_win32.h"

namespace stz {
namespace {

using stz::testing::ListenerMode;
using stz::testing::LoopbackListener;
using stz::testing::RefusedPort;
using Clock = std::chrono::steady_clock;

// Short limits keep the bounded cases quick; the bounds checked below are
// generous multiples of them, so a slow machine does not fail them.
constexpr TransportLimits kTestLimits{1000, 1000, 3000, {}};
constexpr auto kBoundSlack = std::chrono::seconds(10);

ServiceSession TestSession() {
    ServiceSession session;
    session.installId = "0123456789abcdef0123456789abcdef";
    session.sessionKey = "fedcba9876543210fedcba9876543210";
    session.clientCode = "itw";
    session.hostVersion = "12.1";
    session.otherProductPresent = 1;
    return session;
}

CurrentTrack TestTrack() {
    CurrentTrack track;
    track.artist = u"AC/DC";
    track.title = u"Back in Black";
    track.album = u"Back in Black";
    track.trackNumber = 6;
    track.year = 1980;
    track.lengthSeconds = 255;
    track.startTime = 1700000000;
    track.reportable = 1;
    track.playing = 1;
    return track;
}

ServiceEndpoint Loopback(const std::string& port) { return ServiceEndpoint{"127.0.0.1", port}; }

class ServiceExchangeTest : public ::testing::Test {
protected:
    WinsockReference winsock_;  // for the listeners' sockets
};

// The signature of TestTrack() with TestSession(), computed outside our code:
// python3 -c "import hashlib; h=lambda b: hashlib.md5(b).hexdigest();
//   td=h(b'1700000000'); sd=h(b'fedcba9876543210fedcba9876543210');
//   print(h('|'.join([td[0:4],sd[0:16],td[8:12],'AC/DC',td[16:20],'Back in Black',
//   td[20:24],'0123456789abcdef0123456789abcdef',td[12:16],sd[16:32],td[4:8]]).encode()))"
// -> b012ec245e22198e4fa99bf72b47ec66
// Each Content-Length below is the byte count of the body line beneath it,
// e.g. python3 -c "print(len(b'sid=0123456789abcdef0123456789abcdef&i=itw&v=12.1&m=1'))"
// -> 53; the same over the status body -> 150 and the submission body -> 157.
TEST_F(ServiceExchangeTest, RequestsGoOutByteForByte) {
    struct Case {
        const char* name;
        int (*exchange)(const ServiceEndpoint&);
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"session handshake",
         [](const ServiceEndpoint& endpoint) {
             int code = -1;
             PerformSessionHandshake(TestSession(), endpoint, kTestLimits, &code);
             return code;
         },
         "POST /plugin/session.php HTTP/1.0\n"
         "User-Agent: Stanzascopium/0.4 (iTunes build)\n"
         "Content-Type: application/x-www-form-urlencoded\n"
         "Content-Length: 53\n"
         "\n"
         "sid=0123456789abcdef0123456789abcdef&i=itw&v=12.1&m=1\n"
         "\n"},
        {"status report",
         [](const ServiceEndpoint& endpoint) {
             return SendStatusReport(TestSession(), TestTrack(), endpoint, kTestLimits);
         },
         "POST /plugin/status.php HTTP/1.0\n"
         "User-Agent: Stanzascopium/0.4 (iTunes build)\n"
         "Content-Type: application/x-www-form-urlencoded\n"
         "Content-Length: 150\n"
         "\n"
         "sid=0123456789abcdef0123456789abcdef&pid=b012ec245e22198e4fa99bf72b47ec66"
         "&a=AC%2FDC&t=Back%20in%20Black&b=Back%20in%20Black&p=1&l=255&i=1700000000&m=1\n"
         "\n"},
        {"play submission",
         [](const ServiceEndpoint& endpoint) {
             return SubmitPlay(TestSession(), TestTrack(), endpoint, kTestLimits);
         },
         "POST /plugin/submit.php HTTP/1.0\n"
         "User-Agent: Stanzascopium/0.4 (iTunes build)\n"
         "Content-Type: application/x-www-form-urlencoded\n"
         "Content-Length: 157\n"
         "\n"
         "sid=0123456789abcdef0123456789abcdef&pid=b012ec245e22198e4fa99bf72b47ec66"
         "&a=AC%2FDC&t=Back%20in%20Black&b=Back%20in%20Black&n=6&y=1980&l=255&i=1700000000&m=1\n"
         "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener service(ListenerMode::Answer, "HTTP/1.0 500 Internal Server Error\r\n\r\n");
        EXPECT_EQ(c.exchange(Loopback(service.Port())), kExchangeDone);
        EXPECT_EQ(service.Request(), c.expected);
    }
}

TEST_F(ServiceExchangeTest, HandshakeKeyIsTheDigestOfAWholeTokenLine) {
    // python3 -c "import hashlib; print(hashlib.md5(b'0123456789ABCDEFGHIJKLMNOPQRSTUV').hexdigest())"
    // -> 6a46269dbaddec9ffea3ebe1d44c2801
    const std::string token = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    struct Case {
        const char* name;
        std::string reply;
        std::string key;
    };
    const std::vector<Case> cases = {
        {"token line ended by CR LF, more lines after it",
         "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + token + "\r\nsecond line\r\n",
         "6a46269dbaddec9ffea3ebe1d44c2801"},
        {"token without a line end, service closes", "HTTP/1.0 200 OK\n\n" + token,
         "6a46269dbaddec9ffea3ebe1d44c2801"},
        {"token one character short", "HTTP/1.0 200 OK\n\n" + token.substr(1) + "\n", ""},
        {"header block never ends", "HTTP/1.0 200 OK\n" + token + "\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener service(ListenerMode::Answer, c.reply);
        int code = -1;
        EXPECT_EQ(PerformSessionHandshake(TestSession(), Loopback(service.Port()), kTestLimits, &code),
                  c.key);
        EXPECT_EQ(code, kExchangeDone);
    }
}

TEST_F(ServiceExchangeTest, NothingReportableNeverConnectsAndNoServiceGivesNoConnection) {
    CurrentTrack nameless = TestTrack();
    nameless.artist.clear();
    nameless.title.clear();
    CurrentTrack withheld = TestTrack();
    withheld.reportable = 0;
    CurrentTrack titleOnly = TestTrack();
    titleOnly.artist.clear();

    struct Case {
        const char* name;
        CurrentTrack track;
        int expected;
    };
    const std::vector<Case> cases = {
        {"neither artist nor title", nameless, kExchangeNothingToSend},
        {"not reportable", withheld, kExchangeNothingToSend},
        {"title alone is reported", titleOnly, kExchangeNoConnection},
    };
    // Nothing listens on the port: an attempt to connect gives 2, so a 1
    // shows that no attempt was made.
    const ServiceEndpoint nowhere = Loopback(RefusedPort());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SendStatusReport(TestSession(), c.track, nowhere, kTestLimits), c.expected);
        EXPECT_EQ(SubmitPlay(TestSession(), c.track, nowhere, kTestLimits), c.expected);
    }
    int code = -1;
    EXPECT_EQ(PerformSessionHandshake(TestSession(), nowhere, kTestLimits, &code), "");
    EXPECT_EQ(code, kExchangeNoConnection);
    EXPECT_EQ(PerformSessionHandshake(TestSession(), ServiceEndpoint{"no-such-host.invalid", "80"},
                                      kTestLimits, &code),
              "");
    EXPECT_EQ(code, kExchangeNoConnection);
}

TEST_F(ServiceExchangeTest, MisbehavingServiceIsLeftWithinTheLimits) {
    // Reply caps small enough that a flood reaches them long before the
    // exchange's deadline.
    TransportLimits flood = kTestLimits;
    flood.exchangeTimeoutMs = 60000;
    flood.operationTimeoutMs = 60000;
    flood.reply = ReplyLimits{256, 4096};

    struct Case {
        const char* name;
        ListenerMode mode;
        std::string reply;
        TransportLimits limits;
        std::chrono::milliseconds bound;
    };
    const std::vector<Case> cases = {
        // Without a receive limit this waits for ever.
        {"accepts and never answers", ListenerMode::Silent, "", kTestLimits,
         std::chrono::milliseconds(kTestLimits.operationTimeoutMs)},
        // Each byte comes within the receive limit; only the deadline ends it.
        {"answers one byte every 100 ms", ListenerMode::Trickle, "HTTP/1.0 200 OK\n", kTestLimits,
         std::chrono::milliseconds(kTestLimits.exchangeTimeoutMs)},
        // An endless line: ended by the total cap, far before its deadline.
        {"sends one endless line", ListenerMode::Flood, "", flood, std::chrono::milliseconds(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackListener service(c.mode, c.reply);
        const auto start = Clock::now();
        int code = -1;
        EXPECT_EQ(PerformSessionHandshake(TestSession(), Loopback(service.Port()), c.limits, &code), "");
        const auto elapsed = Clock::now() - start;
        EXPECT_EQ(code, kExchangeDone);
        EXPECT_LT(elapsed, c.bound + kBoundSlack);
    }
}

// A listener whose accept queue is full: the system drops further
// connection attempts, so connecting hangs until the limit.
TEST_F(ServiceExchangeTest, ConnectingToAServiceThatNeverAcceptsIsBounded) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_NE(listener, INVALID_SOCKET);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));

    // Fill the queue with connections that are never accepted.
    std::vector<ServiceConnection> fillers(4);
    TransportLimits quick = kTestLimits;
    quick.connectTimeoutMs = 300;
    for (ServiceConnection& filler : fillers) OpenServiceConnection(filler, "127.0.0.1", port, quick);

    ServiceConnection connection;
    const auto start = Clock::now();
    EXPECT_EQ(OpenServiceConnection(connection, "127.0.0.1", port, kTestLimits), 1);
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_LT(Clock::now() - start,
              std::chrono::milliseconds(kTestLimits.connectTimeoutMs) + kBoundSlack);
    closesocket(listener);
}

TEST(SendAllBytes, ContinuesPartialSendsAndStopsOnFailure) {
    struct Case {
        const char* name;
        std::vector<int> accepted;  // what each call takes; -1 fails
        bool ok;
        std::string delivered;
    };
    const std::string line = "Content-Length: 57\n";
    const std::vector<Case> cases = {
        {"all at once", {100}, true, line},
        {"a few bytes per call", {3, 3, 3, 3, 3, 3, 100}, true, line},
        {"error after a partial send", {5, -1}, false, line.substr(0, 5)},
        // A send that takes nothing would never finish: counted as failure.
        {"a call that takes nothing", {4, 0, 100}, false, line.substr(0, 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string delivered;
        size_t call = 0;
        const bool ok = SendAllBytes(line, [&](const char* data, int length) {
            const int take = call < c.accepted.size() ? c.accepted[call++] : -1;
            if (take < 0) return -1;
            const int sent = take < length ? take : length;
            delivered.append(data, static_cast<size_t>(sent));
            return sent;
        });
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(delivered, c.delivered);
    }
}

}  // namespace
}  // namespace stz
