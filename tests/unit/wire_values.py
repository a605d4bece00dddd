#!/usr/bin/env python3
"""Expected wire values for the unit tests, computed independently of the
C++ code with hashlib. Each test literal names the line that produced it:

    python3 tests/unit/wire_values.py            # every value
    python3 tests/unit/wire_values.py status     # the values whose name starts so
"""
import hashlib
import sys


def md5(data: bytes) -> str:
    return hashlib.md5(data).hexdigest()


def utf8(text: str) -> bytes:
    # Unpaired surrogates become U+FFFD, as the plug-in converts them.
    return text.encode("utf-16", "surrogatepass").decode("utf-16", "replace").encode("utf-8")


def form(text: str) -> str:
    return "".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else "%%%02X" % b for b in utf8(text))


def sig(start: int, key: str, artist: str, title: str, sid: str) -> str:
    t, s = md5(str(start).encode()), md5(key.encode())
    pieces = [t[0:4], s[0:16], t[8:12], utf8(artist), t[16:20], utf8(title), t[20:24], sid, t[12:16], s[16:32], t[4:8]]
    return md5(b"|".join(p if isinstance(p, bytes) else p.encode() for p in pieces))


# The fixture shared by the signature and body tests.
TOKEN = "0123456789abcdef0123456789abcdef"
KEY = md5(TOKEN.encode())
SID = md5(b"MYPC|1700000000")
START = 1700000123


def status(sid, start, key, artist, title, album, playing, length, m):
    pid = sig(start, key, artist, title, sid)
    return f"sid={sid}&pid={pid}&a={form(artist)}&t={form(title)}&b={form(album)}&p={playing}&l={length}&i={start}&m={m}"


def submit(sid, start, key, artist, title, album, number, year, length, m):
    pid = sig(start, key, artist, title, sid)
    return (f"sid={sid}&pid={pid}&a={form(artist)}&t={form(title)}&b={form(album)}"
            f"&n={number}&y={year}&l={length}&i={start}&m={m}")


def lyrics(sid, start, key, artist, title):
    return f"a={form(artist)}&t={form(title)}&i={start}&pid={sig(start, key, artist, title, sid)}&sid={sid}"


VALUES = {
    "key": KEY,
    "sid": SID,
    "sig_basic": sig(START, KEY, "AC/DC", "Back in Black", SID),
    "sig_all_empty": sig(0, "", "", "", ""),
    "sig_pipe_and_e_acute": sig(-1, KEY, "\u00e9", "a|b", "z" * 32),
    "sig_surrogates": sig(START, KEY, "\U0001F600", "x\ud800y", SID),
    "session_body": f"sid={SID}&i=itw&v=9.2&m=0",
    "status_body": status(SID, START, KEY, "AC/DC", "Back in Black", "Back in Black", 1, 255, 0),
    "status_body_stopped_sparse": status("", START, KEY, "Me/You", "", "", 0, 31, 1),
    "submit_body": submit(SID, START, KEY, "AC/DC", "Back in Black", "Back in Black", 6, 1980, 255, 0),
    "submit_body_zeros": submit(SID, -5, "", "", "Beyonc\u00e9", "", 0, 0, 0, 0),
    "lyrics_body": lyrics(SID, START, KEY, "Me/You", "A.B."),
}

if __name__ == "__main__":
    prefix = sys.argv[1] if len(sys.argv) > 1 else ""
    for name, value in VALUES.items():
        if name.startswith(prefix):
            print(f"{name}: {value}")
