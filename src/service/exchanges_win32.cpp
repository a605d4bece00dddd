#include "service/exchanges_win32.h"

#include <string_view>

#include "service/md5.h"
#include "service/reply_reader.h"
#include "service/request_bodies.h"
#include "service/winsock_win32.h"

namespace stz {
namespace {

// Open, send, skip the reply's header block, read the session token when
// asked for, close. The body is complete before anything is opened.
int RunFormExchange(const ServiceEndpoint& endpoint, const TransportLimits& limits,
                    std::string_view requestLine, std::string_view body,
                    std::string* sessionToken) {
    const WinsockReference winsock;
    ServiceConnection connection;
    if (OpenServiceConnection(connection, endpoint.host, endpoint.port, limits) != 0) {
        return kExchangeNoConnection;
    }
    // A failed send is not an error of the exchange: the reading below then
    // ends at once on the broken connection.
    SendFormRequest(connection, requestLine, body);
    SocketByteSource source(connection);
    ReplyReader reader(source, limits.reply);
    reader.SkipReplyLines();
    if (sessionToken != nullptr) *sessionToken = ReadSessionToken(reader);
    connection.Close();
    return kExchangeDone;
}

}  // namespace

std::string PerformSessionHandshake(const ServiceSession& session, const ServiceEndpoint& endpoint,
                                    const TransportLimits& limits, int* code) {
    const std::string body = BuildSessionBody(session);
    std::string token;
    const int result = RunFormExchange(endpoint, limits, kSessionRequestLine, body, &token);
    if (code != nullptr) *code = result;
    // Only the token's length is examined; the key is its digest.
    return token.size() == 32 ? Md5Hex(token) : std::string();
}

int SendStatusReport(const ServiceSession& session, const CurrentTrack& track,
                     const ServiceEndpoint& endpoint, const TransportLimits& limits) {
    if (!HasReportableTrack(track)) return kExchangeNothingToSend;
    const std::string body = BuildStatusBody(session, track);
    return RunFormExchange(endpoint, limits, kStatusRequestLine, body, nullptr);
}

int SubmitPlay(const ServiceSession& session, const CurrentTrack& track,
               const ServiceEndpoint& endpoint, const TransportLimits& limits) {
    if (!HasReportableTrack(track)) return kExchangeNothingToSend;
    const std::string body = BuildSubmissionBody(session, track);
    return RunFormExchange(endpoint, limits, kSubmissionRequestLine, body, nullptr);
}

}  // namespace stz
