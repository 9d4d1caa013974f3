#!/usr/bin/env python3
"""Fails when a file under src/ includes from a folder its own folder may not use.

The layers are those of docs/architecture.md. Every quoted or angled include is resolved the way the
compiler resolves it (the including file's folder first, then src/ and resources/); includes that
resolve to nothing of ours (the system's and the standard library's headers) are left alone.

Usage: check-layers.py [SOURCE_DIR] [--stamp FILE]. Prints one line per offending include and exits 1,
or writes FILE (for the build's dependency tracking) and exits 0.
"""
import os
import re
import sys

# Which folders each folder may include from. Its own folder is always allowed.
ALLOWED = {
    "framework": set(),
    "settings": {"framework"},
    "copy": {"framework", "settings"},
    "scripts": {"framework", "settings"},
    "options": {"framework", "settings"},
    "installer": {"framework", "settings", "copy", "scripts", "options"},
    "uninstaller": {"framework"},
    # The authors' tools are built natively: the compiler keeps them to the portable core.
    "cdcheck": {"framework", "settings", "copy", "scripts"},
}
# The resource ids of each program belong to the folders of that program; the framework knows neither.
SETUP_FOLDERS = {"settings", "copy", "scripts", "options", "installer"}
RESOURCE_USERS = {
    "resource.h": SETUP_FOLDERS,
    "UninstallerResource.h": {"uninstaller"},
}
SOURCE_SUFFIXES = (".h", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def resolve(root, including_dir, name):
    """The file an include names, as a path relative to root, or None when it is not ours."""
    for base in (including_dir, os.path.join(root, "src"), os.path.join(root, "resources")):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            return os.path.relpath(candidate, root)
    return None


def folder_of(relative_path):
    """The layer of a file: its folder below src/, or "resources", or None for anything else."""
    parts = relative_path.split(os.sep)
    if len(parts) >= 3 and parts[0] == "src":
        return parts[1]
    if parts[0] == "resources":
        return "resources"
    return None


def check(root):
    problems = []
    src = os.path.join(root, "src")
    for dirpath, _, filenames in sorted(os.walk(src)):
        for filename in sorted(filenames):
            if not filename.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(dirpath, filename)
            relative = os.path.relpath(path, root)
            layer = folder_of(relative)
            if layer not in ALLOWED:
                problems.append(f"{relative}: the folder src/{layer} has no place in the layers; add it")
                continue
            with open(path, encoding="latin-1") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = resolve(root, dirpath, match.group(1))
                    if target is None:
                        continue
                    target_layer = folder_of(target)
                    if target_layer == "resources":
                        users = RESOURCE_USERS.get(os.path.basename(target))
                        if users is not None and layer not in users:
                            problems.append(f"{relative}:{number}: includes {target}, the resources of a "
                                            f"program that src/{layer} is not part of")
                    elif target_layer is not None and target_layer != layer and \
                            target_layer not in ALLOWED[layer]:
                        allowed = ", ".join(sorted(ALLOWED[layer] | {layer}))
                        problems.append(f"{relative}:{number}: includes {target}, above or beside src/{layer} "
                                        f"(src/{layer} may include from: {allowed})")
    return problems


def main(argv):
    stamp = None
    if "--stamp" in argv:
        i = argv.index("--stamp")
        stamp = argv[i + 1]
        argv = argv[:i] + argv[i + 2:]
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = check(root)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"check-layers: {len(problems)} include(s) against the layers of docs/architecture.md",
              file=sys.stderr)
        return 1
    if stamp:
        with open(stamp, "w") as f:
            f.write("layers checked\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
