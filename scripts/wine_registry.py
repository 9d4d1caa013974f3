"""The one reader of Wine's registry files (system.reg, user.reg) for the scripts and the scenario runner."""

import os
import re


def decode_reg_string(text):
    """A key name or string of a Wine registry file: backslash escapes, \\x followed by hex digits."""
    out, i = [], 0
    escapes = {"n": "\n", "r": "\r", "t": "\t", "0": "\0", "\\": "\\", '"': '"', "a": "\a", "b": "\b",
               "e": "\x1b", "f": "\f", "v": "\v"}
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:]) if n == "x" else None
            if digits:
                out.append(chr(int(digits.group(0), 16)))
                i += 2 + len(digits.group(0))
                continue
            out.append(escapes.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    # A character beyond the first 65536 is stored as two escaped UTF-16 units: join them again.
    return "".join(out).encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")


def reg_entries(path):
    """Yields ("key", name) for each key of the file in turn and ("value", name, data as written) for each
    of its values ("" for the default value); the time stamps and comments are left out. Nothing when the
    file is not there."""
    if not os.path.exists(path):
        return
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().split("\n")
    i, in_key = 0, False
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines):  # hex data goes on over several lines
            i += 1
            line = line[:-1] + lines[i].strip()
        i += 1
        if line.startswith("["):
            in_key = True
            yield ("key", decode_reg_string(line[1:line.rfind("]")]))
            continue
        if not in_key or not line or line[0] in "#;":
            continue
        if line.startswith("@="):
            yield ("value", "", line[2:])
            continue
        m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if m:
            yield ("value", decode_reg_string(m.group(1)), m.group(2))
