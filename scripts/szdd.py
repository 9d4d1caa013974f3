#!/usr/bin/env python3
"""SZDD-compresses files in place, as setup's CDs hold them, and checks each result by expanding it.

mscompress does the compressing, but the Debian build writes a wrong file for every input shorter than
16 bytes (a zero byte first, the last byte lost, the length right), which the LZ library then expands
without complaint. So each file mscompress makes is expanded here and compared with the original;
where they differ (and for every file shorter than 16 bytes, without asking mscompress), the file is
written in the format's plainest form instead, every byte a literal, which every expander reads.

Usage: szdd.py FILE...   (each FILE is replaced by its compressed form under the same name; a file that
                         is compressed already is left as it is)
"""

import os
import subprocess
import sys

MAGIC = b"SZDD\x88\xf0\x27\x33"
HEADER = 14
WINDOW = 4096
MSCOMPRESS_SHORTEST = 16  # the shortest input mscompress compresses right


def expand(data):
    """The contents an SZDD file expands to, as the LZ library expands them; None when it is not one."""
    if len(data) < HEADER or data[:8] != MAGIC or data[8:9] != b"A":
        return None
    size = int.from_bytes(data[10:14], "little")
    # LZSS over a window of blanks written from 16 bytes before its end: a flag byte, then eight items,
    # a literal (bit 1) or a 12-bit window position and a length of 3 to 18 (bit 0).
    window = bytearray(b" " * WINDOW)
    out = bytearray()

    def put(byte):
        window[(WINDOW - 16 + len(out)) % WINDOW] = byte
        out.append(byte)

    pos = HEADER
    while pos < len(data):
        flags = data[pos]
        pos += 1
        for bit in range(8):
            if pos >= len(data):
                break
            if flags >> bit & 1:
                put(data[pos])
                pos += 1
                continue
            if pos + 1 >= len(data):
                return None
            start = data[pos] | (data[pos + 1] & 0xF0) << 4
            for k in range((data[pos + 1] & 0x0F) + 3):
                put(window[(start + k) % WINDOW])
            pos += 2
    return bytes(out[:size]) if len(out) >= size else None


def literal_form(content):
    """`content` in the SZDD format with no back references: a flag byte of ones before each 8 bytes."""
    out = bytearray(MAGIC + b"A\0" + len(content).to_bytes(4, "little"))
    for i in range(0, len(content), 8):
        out += b"\xff" + content[i:i + 8]
    return bytes(out)


def compress(path):
    """Replaces the file at `path` by its SZDD form."""
    with open(path, "rb") as f:
        content = f.read()
    made = path + "_"
    if os.path.exists(made):
        os.remove(made)
    kept = False
    # mscompress gets every shorter input wrong: those go to the plain form straight away.
    if len(content) >= MSCOMPRESS_SHORTEST:
        subprocess.run(["mscompress", path], check=True, stdout=subprocess.DEVNULL)
        with open(made, "rb") as f:
            packed = f.read()
        kept = expand(packed) == content
    if not kept:
        packed = literal_form(content)
        if expand(packed) != content:
            raise RuntimeError("%s: no SZDD form expands to its contents" % path)
        with open(made, "wb") as f:
            f.write(packed)
    os.replace(made, path)


def main(paths):
    for path in paths:
        with open(path, "rb") as f:
            if f.read(len(MAGIC)) == MAGIC:
                continue
        compress(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
