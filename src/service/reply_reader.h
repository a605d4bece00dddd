// Reading the service's reply line by line from a byte source (a socket in
// the plug-in, a table of bytes in tests). Only the session token is ever
// used; everything else is read to be passed over. Reading is bounded, so a
// hostile or broken service cannot make the plug-in buffer or read for ever.
#pragma once

#include <cstddef>
#include <string>

namespace stz {

enum class ByteRead { Byte, End, Error };

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // One byte of the reply; End when the service closed the connection,
    // Error when receiving failed (a time limit included).
    virtual ByteRead ReadByte(unsigned char& byte) = 0;
};

struct ReplyLimits {
    size_t maxLineBytes = 8192;    // bytes of a line beyond this are read and dropped
    size_t maxTotalBytes = 65536;  // after this many bytes the reply counts as ended
};

class ReplyReader {
public:
    explicit ReplyReader(ByteSource& source, ReplyLimits limits = {});

    // The next line without its LF; CR bytes are dropped wherever they
    // stand; zero bytes and bytes of 0x80 and above are kept. At the end of
    // the reply the bytes collected so far are the line, and every later
    // call gives the empty line without reading. A receive error gives the
    // empty line (the bytes collected are discarded) and ends the reply.
    std::string ReceiveReplyLine();

    // Reads lines until an empty one: the status line, the headers and the
    // empty line after them. Also stops when the reply ends.
    void SkipReplyLines();

    bool Ended() const { return ended_; }

private:
    ByteSource& source_;
    ReplyLimits limits_;
    size_t consumed_ = 0;
    bool ended_ = false;
};

// The session token from the reply body, once the caller has skipped the
// header block: the first body line up to its first zero byte, accepted when
// exactly 32 characters long, else "". The rest of the body, up to its first
// empty line, is read and discarded.
std::string ReadSessionToken(ReplyReader& reader);

}  // namespace stz
