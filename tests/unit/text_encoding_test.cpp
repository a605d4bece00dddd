#include "service/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace stz {
namespace {

struct Utf8Case {
    std::u16string input;
    std::string utf8;
};

// Bytes of each code point checked with
//   python3 -c 'print(chr(0x7ff).encode("utf-8").hex())'   (likewise for the others)
TEST(TextEncodingTest, EncodedLengthsAtEveryBoundary) {
    const Utf8Case cases[] = {
        {u"", ""},
        {u"\x7F", "\x7F"},
        {u"\x80", "\xC2\x80"},
        {u"\x7FF", "\xDF\xBF"},
        {u"\x800", "\xE0\xA0\x80"},
        {u"\xFFFF", "\xEF\xBF\xBF"},
        {u"\xD800\xDC00", "\xF0\x90\x80\x80"},  // U+10000
        {u"\xDBFF\xDFFF", "\xF4\x8F\xBF\xBF"},  // U+10FFFF
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.input), c.utf8) << "input of " << c.input.size() << " units";
    }
}

TEST(TextEncodingTest, UnpairedSurrogatesBecomeTheReplacementCharacter) {
    const std::string kFffd = "\xEF\xBF\xBD";
    const Utf8Case cases[] = {
        {u"\xD800", kFffd},                                  // high at the end
        {u"\xDC00", kFffd},                                  // low alone
        {u"\xD800" u"A", kFffd + "A"},                       // high before a non-surrogate
        {u"\xDE00\xD83D", kFffd + kFffd},                    // pair in the wrong order
        {u"\xD83D\xD83D\xDE00", kFffd + "\xF0\x9F\x98\x80"}, // the second high starts the pair
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.input), c.utf8) << "input of " << c.input.size() << " units";
    }

    // A high surrogate that ends the view is unpaired, whatever follows it
    // in memory.
    const std::u16string pair = u"\xD83D\xDE00";
    EXPECT_EQ(Utf16ToUtf8(std::u16string_view(pair).substr(0, 1)), kFffd);
}

}  // namespace
}  // namespace stz
