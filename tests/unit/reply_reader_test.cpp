#include "service/reply_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stz {
namespace {

// Serves `bytes`, then End (or Error, when failAtEnd), counting every call.
class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(std::string bytes, bool failAtEnd = false)
        : bytes_(std::move(bytes)), failAtEnd_(failAtEnd) {}

    ByteRead ReadByte(unsigned char& byte) override {
        ++reads;
        if (at_ < bytes_.size()) {
            byte = static_cast<unsigned char>(bytes_[at_++]);
            return ByteRead::Byte;
        }
        return failAtEnd_ ? ByteRead::Error : ByteRead::End;
    }

    size_t reads = 0;

private:
    std::string bytes_;
    size_t at_ = 0;
    bool failAtEnd_;
};

// A line of 'x' with no LF, as long as a hostile service cares to send.
// It fails after a million bytes only so that a reader without a cap makes
// the test fail instead of hang.
class EndlessSource : public ByteSource {
public:
    ByteRead ReadByte(unsigned char& byte) override {
        if (++reads > 1'000'000) {
            return ByteRead::Error;
        }
        byte = 'x';
        return ByteRead::Byte;
    }
    size_t reads = 0;
};

std::vector<std::string> ReadLines(ReplyReader& reader, int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back(reader.ReceiveReplyLine());
    }
    return lines;
}

TEST(ReplyReaderTest, LinesFromBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        bool failAtEnd;
        std::vector<std::string> lines;  // the next lines read, in order
    };
    const Case cases[] = {
        {"CR LF ends a line", "abc\r\n", false, {"abc", ""}},
        {"CR dropped anywhere", "a\rb\n\r\rc\r", false, {"ab", "c", ""}},
        {"last line without LF, then empty", "one\ntwo", false, {"one", "two", "", ""}},
        {"error mid-line gives the empty line", "one\ntw", true, {"one", "", ""}},
        {"zero bytes and high bytes kept", std::string("a\0b\xC3\xA9\n", 6), false,
         {std::string("a\0b\xC3\xA9", 5), ""}},
        {"empty lines", "\n\r\n", false, {"", "", ""}},
    };
    for (const Case& c : cases) {
        ScriptedSource source(c.bytes, c.failAtEnd);
        ReplyReader reader(source);
        EXPECT_EQ(ReadLines(reader, static_cast<int>(c.lines.size())), c.lines) << c.name;
        EXPECT_TRUE(reader.Ended()) << c.name;
    }
}

TEST(ReplyReaderTest, NoReadsOnceEnded) {
    for (const bool failAtEnd : {false, true}) {
        ScriptedSource source("ab", failAtEnd);
        ReplyReader reader(source);
        reader.ReceiveReplyLine();
        const size_t reads = source.reads;  // two bytes and the End or Error
        EXPECT_EQ(reads, 3u);
        ReadLines(reader, 5);
        reader.SkipReplyLines();
        EXPECT_EQ(source.reads, reads) << (failAtEnd ? "after an error" : "after the end");
    }
}

TEST(ReplyReaderTest, LongLinesAreCutAndTheRestConsumed) {
    const ReplyLimits limits{.maxLineBytes = 4, .maxTotalBytes = 1000};
    ScriptedSource source("abcdefgh\r\nxy\n");
    ReplyReader reader(source, limits);
    EXPECT_EQ(reader.ReceiveReplyLine(), "abcd");
    EXPECT_EQ(reader.ReceiveReplyLine(), "xy");  // the rest of the long line did not spill over
}

TEST(ReplyReaderTest, AnEndlessLineStopsAtTheTotalCap) {
    EndlessSource source;
    ReplyReader reader(source);  // the plug-in's own limits
    const std::string line = reader.ReceiveReplyLine();
    EXPECT_EQ(line, std::string(ReplyLimits{}.maxLineBytes, 'x'));
    EXPECT_EQ(source.reads, ReplyLimits{}.maxTotalBytes);
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(reader.ReceiveReplyLine(), "");
    EXPECT_EQ(source.reads, ReplyLimits{}.maxTotalBytes);
}

TEST(ReplyReaderTest, TotalCapCountsAcrossLines) {
    ScriptedSource source("ab\ncd\nef\n");
    ReplyReader reader(source, ReplyLimits{.maxLineBytes = 100, .maxTotalBytes = 5});
    EXPECT_EQ(ReadLines(reader, 3), (std::vector<std::string>{"ab", "cd", ""}));
    EXPECT_EQ(source.reads, 5u);
}

TEST(ReplyReaderTest, SkipStopsAfterTheHeaderBlock) {
    ScriptedSource source("HTTP/1.0 500 Oops\r\nA: b\r\n\r\nbody\r\n");
    ReplyReader reader(source);
    reader.SkipReplyLines();
    EXPECT_EQ(reader.ReceiveReplyLine(), "body");

    // No empty line at all: everything is consumed, up to the end.
    ScriptedSource headersOnly("HTTP/1.0 200 OK\nA: b");
    ReplyReader cut(headersOnly);
    cut.SkipReplyLines();
    EXPECT_TRUE(cut.Ended());
}

TEST(ReplyReaderTest, SessionToken) {
    const std::string t32 = "0123456789abcdef0123456789abcdef";
    struct Case {
        const char* name;
        std::string body;  // what follows the header block
        std::string token;
        std::string afterBody;  // first line still unread after the token rule
    };
    const Case cases[] = {
        {"32 with CR LF", t32 + "\r\n", t32, ""},
        {"32 without line end", t32, t32, ""},
        {"31 refused", t32.substr(1) + "\r\n", "", ""},
        {"33 refused", t32 + "0\r\n", "", ""},
        {"trailing blank refused", t32 + " \r\n", "", ""},
        {"empty first line refused", "\r\n" + t32 + "\r\n", "", t32},
        {"only the first line counts; the rest is consumed", t32 + "\nmore\nlines\n\nafter\n", t32, "after"},
        {"cut at a zero byte", t32 + std::string("\0tail\n", 6), t32, ""},
        {"zero byte inside leaves too few", std::string("abc\0", 4) + t32 + "\n", "", ""},
    };
    for (const Case& c : cases) {
        ScriptedSource source("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + c.body);
        ReplyReader reader(source);
        reader.SkipReplyLines();
        EXPECT_EQ(ReadSessionToken(reader), c.token) << c.name;
        EXPECT_EQ(reader.ReceiveReplyLine(), c.afterBody) << c.name;
    }
}

}  // namespace
}  // namespace stz
