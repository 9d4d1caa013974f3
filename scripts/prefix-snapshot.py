#!/usr/bin/env python3
"""What a program run left in a Wine prefix: snapshots of drive C: and of the registry, and their difference.

    prefix-snapshot.py take PREFIX FILE                    writes a snapshot of PREFIX into FILE (JSON)
    prefix-snapshot.py compare PREFIX FILE [--expect-nothing]
                                                           prints what is in PREFIX now and was not in FILE's
                                                           snapshot (and what was there and is gone)

A snapshot holds every file and folder of drive_c (for a file its size and modification time) and every key
and value of HKLM\\Software and HKCU\\Software, read from the prefix's system.reg and user.reg: stop the
Wine server first (`wineserver -w`), it writes the files when it ends. What Wine itself rewrites (the time
stamps of the registry's keys, the system's scratch folders) is left out, so a run that installs and
removes completely compares as "nothing".

`compare` exits 0 whatever it finds, so that a demo can show it; with --expect-nothing it exits 1 when
something is listed.
"""

import argparse
import json
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_registry import decode_reg_string, reg_entries  # noqa: E402

# Folders below drive_c (lower case, "/"-separated) of the system's own scratch files and logs, which
# the template prefix holds empty. Snapshots around `wine cmd /c exit` and around a whole demo run (driver,
# setup, uninstaller under Xvfb) differed in nothing else on drive C: and below Software but the registry's
# time stamps; the user's Temp folder is looked at, as setup may write a log there.
CHURN_FILES = re.compile(r"^windows/(logs|temp)(/.*)?$")

REGISTRY_FILES = (("HKLM", "system.reg"), ("HKCU", "user.reg"))


def read_registry_file(path, root):
    """{key path with root: {value name: data as written}} of the keys below Software. The time stamp
    after each key and the #time lines are dropped: Wine writes new ones whenever it saves."""
    keys, spelling, current = {}, {}, None
    for entry in reg_entries(path):
        if entry[0] == "key":
            name = entry[1]
            current = None
            if name.lower() == "software" or name.lower().startswith("software\\"):
                # A key may appear twice, spelt alike or not (a file appended to before the server read it):
                # the registry ignores case, the first spelling stays and the later values win.
                full = spelling.setdefault((root + "\\" + name).lower(), root + "\\" + name)
                current = keys.setdefault(full, {})
        elif current is not None:
            current[entry[1]] = entry[2]
    return keys


def registry(prefix):
    """Every key with its values. Wine writes a key without values only when it has no subkeys either, so
    the keys on the way to every key written are added: a key does not come and go with its children."""
    keys = {}
    for root, name in REGISTRY_FILES:
        keys.update(read_registry_file(os.path.join(prefix, name), root))
    known = {key.lower() for key in keys}
    for key in list(keys):
        parts = key.split("\\")
        for depth in range(2, len(parts)):
            parent = "\\".join(parts[:depth])
            if parent.lower() not in known:
                known.add(parent.lower())
                keys[parent] = {}
    return keys


def files(prefix):
    """{path below drive_c: [kind, size, mtime in ns]}; links are not followed."""
    base = os.path.join(prefix, "drive_c")
    found = {}
    for root, dirs, names in os.walk(base):
        rel_root = os.path.relpath(root, base)
        kept = []
        for name in sorted(dirs) + sorted(names):
            rel = name if rel_root == "." else rel_root + "/" + name
            if CHURN_FILES.match(rel.lower()):
                continue
            st = os.lstat(os.path.join(root, name))
            if name in dirs and not os.path.islink(os.path.join(root, name)):
                found[rel] = ["folder", 0, 0]
                kept.append(name)
            else:
                found[rel] = ["link" if os.path.islink(os.path.join(root, name)) else "file", st.st_size,
                              st.st_mtime_ns]
        dirs[:] = [d for d in dirs if d in kept]
    return found


def take(prefix):
    return {"files": files(prefix), "registry": registry(prefix)}


def shown_data(data):
    """A value's data as a reader expects it: strings unquoted, DWORDs as numbers."""
    if data.startswith('"') and data.endswith('"'):
        return '"%s"' % decode_reg_string(data[1:-1])
    if data.startswith("dword:"):
        return "%d (dword)" % int(data[6:], 16)
    return data


def difference(before, after):
    """(left, gone): lines for what is new or changed in `after`, and for what of `before` is missing."""
    left, gone = [], []
    old_files, new_files = before["files"], after["files"]
    for path in sorted(new_files, key=str.lower):
        win = "C:\\" + path.replace("/", "\\")
        kind = new_files[path][0]
        if path not in old_files:
            left.append("%-8s %s" % (kind, win))
        elif kind != "folder" and new_files[path] != old_files[path]:
            left.append("%-8s %s" % ("changed", win))
    top_gone = [p for p in old_files if p not in new_files]
    for path in sorted(top_gone, key=str.lower):
        gone.append("%-8s C:\\%s" % (old_files[path][0], path.replace("/", "\\")))

    old_keys = {k.lower(): (k, v) for k, v in before["registry"].items()}
    new_keys = {k.lower(): (k, v) for k, v in after["registry"].items()}
    for lower in sorted(new_keys):
        key, values = new_keys[lower]
        old_values = old_keys.get(lower, (key, None))[1]
        if old_values is None:
            parent = lower.rpartition("\\")[0]
            if parent in old_keys or "\\" not in parent:  # the keys below a new key are new too: named once
                left.append("%-8s %s" % ("key", key))
            old_values = {}
        old_by_name = {n.lower(): d for n, d in old_values.items()}
        for name in sorted(values, key=str.lower):
            was = old_by_name.get(name.lower())
            if was != values[name]:
                label = "value" if was is None else "changed"
                left.append("%-8s %s\\%s = %s" % (label, key, name or "(default)", shown_data(values[name])))
    for lower in sorted(old_keys):
        key, values = old_keys[lower]
        if lower not in new_keys:
            parent = lower.rpartition("\\")[0]
            if parent in new_keys or "\\" not in parent:
                gone.append("%-8s %s" % ("key", key))
            continue
        names = {n.lower() for n in new_keys[lower][1]}
        for name in sorted(values, key=str.lower):
            if name.lower() not in names:
                gone.append("%-8s %s\\%s" % ("value", new_keys[lower][0], name or "(default)"))
    return left, gone


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=("take", "compare"))
    parser.add_argument("prefix")
    parser.add_argument("snapshot")
    parser.add_argument("--expect-nothing", action="store_true",
                        help="exit 1 when anything is left (or gone)")
    args = parser.parse_args()
    if args.command == "take":
        with open(args.snapshot, "w", encoding="utf-8") as f:
            json.dump(take(args.prefix), f)
        return 0
    with open(args.snapshot, encoding="utf-8") as f:
        before = json.load(f)
    left, gone = difference(before, take(args.prefix))
    print("Left on the PC after the removal (compared with before the install):")
    print("\n".join("  " + line for line in left) if left else "  nothing")
    if gone:
        print("Gone from the PC since before the install:")
        print("\n".join("  " + line for line in gone))
    return 1 if args.expect_nothing and (left or gone) else 0


if __name__ == "__main__":
    sys.exit(main())
