// Reply reading against arbitrary service bytes. The first byte chooses the
// limits and how the reply ends; the rest is the reply.
//
// Checked: reading always ends, within the total cap; no line holds CR or
// LF or exceeds the line cap; nothing is read once the reply has ended; the
// token is empty or 32 bytes without a zero. With room to spare, the lines
// joined by LF give back the reply without its CR bytes (up to its last LF
// when it ends in an error).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "service/reply_reader.h"

namespace {

class FuzzSource : public stz::ByteSource {
public:
    FuzzSource(const uint8_t* data, size_t size, bool failAtEnd) : data_(data), size_(size), failAtEnd_(failAtEnd) {}

    stz::ByteRead ReadByte(unsigned char& byte) override {
        if (afterEnd_) {
            std::abort();  // read again after End or Error
        }
        ++reads;
        if (at_ < size_) {
            byte = data_[at_++];
            return stz::ByteRead::Byte;
        }
        afterEnd_ = true;
        return failAtEnd_ ? stz::ByteRead::Error : stz::ByteRead::End;
    }

    size_t reads = 0;

private:
    const uint8_t* data_;
    size_t size_;
    bool failAtEnd_;
    size_t at_ = 0;
    bool afterEnd_ = false;
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    const bool failAtEnd = (mode & 1) != 0;
    const bool smallLimits = (mode & 2) != 0;
    const bool sessionReply = (mode & 4) != 0;
    ++data;
    --size;

    stz::ReplyLimits limits;
    if (smallLimits) {
        limits.maxLineBytes = (mode >> 3) & 7;           // 0..7
        limits.maxTotalBytes = 1 + ((mode >> 6) * 11);   // 1..34
    }
    FuzzSource source(data, size, failAtEnd);
    stz::ReplyReader reader(source, limits);

    std::string joined;
    bool first = true;
    auto take = [&](const std::string& line) {
        Check(line.size() <= limits.maxLineBytes);
        Check(line.find('\r') == std::string::npos && line.find('\n') == std::string::npos);
        if (!first) {
            joined += '\n';
        }
        joined += line;
        first = false;
    };

    if (sessionReply) {
        reader.SkipReplyLines();
        const std::string token = stz::ReadSessionToken(reader);
        Check(token.empty() || (token.size() == 32 && token.find('\0') == std::string::npos));
    }
    for (size_t calls = 0; !reader.Ended(); ++calls) {
        Check(calls <= size + 1);  // every call consumes a byte or ends the reply
        take(reader.ReceiveReplyLine());
    }
    const size_t readsAtEnd = source.reads;
    Check(reader.ReceiveReplyLine().empty());
    Check(source.reads == readsAtEnd);
    Check(source.reads <= limits.maxTotalBytes + 1);

    if (!sessionReply && !smallLimits && size < limits.maxTotalBytes && size < limits.maxLineBytes) {
        std::string expected;
        for (size_t i = 0; i < size; ++i) {
            if (data[i] != '\r') {
                expected += static_cast<char>(data[i]);
            }
        }
        if (failAtEnd) {
            const size_t lastLf = expected.rfind('\n');
            expected.resize(lastLf == std::string::npos ? 0 : lastLf + 1);
        }
        Check(joined == expected);
    }
    return 0;
}
