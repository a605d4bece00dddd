// MD5 fed in arbitrary pieces. The first byte says how many piece lengths
// follow; the lengths are used in turn (a zero length is a call that adds
// nothing) and the remaining bytes are the message.
//
// Checked: every chunking gives the one-shot digest; non-positive counts
// change nothing; both hex forms agree with the digest of the bytes before
// the first zero byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "service/md5.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void OneShot(const uint8_t* bytes, size_t size, uint8_t digest[16]) {
    stz::Md5State state;
    stz::Md5Init(state);
    stz::Md5Append(state, bytes, static_cast<int32_t>(size));
    stz::Md5Finish(state, digest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > (1u << 20)) {
        return 0;
    }
    const size_t pieceCount = std::min<size_t>(data[0], size - 1);
    const uint8_t* pieces = data + 1;
    const uint8_t* message = pieces + pieceCount;
    const size_t messageSize = size - 1 - pieceCount;

    uint8_t expected[16];
    OneShot(message, messageSize, expected);

    stz::Md5State state;
    stz::Md5Init(state);
    size_t at = 0;
    for (size_t k = 0; at < messageSize; ++k) {
        size_t n = pieceCount == 0 ? messageSize : pieces[k % pieceCount];
        if (n == 0) {
            stz::Md5Append(state, message + at, 0);
            stz::Md5Append(state, message + at, -1);
            if (k > pieceCount) {
                n = 1;  // all lengths zero: still make progress
            }
        }
        n = std::min(n, messageSize - at);
        stz::Md5Append(state, message + at, static_cast<int32_t>(n));
        at += n;
    }
    uint8_t chunked[16];
    stz::Md5Finish(state, chunked);
    Check(std::memcmp(chunked, expected, 16) == 0);

    // Both hex forms digest up to the first zero byte.
    const std::string text(reinterpret_cast<const char*>(message), messageSize);
    const size_t zero = text.find('\0');
    const size_t prefix = zero == std::string::npos ? messageSize : zero;
    uint8_t prefixDigest[16];
    OneShot(message, prefix, prefixDigest);
    char hex[33];
    stz::Md5Hex(text.c_str(), hex);
    Check(hex[32] == '\0');
    for (int i = 0; i < 16; ++i) {
        static const char kDigits[] = "0123456789abcdef";
        Check(hex[2 * i] == kDigits[prefixDigest[i] >> 4] && hex[2 * i + 1] == kDigits[prefixDigest[i] & 15]);
    }
    Check(stz::Md5Hex(std::string_view(text)) == hex);
    return 0;
}
