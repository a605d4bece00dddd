#include "service/reply_reader.h"

namespace stz {

ReplyReader::ReplyReader(ByteSource& source, ReplyLimits limits) : source_(source), limits_(limits) {}

std::string ReplyReader::ReceiveReplyLine() {
    std::string line;
    while (!ended_) {
        if (consumed_ >= limits_.maxTotalBytes) {
            ended_ = true;  // as if the service had closed the connection here
            break;
        }
        unsigned char byte = 0;
        const ByteRead read = source_.ReadByte(byte);
        if (read == ByteRead::End) {
            ended_ = true;
            break;
        }
        if (read == ByteRead::Error) {
            ended_ = true;
            return std::string();
        }
        ++consumed_;
        if (byte == '\n') {
            return line;
        }
        if (byte != '\r' && line.size() < limits_.maxLineBytes) {
            line += static_cast<char>(byte);
        }
    }
    return line;
}

void ReplyReader::SkipReplyLines() {
    while (!ReceiveReplyLine().empty()) {
    }
}

std::string ReadSessionToken(ReplyReader& reader) {
    const std::string line = reader.ReceiveReplyLine();
    std::string token = line.substr(0, line.find('\0'));
    if (!line.empty()) {
        reader.SkipReplyLines();
    }
    if (token.size() != 32) {
        token.clear();
    }
    return token;
}

}  // namespace stz
