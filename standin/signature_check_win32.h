// What the service knows how to check: the "pid" of a request, recomputed
// from the request's own fields and the session key of a token it issued.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "http_request.h"

namespace stz::standin {

enum class SignatureCheck {
    Absent,     // the request carries no "pid"
    Session,    // made with the key of a token this service issued
    NoSession,  // made with the empty key: the plug-in had no session
    Bad,        // matches neither
};

const char* SignatureCheckText(SignatureCheck check);

// The pid for these inputs: artist and title are the decoded UTF-8 bytes,
// startTime the decimal text sent as "i".
std::string ExpectedSignature(std::string_view startTime, std::string_view sessionKey,
                              std::string_view artist, std::string_view title,
                              std::string_view installId);

// Checks the "pid" of `fields` against the empty key and each session key.
SignatureCheck CheckSignature(const FormFields& fields, const std::vector<std::string>& sessionKeys);

}  // namespace stz::standin
