// The stand-in service is the judge of the plug-in's requests, so its own
// reading of tokens, framing and signatures is checked against values
// computed elsewhere.
#include <gtest/gtest.h>
#include <winsock2.h>

#include "http_request.h"
#include "service_win32.h"
#include "signature_check_win32.h"

namespace stz::standin {
namespace {

// python3 -c "import hashlib; print(hashlib.md5(b'standin-token-0123456789abcdefgh').hexdigest())"
constexpr char kDefaultSessionKey[] = "7352a013eaeb5e5440072f47f5572aa8";
constexpr char kInstallId[] = "0123456789abcdef0123456789abcdef";

TEST(StandinService, SignatureCheckAgreesWithIndependentDigests) {
    // python3 -c "import hashlib; m=lambda b: hashlib.md5(b).hexdigest(); t=m(b'1700000000');
    //   s=m(b'7352a013eaeb5e5440072f47f5572aa8'); print(m('|'.join([t[0:4],s[0:16],t[8:12],'AC/DC',
    //   t[16:20],'Beyonc\xc3\xa9',t[20:24],'0123456789abcdef0123456789abcdef',t[12:16],s[16:32],
    //   t[4:8]]).encode('latin1')))"
    constexpr char kWithSession[] = "b7043fc97bf4c8e959dd9d8a56f42725";
    // The same with s=m(b'') (no session key).
    constexpr char kWithoutSession[] = "300ecee9c3dcfd0d34244a9b66531318";

    EXPECT_EQ(ExpectedSignature("1700000000", kDefaultSessionKey, "AC/DC", "Beyonc\xC3\xA9", kInstallId),
              kWithSession);

    auto fields = [](std::string pid) {
        return FormFields{{"sid", kInstallId}, {"pid", pid}, {"a", "AC/DC"}, {"t", "Beyonc\xC3\xA9"},
                          {"i", "1700000000"}};
    };
    const std::vector<std::string> keys = {"00000000000000000000000000000000", kDefaultSessionKey};
    struct Case {
        FormFields fields;
        SignatureCheck expected;
    } cases[] = {
        {fields(kWithSession), SignatureCheck::Session},
        {fields(kWithoutSession), SignatureCheck::NoSession},
        {fields("b7043fc97bf4c8e959dd9d8a56f42726"), SignatureCheck::Bad},
        {FormFields{{"sid", kInstallId}, {"a", "AC/DC"}}, SignatureCheck::Absent},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSignature(c.fields, keys), c.expected) << c.fields[1].second;
    }
}

TEST(StandinService, ReadsTokensAndRequestsAsThePluginWrites) {
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    const std::string token(kDefaultToken);
    struct TokenCase {
        std::string reply;
        std::string accepted;
    } tokens[] = {
        {head + token + "\r\n", token},
        {head + token + "\r\nsecond line\r\n", token},
        {"HTTP/1.0 500 Internal Server Error\r\n\r\n" + token + "\r\n", token},
        {head + token, token},  // ended by the close
        {head + token.substr(1) + "\r\n", ""},
        {head + token + "x\r\n", ""},
        {head + token + " \r\n", ""},
        {head + "\r\n" + token + "\r\n", ""},
        {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n" + token + "\r\n", ""},
    };
    for (const TokenCase& c : tokens) {
        EXPECT_EQ(StandinService::AcceptedToken(c.reply), c.accepted) << c.reply;
    }

    // Each complete case is one whole request: the framing must account for
    // every byte of it, no more.
    struct FramingCase {
        std::string bytes;
        bool complete;
    } framings[] = {
        // The plug-in: LF only, and two LF bytes after the counted body.
        {"POST /plugin/status.php HTTP/1.0\nContent-Length: 3\n\nabc\n\n", true},
        // A browser: CR LF, nothing after the body.
        {"POST /p HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\n\r\nab", true},
        {"POST /p HTTP/1.0\nContent-Length: 3\n", false},
    };
    for (const FramingCase& c : framings) {
        auto parsed = ParseRequestHead(c.bytes);
        ASSERT_EQ(parsed.has_value(), c.complete) << c.bytes;
        if (parsed) {
            EXPECT_EQ(ExpectedRequestBytes(*parsed), c.bytes.size()) << c.bytes;
        }
    }

    const FormFields decoded = DecodeForm("a=AC%2FDC&t=&b=A%20B%2b&x");
    const FormFields expected = {{"a", "AC/DC"}, {"t", ""}, {"b", "A B+"}, {"x", ""}};
    EXPECT_EQ(decoded, expected);
}

// A plain socket client plays the plug-in: the service records the request
// byte for byte and answers the handshake with the token line.
TEST(StandinService, RecordsARequestAndAnswersTheHandshake) {
    Timeline timeline;
    StandinService service(timeline);
    ASSERT_TRUE(service.Start());
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(service.Port());
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string request =
        "POST /plugin/session.php HTTP/1.0\nUser-Agent: x\nContent-Length: 10\n\nsid=&i=itw\n\n";
    ASSERT_EQ(send(s, request.data(), int(request.size()), 0), int(request.size()));
    std::string reply;
    char buffer[256];
    for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;) reply.append(buffer, size_t(n));
    closesocket(s);
    WSACleanup();

    EXPECT_EQ(reply, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + std::string(kDefaultToken) + "\r\n");
    ASSERT_TRUE(service.WaitForRequests(1, 5000));
    const ReceivedRequest r = service.Requests().at(0);
    EXPECT_EQ(r.raw, request);
    EXPECT_TRUE(r.framed);
    EXPECT_EQ(r.path, kSessionPath);
    EXPECT_EQ(r.body, "sid=&i=itw");
    EXPECT_EQ(r.trailer, "\n\n");
    EXPECT_EQ(service.IssuedTokens(), std::vector<std::string>{std::string(kDefaultToken)});
}

}  // namespace
}  // namespace stz::standin
