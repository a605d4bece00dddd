#include "service/form_encode.h"

#include <gtest/gtest.h>

#include <string>

namespace stz {
namespace {

struct FormCase {
    std::u16string input;
    std::string encoded;
};

// Each expected value computed with
//   python3 -c 'import sys; print("".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else "%%%02X" % b for b in sys.argv[1].encode()))' '<input>'
TEST(FormEncodeTest, AsciiOnlyLettersAndDigitsStay) {
    const FormCase cases[] = {
        {u"AC/DC", "AC%2FDC"},
        {u"A B", "A%20B"},                        // a blank is %20, never +
        {u"-_.~*'+", "%2D%5F%2E%7E%2A%27%2B"},    // the usual unreserved ones too
        {u"\t", "%09"},
        {u"\n", "%0A"},                           // leading zero digit
        {u"", ""},
        {u"/09:@AZ[`az{", "%2F09%3A%40AZ%5B%60az%7B"},  // neighbours of each kept range
        {u"\x7F", "%7F"},
    };
    for (const FormCase& c : cases) {
        EXPECT_EQ(FormEncode(c.input), c.encoded) << c.encoded;
    }
}

TEST(FormEncodeTest, OtherScriptsByteByByteInUppercaseHex) {
    const FormCase cases[] = {
        {u"Beyonc\u00E9", "Beyonc%C3%A9"},
        {u"\u00E9", "%C3%A9"},
        {u"\u00DF", "%C3%9F"},
        {u"\u041A\u0438\u043D\u043E", "%D0%9A%D0%B8%D0%BD%D0%BE"},  // Кино
        {u"\u4E2D\u6587", "%E4%B8%AD%E6%96%87"},                    // 中文
        {u"\xD83D\xDE00", "%F0%9F%98%80"},                          // U+1F600, a surrogate pair
        {u"a\xD800" u"b", "a%EF%BF%BDb"},                           // unpaired: U+FFFD
    };
    for (const FormCase& c : cases) {
        EXPECT_EQ(FormEncode(c.input), c.encoded) << c.encoded;
    }
}

TEST(FormEncodeTest, LongTextsAreEncodedWhole) {
    std::u16string alnum;
    std::string alnumAscii;
    const char kAlnum[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 1023; ++i) {
        alnumAscii += kAlnum[i % 62];
        alnum += static_cast<char16_t>(alnumAscii.back());
    }
    EXPECT_EQ(FormEncode(alnum), alnumAscii);

    // A full host field of CJK: 255 units, 765 bytes of UTF-8, 2295 characters
    // encoded, far past any 1023-character area; nothing is cut.
    std::string expected;
    for (int i = 0; i < 255; ++i) {
        expected += "%E4%B8%AD";
    }
    EXPECT_EQ(FormEncode(std::u16string(255, u'\u4E2D')), expected);
}

}  // namespace
}  // namespace stz
