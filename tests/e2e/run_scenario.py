#!/usr/bin/env python3
"""Runs one end-to-end scenario: lays out a CD, maps it as drive D: of a fresh copy of the template
Wine prefix, starts the driver and then the programs as the scenario says, and checks the windows
the driver recorded, the files, the registry and the shortcuts. See README.md for the format.

Usage: run_scenario.py SCENARIO.json --setup setup.exe --uninstaller TOVRADE.EXE --driver driver.exe
                       [--target driver-target.exe] [--output DIR] [--keep] [--demo]
Exit code 0 when every expectation holds, 1 otherwise, 2 when the scenario could not be run.
"""

import argparse
import fcntl
import fnmatch
import json
import os
import pwd
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
BUILD = None  # the build folder under test: the folder of --setup
WINE_SCRIPTS = os.path.join(REPO, "tests", "wine")
PREFIX_SNAPSHOT = os.path.join(REPO, "scripts", "prefix-snapshot.py")
sys.path.insert(0, os.path.join(REPO, "scripts"))
import szdd  # noqa: E402
from wine_registry import decode_reg_string, reg_entries  # noqa: E402
# win32, or win64 for the 64-bit test build of a machine that runs no 32-bit code (tests/wine/wine-env.sh).
WINE_ARCH = os.environ.get("SETUP_WINE_ARCH", "win32")
# The ordinary account of "user": "unprivileged" scenarios (scripts/bootstrap.sh creates it).
UNPRIVILEGED_USER = os.environ.get("SETUP_E2E_USER", "setup-e2e")


class ScenarioError(Exception):
    pass


# ---------------------------------------------------------------- small helpers


def windows_path_of(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def escape_line(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t")


def write_text(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    data = content.encode("cp1252") if isinstance(content, str) else bytes(content)
    with open(path, "wb") as f:
        f.write(data)


def find_case_insensitive(base, parts):
    """Resolves path components below base the way Windows does: case-insensitively."""
    current = base
    for part in parts:
        if part in ("", "."):
            continue
        exact = os.path.join(current, part)
        if os.path.lexists(exact):
            current = exact
            continue
        try:
            names = os.listdir(current)
        except OSError:
            names = []  # a folder that does not exist yet: keep the names as given
        match = [n for n in names if n.lower() == part.lower()]
        current = os.path.join(current, match[0] if match else part)
    return current


REPEAT = re.compile(r"<<(.*?)\*(\d+)>>", re.S)


def expand_repeats(value):
    """"<<ab*5>>" stands for "ababa": the text repeated until it is exactly that many characters long, so a
    scenario can name values and paths of 259, 260 or 4096 characters without spelling them out."""
    if isinstance(value, str):
        def repl(m):
            unit, count = m.group(1), int(m.group(2))
            return (unit * (count // max(1, len(unit)) + 1))[:count] if unit else ""
        return REPEAT.sub(repl, value)
    if isinstance(value, list):
        return [expand_repeats(v) for v in value]
    if isinstance(value, dict):
        return {expand_repeats(k): expand_repeats(v) for k, v in value.items()}
    return value


def generated_bytes(recipe):
    """{"random": size, "seed": n} gives the same bytes on every run; {"repeat": text, "size": n} repeats a
    text (cp1252) up to the size; "no_bytes": [..] replaces those byte values in random data."""
    import random
    size = int(recipe.get("size", recipe.get("random", 0)))
    if "random" in recipe:
        rng = random.Random(recipe.get("seed", 0))
        data = bytearray(rng.getrandbits(8) for _ in range(size)) if size < 65536 else \
            bytearray(rng.randbytes(size))
        for b in recipe.get("no_bytes", []):
            data = data.replace(bytes([b]), bytes([(b + 1) % 256]))
        return bytes(data)
    unit = recipe["repeat"].encode("cp1252")
    return (unit * (size // max(1, len(unit)) + 1))[:size]


def place_content(target, content, helpers, prefix=None):
    """The file kinds that both the CD (`files`) and `prefix_files` accept besides plain text."""
    if isinstance(content, dict) and "link" in content:
        # A folder link as another user could make one: a Unix link, which Wine shows as a reparse point.
        if prefix is None:
            raise ScenarioError("links to Windows paths are made in the prefix only")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        os.symlink(prefix.unix_path(content["link"]), target)
    elif isinstance(content, dict) and "tmpfs_kb" in content:
        if prefix is None:
            raise ScenarioError("volumes are mounted in the prefix only")
        prefix.mount_tmpfs(target, content["tmpfs_kb"])
    elif isinstance(content, dict) and "generate" in content:
        write_text(target, generated_bytes(content["generate"]))
    elif isinstance(content, dict) and "helper" in content:
        if not helpers:
            raise ScenarioError("the scenario needs the fault helpers (--faults)")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(os.path.join(helpers, content["helper"]), target)
    elif isinstance(content, dict) and "symlink" in content:
        os.makedirs(os.path.dirname(target), exist_ok=True)
        os.symlink(content["symlink"], target)
    elif isinstance(content, dict) and "dir" in content:
        os.makedirs(target, exist_ok=True)
    elif isinstance(content, dict) and "files" in content:
        # A folder of many small files: {"files": 1500, "name": "F{:04d}.TXT", "text": "file {}"}.
        os.makedirs(target, exist_ok=True)
        name, text = content.get("name", "F{:05d}.TXT"), content.get("text", "file {}")
        for i in range(int(content["files"])):
            write_text(os.path.join(target, name.format(i)), text.format(i))
    else:
        return False
    return True


# ---------------------------------------------------------------- the Wine side


def split_reg_value_line(line):
    """(name, type, data) of a value line that `reg query` prints, or None for any other line."""
    parts = re.split(r"\s{2,}|\t", line.strip(), maxsplit=2)
    if len(parts) < 2 or not parts[1].startswith("REG_"):
        return None
    return parts[0], parts[1], parts[2] if len(parts) == 3 else ""


class Account:
    """Who runs Wine. Wine run as root ignores read-only files and folder rights, so a scenario with
    "user": "unprivileged" run by root runs every Wine process (and its shell steps) as an ordinary
    account instead. Wine refuses a prefix that this account does not own, so its template and every
    scenario's work folder live in the account's home; the runner itself stays root to set them up and
    to check the results. Run by anyone else, the runner's own user is ordinary already."""

    def __init__(self, scenario):
        wanted = scenario.get("user")
        if wanted not in (None, "unprivileged"):
            raise ScenarioError("user %r is not understood (only \"unprivileged\")" % wanted)
        self.entry = None
        self.scripts = WINE_SCRIPTS
        if wanted and os.geteuid() == 0:
            try:
                self.entry = pwd.getpwnam(UNPRIVILEGED_USER)
            except KeyError:
                raise ScenarioError("no account %s: run scripts/bootstrap.sh as root" % UNPRIVILEGED_USER)

    @property
    def switched(self):
        return self.entry is not None

    def popen_args(self):
        """Keyword arguments of subprocess.Popen/run that start a process as this account."""
        if not self.entry:
            return {}
        return {"user": self.entry.pw_uid, "group": self.entry.pw_gid, "extra_groups": []}

    def env(self):
        """The Wine of the build under test on PATH, and for the account its own name."""
        env = {}
        if WINE_ARCH == "win64":
            env["PATH"] = os.path.join(self.scripts, "wine64-bin") + os.pathsep + os.environ.get("PATH", "")
        if self.entry:
            env.update(USER=self.entry.pw_name, LOGNAME=self.entry.pw_name)
        return env

    def own(self, path, skip=()):
        """Hands a file, or a folder with everything below it, to the account (links are not followed)."""
        if not self.entry:
            return
        ids = (self.entry.pw_uid, self.entry.pw_gid)
        os.lchown(path, *ids)
        for root, dirs, names in os.walk(path):
            dirs[:] = [d for d in dirs if os.path.join(root, d) not in skip]
            for name in dirs + names:
                os.lchown(os.path.join(root, name), *ids)

    def work_folder(self):
        if not self.entry:
            return tempfile.mkdtemp(prefix="setup-e2e-")
        runs = os.path.join(self.entry.pw_dir, "runs")
        os.makedirs(runs, exist_ok=True)
        os.lchown(runs, self.entry.pw_uid, self.entry.pw_gid)  # not what is below: other scenarios' folders
        work = tempfile.mkdtemp(prefix="setup-e2e-", dir=runs)
        # The Wine scripts where the account can read them: the checkout may lie in a folder that only
        # its owner can enter (a home, a mktemp -d folder), and its rights are not ours to change.
        self.scripts = shutil.copytree(WINE_SCRIPTS, os.path.join(work, "wine"), symlinks=True)
        self.own(work)
        return work

    def template(self, template):
        """The template prefix this account's scenarios copy: the build's own, or for the account one made
        by it in its home, once per Wine version (parallel scenarios wait for the first to make it)."""
        if not self.entry:
            return template
        version = (subprocess.run(["wine", "--version"], capture_output=True, text=True,
                                  env=dict(os.environ, **self.env())).stdout.split() or ["wine"])[0]
        made = os.path.join(self.entry.pw_dir, "template-" + re.sub(r"[^\w.-]", "_", version) + "-" + WINE_ARCH)
        with open(os.path.join(self.entry.pw_dir, "wine-template.lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            subprocess.run([os.path.join(self.scripts, "make-template-prefix.sh"), made], check=True,
                           cwd=self.entry.pw_dir, env=dict(os.environ, **self.env()), **self.popen_args())
        return made


def locale_installed(name):
    def normal(text):
        return text.strip().lower().replace("utf-8", "utf8")
    result = subprocess.run(["locale", "-a"], capture_output=True, text=True, errors="replace")
    return normal(name) in {normal(line) for line in result.stdout.splitlines()}


class Prefix:
    def __init__(self, work, template, display, dll_overrides="", account=None, locale=None):
        self.work = work
        self.path = os.path.join(work, "prefix")
        self.home = os.path.join(work, "home")
        self.account = account or Account({})
        self.template = self.account.template(template)
        os.makedirs(self.home, exist_ok=True)
        self.account.own(self.home)
        as_account = self.account.popen_args()
        scripts = self.account.scripts
        subprocess.run([os.path.join(scripts, "make-template-prefix.sh"), self.template], check=True, **as_account)
        subprocess.run([os.path.join(scripts, "clone-prefix.sh"), self.template, self.path], check=True,
                       cwd=work, **as_account)
        self.env = dict(os.environ, **self.account.env())
        # SETUP_E2E_WINEDEBUG turns on Wine channels for a look at a failing scenario (wine.log).
        self.env.update(WINEPREFIX=self.path, WINEARCH=WINE_ARCH, WINEDEBUG=os.environ.get("SETUP_E2E_WINEDEBUG", "-all"),
                        HOME=self.home, TZ="UTC",
                        WINEDLLOVERRIDES="mscoree,mshtml=" + (";" + dll_overrides if dll_overrides else ""),
                        DISPLAY=display)
        if locale:
            # Wine takes the ANSI code page of each process from its Unix locale (ja_JP.UTF-8: 932), not
            # from the prefix; a locale the system lacks would silently leave the default one.
            if not locale_installed(locale):
                raise ScenarioError("no locale %s on this system: run scripts/bootstrap.sh as root" % locale)
            self.env.update(LANG=locale, LC_ALL=locale)
        self.mounts = []
        self.folder_mounts = []

    def add_tmpfs_drive(self, letter, size_kb):
        """A small file system of its own, mapped as a fixed drive, so that it can fill up."""
        mount_point = os.path.join(self.work, "drive_" + letter.lower())
        os.makedirs(mount_point)
        result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % size_kb, "tmpfs", mount_point],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise ScenarioError("cannot mount a tmpfs for drive %s: (%s)" % (letter, result.stderr.strip()))
        self.mounts.append(mount_point)
        self.account.own(mount_point)
        link = os.path.join(self.path, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(mount_point, link)

    def mount_tmpfs(self, mount_point, size_kb):
        """A volume of its own mounted on a folder of a drive (Wine shows the folder as a mount point)."""
        os.makedirs(mount_point, exist_ok=True)
        result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk" % size_kb, "tmpfs", mount_point],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise ScenarioError("cannot mount a tmpfs on %s: (%s)" % (mount_point, result.stderr.strip()))
        self.folder_mounts.append(mount_point)

    def map_drive(self, letter, folder):
        """Maps a drive letter to a folder of another drive, as SUBST or a network drive of this computer
        does; None removes the letter, as when a disk is unplugged."""
        link = os.path.join(self.path, "dosdevices", letter.lower() + ":")
        if os.path.lexists(link):
            os.remove(link)
        if folder is not None:
            target = self.unix_path(folder)
            os.makedirs(target, exist_ok=True)
            os.symlink(target, link)

    def add_share(self, unc, folder):
        """Makes \\\\host\\share reach a folder of this prefix, as an administrative share of this computer does."""
        parts = [p for p in unc.split("\\") if p]
        if len(parts) != 2:
            raise ScenarioError("a share is \\\\host\\share: %s" % unc)
        host = os.path.join(self.path, "dosdevices", "unc", parts[0])
        os.makedirs(host, exist_ok=True)
        os.symlink(self.unix_path(folder), os.path.join(host, parts[1]))

    def unmount(self):
        for mount_point in self.folder_mounts + self.mounts:
            subprocess.run(["umount", "-l", mount_point], stderr=subprocess.DEVNULL)
        self.mounts = []
        self.folder_mounts = []

    def user(self):
        users = os.path.join(self.path, "drive_c", "users")
        names = [n for n in sorted(os.listdir(users)) if n.lower() != "public"]
        return names[0] if names else "root"

    def map_cd(self, cd):
        dosdevices = os.path.join(self.path, "dosdevices")
        for name in ("d:", "d::"):
            if os.path.lexists(os.path.join(dosdevices, name)):
                os.remove(os.path.join(dosdevices, name))
        os.symlink(cd, os.path.join(dosdevices, "d:"))
        # The drive type lives in the registry; the server is not running yet, so append to the file.
        with open(os.path.join(self.path, "system.reg"), "a", encoding="ascii") as f:
            f.write('\n[Software\\\\Wine\\\\Drives] %d\n"d:"="cdrom"\n' % int(time.time()))

    def add_registry(self, key, values):
        """Writes a key into the registry files before the server starts (it reads them at start)."""
        root, _, sub = key.partition("\\")
        root = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}.get(root.upper(), root.upper())
        name = {"HKLM": "system.reg", "HKCU": "user.reg"}.get(root)
        if not name:
            raise ScenarioError("registry root %s is not supported" % root)

        def quote(text):
            # Written as Wine writes the files: ASCII, every other UTF-16 unit as a \x escape of four
            # digits (so that a hex digit after it cannot join it). {user} and {windows} are expanded.
            data = self.expand(text).replace("\\", "\\\\").replace('"', '\\"').encode("utf-16-le")
            units = struct.unpack("<%dH" % (len(data) // 2), data)
            return '"%s"' % "".join(chr(u) if 0x20 <= u < 0x7F else "\\x%04x" % u for u in units)
        lines = ["", "[%s] %d" % (sub.replace("\\", "\\\\"), int(time.time()))]
        for value_name, value in values.items():
            left = "@" if value_name == "" else quote(value_name)
            lines.append("%s=%s" % (left, "dword:%08x" % value if isinstance(value, int) else quote(value)))
        with open(os.path.join(self.path, name), "a", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    def unix_path(self, windows_path):
        windows_path = self.expand(windows_path)
        m = re.match(r"^([A-Za-z]):\\?(.*)$", windows_path)
        if not m:
            raise ScenarioError("not a drive path: %s" % windows_path)
        drive = os.path.join(self.path, "dosdevices", m.group(1).lower() + ":")
        return find_case_insensitive(os.path.realpath(drive), m.group(2).split("\\"))

    def expand(self, text):
        return text.replace("{user}", self.user()).replace("{windows}", "C:\\windows")

    def wine(self, args, cwd=None, **kw):
        return subprocess.Popen(["wine"] + args, cwd=cwd or self.work, env=self.env, **self.account.popen_args(), **kw)

    def run(self, args, **kw):
        """A host command with the prefix's environment, as the account that owns the prefix."""
        return subprocess.run(args, env=kw.pop("env", self.env), **self.account.popen_args(), **kw)

    def reg_query(self, key, value):
        out = self.run(["wine", "reg", "query", key, "/v", value], cwd=self.work,
                       capture_output=True, text=True, errors="replace").stdout
        for line in out.splitlines():
            parts = split_reg_value_line(line)
            if parts and parts[0].lower() == value.lower():
                return parts[2]
        return None

    def reg_tree(self, key):
        """Every subkey of a key with its values in the order the server lists them, read from the running
        server: {subkey name: [(value name, type, data)]}."""
        out = self.run(["wine", "reg", "query", key, "/s"], cwd=self.work,
                       capture_output=True, text=True, errors="replace").stdout
        tree, current = {}, None
        for line in out.splitlines():
            if line.upper().startswith(key.upper() + "\\"):
                current = tree.setdefault(line[len(key) + 1:].strip(), [])
            elif current is not None and split_reg_value_line(line):
                current.append(split_reg_value_line(line))
        return tree

    def shutdown(self):
        """Waits for the server to write the registry and exit; kills what is still running first."""
        self.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        self.run(["wineserver", "-w"], stderr=subprocess.DEVNULL)

    def registry(self):
        return {"HKLM": parse_reg_file(os.path.join(self.path, "system.reg")),
                "HKCU": parse_reg_file(os.path.join(self.path, "user.reg"))}


def parse_reg_file(path):
    """Reads a Wine registry file into {lower-case key: {lower-case value name: value}}."""
    keys, current = {}, None
    for entry in reg_entries(path):
        if entry[0] == "key":
            current = keys.setdefault(entry[1].lower(), {})
            continue
        _, name, rest = entry
        if rest.startswith('"'):
            value = decode_reg_string(rest[1:rest.rfind('"')])
        elif rest.startswith("str("):
            value = decode_reg_string(rest[rest.index('"') + 1:rest.rfind('"')])
        elif rest.startswith("dword:"):
            value = int(rest[6:], 16)
        else:
            value = rest
        current[name.lower()] = value
    return keys


def registry_value(registry, key, name):
    root, _, sub = key.partition("\\")
    root = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}.get(root.upper(), root.upper())
    values = registry.get(root, {}).get(sub.lower())
    if values is None:
        return False, None
    if name is None:
        return True, None
    return (name.lower() in values), values.get(name.lower())


def parse_lnk(path):
    """The target path and texts of a shell link, from its LinkInfo and string data."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise ScenarioError("%s is not a shell link" % path)
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos, result = 0x4C, {"target": None}
    if flags & 0x1:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    if flags & 0x2:
        size, _, info_flags, _, base_off, _, suffix_off = struct.unpack_from("<7I", data, pos)
        if info_flags & 0x1:
            base = data[pos + base_off:data.index(b"\0", pos + base_off)].decode("cp1252")
            suffix = data[pos + suffix_off:data.index(b"\0", pos + suffix_off)].decode("cp1252")
            result["target"] = base + suffix
        pos += size
    unicode = bool(flags & 0x80)
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "workdir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            width = 2 if unicode else 1
            raw = data[pos + 2:pos + 2 + count * width]
            result[name] = raw.decode("utf-16-le" if unicode else "cp1252")
            pos += 2 + count * width
    return result


def dos_attributes(path):
    """The attributes Wine keeps in the Samba attribute (hidden 0x2, system 0x4); 0 when there are none."""
    try:
        attrib = os.getxattr(path, "user.DOSATTRIB").decode("ascii", "replace").strip("\0")
    except OSError:
        return 0
    # "0x22" or a hex number followed by binary data.
    m = re.match(r"0x([0-9a-fA-F]+)", attrib)
    return int(m.group(1), 16) if m else 0


def is_hidden(path):
    return bool(dos_attributes(path) & 0x2)


# ---------------------------------------------------------------- display


def start_display(force=False, screen=None):
    """An own Xvfb per scenario: parallel tests must not share a screen. A scenario's own `screen`
    size ("2560x1600") always gets an Xvfb of that size."""
    if os.environ.get("DISPLAY") and not os.environ.get("SETUP_E2E_XVFB") and not force and not screen:
        return None, os.environ["DISPLAY"]
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", (screen or "1024x768") + "x24",
                             "-nolisten",
                             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as f:
        while not number.endswith(b"\n"):
            chunk = f.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        proc.kill()
        raise ScenarioError("Xvfb did not start")
    return proc, ":" + number.decode().strip()


# ---------------------------------------------------------------- the CD


def edit_profile(path, edits):
    """Changes keys of a profile (INI) file in place: {"Section": {"Key": "value", "Gone": null}}.
    A key that is not there is added at the end of its section (the section is added when missing)."""
    lines = []
    if os.path.exists(path):
        with open(path, "rb") as f:
            lines = f.read().decode("cp1252").replace("\r\n", "\n").split("\n")
    for section, keys in edits.items():
        start = next((i for i, l in enumerate(lines) if l.strip().lower() == "[%s]" % section.lower()), None)
        if start is None:
            lines += ["[%s]" % section]
            start = len(lines) - 1
        end = next((i for i in range(start + 1, len(lines)) if lines[i].strip().startswith("[")), len(lines))
        for key, value in keys.items():
            found = next((i for i in range(start + 1, end)
                          if lines[i].split("=", 1)[0].strip().lower() == key.lower()), None)
            if value is None:
                if found is not None:
                    del lines[found]
                    end -= 1
            elif found is not None:
                lines[found] = "%s=%s" % (key, value)
            else:
                lines.insert(end, "%s=%s" % (key, value))
                end += 1
    write_text(path, "\r\n".join(l for l in lines) + ("" if lines and lines[-1] == "" else "\r\n"))


def change_cd_files(cd, files, helpers=None):
    """The `files` of a scenario (or of a step): written, copied, generated, edited or deleted on the CD."""
    for name, content in files.items():
        target = find_case_insensitive(cd, name.replace("\\", "/").split("/"))
        if place_content(target, content, helpers):
            continue
        if content is None:
            if os.path.isdir(target):
                shutil.rmtree(target)
            elif os.path.lexists(target):
                os.remove(target)
        elif isinstance(content, dict) and "from" in content:
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(os.path.join(REPO, content["from"]), target)
        elif isinstance(content, dict) and "built" in content:
            # A program of the build under test, by its path in the build folder (that of setup.exe).
            if not BUILD:
                raise ScenarioError("the scenario needs the build folder (--setup)")
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(os.path.join(BUILD, content["built"]), target)
        elif isinstance(content, dict) and "ini" in content:
            edit_profile(target, content["ini"])
        elif isinstance(content, list):  # lines, joined with CRLF as a Windows editor writes them
            write_text(target, "\r\n".join(content) + "\r\n")
        else:
            write_text(target, content)


def place_prefix_files(prefix, files, helpers=None):
    """The `prefix_files` of a scenario (or of a step): files on the PC's drives, with their attributes."""
    for path, recipe in files.items():
        target = prefix.unix_path(path)
        if place_content(target, recipe, helpers, prefix):
            continue
        recipe = recipe if isinstance(recipe, dict) else {"content": recipe}
        if os.path.exists(target):
            os.chmod(target, 0o644)  # placed again: as described now, not as it was
        write_text(target, recipe.get("content", ""))
        # Wine keeps hidden and system in the Samba attribute, as the hexadecimal text it writes itself
        # (before the file is made read-only: only root may change the attributes of such a file).
        bits = (0x2 if recipe.get("hidden") else 0) | (0x4 if recipe.get("system") else 0)
        if bits:
            os.setxattr(target, "user.DOSATTRIB", b"0x%x" % bits)
        else:
            try:
                os.removexattr(target, "user.DOSATTRIB")
            except OSError:
                pass  # none there (or no such attributes on this file system)
        if recipe.get("readonly"):
            os.chmod(target, 0o444)
    prefix.account.own(prefix.work, skip=(os.path.join(prefix.work, "cd"),))


def assemble_cd(scenario, cd, programs, scenario_dir, helpers=None):
    source = scenario.get("cd")
    if source:
        path = os.path.join(REPO, source) if not os.path.isabs(source) else source
        if not os.path.isdir(path):
            path = os.path.join(scenario_dir, source)
        if not os.path.isdir(path):
            raise ScenarioError("no CD folder %s" % source)
        shutil.copytree(path, cd, symlinks=False)
    else:
        os.makedirs(cd)
    if scenario.get("copy_programs", True):
        for name, exe in (("setup.exe", programs["setup"]), ("TOVRADE.EXE", programs["uninstaller"])):
            if exe:
                shutil.copy2(exe, os.path.join(cd, name))
    change_cd_files(cd, scenario.get("files", {}), helpers)
    compress = scenario.get("compress")
    if compress:
        patterns = ["*/**"] if compress is True else compress
        for root, _, names in os.walk(cd):
            for name in names:
                rel = os.path.relpath(os.path.join(root, name), cd).replace(os.sep, "/")
                if any(fnmatch.fnmatch(rel, p) for p in patterns):
                    full = os.path.join(root, name)
                    if os.path.islink(full):
                        continue
                    # Under its own name, and checked by expanding it.
                    szdd.compress(full)


# ---------------------------------------------------------------- answers


def rules_text(scenario):
    lines = ["strict %d" % (1 if scenario.get("strict") else 0)]
    for answer in scenario.get("answers", []):
        unknown = set(answer) - {"title", "title~", "text", "text~", "ids", "repeat", "optional", "do"}
        if unknown:
            raise ScenarioError("answer keys not understood: %s" % ", ".join(sorted(unknown)))
        lines.append("rule")
        for key, directive in (("title", "title"), ("title~", "title~"), ("text", "text"), ("text~", "text~")):
            if key in answer:
                lines.append("%s %s" % (directive, escape_line(answer[key])))
        if "ids" in answer:
            lines.append("ids " + " ".join(str(i) for i in answer["ids"]))
        if answer.get("repeat"):
            lines.append("repeat")
        for action in answer.get("do", []):
            lines.append("do " + action_line(action))
    return "\n".join(lines) + "\n"


def action_line(action):
    """["click", 1], ["row", 4000, 2, "check"], ["keys", 1015, "abc"], ["wait", 500], ["tree", 1016, "C:\\A"]."""
    if isinstance(action, str):
        action = action.split(" ", 2)
    verb = action[0]
    if verb in ("wait",):
        return "wait %s" % action[1]
    if verb in ("close", "record", "shot", "ontop"):
        return verb
    if verb in ("mouseclick", "closewindow", "type"):
        return "%s %s" % (verb, escape_line(str(action[1])))
    if verb == "typein":
        return "typein %s" % escape_line("%s|%s" % (action[1], action[2]))
    rest = " ".join(str(a) for a in action[2:])
    return "%s %s %s" % (verb, action[1], escape_line(rest))


# ---------------------------------------------------------------- the run


def read_log(path):
    events = []
    if os.path.exists(path):
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.strip()
                if line:
                    try:
                        events.append(json.loads(line))
                    except ValueError:
                        events.append({"event": "garbled", "line": line})
    return events


def layout_problems(record):
    """What is wrong with the layout of a recorded window: a visible control that reaches outside the
    client area, two visible controls that overlap (a group box may hold controls wholly inside it), a
    list box row that reaches outside its list or over the next row."""
    client_w, client_h = record.get("client", [0, 0])
    controls = [c for c in record.get("controls", [])
                if c.get("visible") and c.get("rect") and c["rect"][2] > 0 and c["rect"][3] > 0]

    def box(c):
        x, y, w, h = c["rect"]
        return x, y, x + w, y + h

    def label(c):
        return "%d %r %s" % (c["id"], c.get("text", "")[:24], c["rect"])

    def inside(inner, outer):
        return outer[0] <= inner[0] and outer[1] <= inner[1] and inner[2] <= outer[2] and inner[3] <= outer[3]

    def group(c):
        return c.get("class", "").lower() == "button" and c.get("style", 0) & 0xF == 7

    problems = []
    for c in controls:
        if not inside(box(c), (0, 0, client_w, client_h)):
            problems.append("control %s reaches outside the client area %dx%d" % (label(c), client_w, client_h))
    for i, a in enumerate(controls):
        for b in controls[i + 1:]:
            p, q = box(a), box(b)
            if not (p[0] < q[2] and q[0] < p[2] and p[1] < q[3] and q[1] < p[3]):
                continue
            if (group(a) and inside(q, p)) or (group(b) and inside(p, q)):
                continue
            problems.append("controls %s and %s overlap" % (label(a), label(b)))
    for c in controls:
        rows = c.get("rowRects", [])
        for n, (x, y, w, h) in enumerate(rows):
            if x < 0 or x + w > c["rect"][2] or h <= 0:
                problems.append("row %d of list %s at %s lies outside it" % (n, label(c), [x, y, w, h]))
            if n + 1 < len(rows) and y + h > rows[n + 1][1]:
                problems.append("rows %d and %d of list %s overlap" % (n, n + 1, label(c)))
    return problems


def window_matches(expected, window):
    """Each key narrows the match; a window matches when all keys hold."""
    texts = [c.get("text", "") for c in window.get("controls", [])]
    box = next((c["text"] for c in window.get("controls", []) if c["id"] == 65535), None)
    by_id = {str(c["id"]): c for c in window.get("controls", [])}
    for key, want in expected.items():
        if key == "title" and window.get("title") != want:
            return False
        if key == "title~" and want not in window.get("title", ""):
            return False
        if key == "text" and (box != want if box is not None else want not in texts):
            return False
        if key == "text~" and not any(want in t for t in texts):
            return False
        if key == "exe" and window.get("exe", "").lower() != want.lower():
            return False
        if key == "messagebox" and bool(window.get("messagebox")) != want:
            return False
        if key == "no_controls" and (len(window.get("controls", [])) == 0) != want:
            return False
        if key == "controls":
            for cid, text in want.items():
                if cid not in by_id or by_id[cid].get("text") != text:
                    return False
        if key == "focus" and window.get("focus") != want:  # the control with the keyboard focus
            return False
        if key == "row_height":  # {"4000": [lowest, highest]}: every row of that list box
            for cid, (low, high) in want.items():
                heights = [r[3] for r in by_id.get(cid, {}).get("rowRects", [])]
                if not heights or not all(low <= h <= high for h in heights):
                    return False
        if key == "controls~":
            for cid, text in want.items():
                if cid not in by_id or text not in by_id[cid].get("text", ""):
                    return False
        if key == "controls_re":
            for cid, pattern in want.items():
                if cid not in by_id or not re.fullmatch(pattern, by_id[cid].get("text", "")):
                    return False
        if key == "rows":
            for cid, rows in want.items():
                if cid not in by_id or by_id[cid].get("rows", []) != rows:
                    return False
        if key == "rowData":
            for cid, data in want.items():
                if cid not in by_id or by_id[cid].get("rowData") != data:
                    return False
    return True


def describe_window(w):
    box = next((c["text"] for c in w.get("controls", []) if c["id"] == 65535), None)
    if box is not None:
        return "%r box: %r" % (w.get("title"), box)
    texts = ["%s=%r" % (c["id"], c["text"]) for c in w.get("controls", []) if c.get("text")]
    return "%r [%s] %s" % (w.get("title"), w.get("class"), ", ".join(texts) if texts else "(no control texts)")


UNINSTALL_KEY = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"


class Run:
    def __init__(self, scenario, name, args, out):
        self.scenario, self.name, self.args, self.out = scenario, name, args, out
        self.failures = []
        self.notes = []
        self.processes = []
        self.states = []  # the demo's view of the PC after each program step
        self.residue_lines = []  # what the steps left, compared with the prefix before them ("residue")

    def fail(self, text):
        self.failures.append(text)

    def wait_for_window(self, log, matcher, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            for e in read_log(log):
                if e.get("event") == "window" and window_matches(matcher, e):
                    return True
            time.sleep(0.1)
        return False

    def step_command(self, prefix, step):
        run = step["run"]
        if run == "uninstall":
            key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + step["key"]
            value = step.get("value", "UninstallString")
            command = prefix.reg_query(key, value)
            if not command:
                raise ScenarioError("no %s under %s" % (value, key))
            self.notes.append("uninstall command: %s" % command)
            # Wine joins the arguments with blanks again; the uninstaller parses its own command line.
            program, _, rest = command.partition(" ")
            return [program] + rest.split()
        if run == "target":
            return [self.target] + step.get("args", [])
        if run.startswith("helper:"):
            if not self.faults:
                raise ScenarioError("the scenario needs the fault helpers (--faults)")
            return [os.path.join(self.faults, run[len("helper:"):])] + step.get("args", [])
        return [prefix.expand(run)] + step.get("args", [])

    def run_steps(self, prefix, cd, log):
        running = []
        for number, step in enumerate(self.scenario.get("steps", [{"run": "D:\\setup.exe"}]), 1):
            if "after_window" in step:
                if not self.wait_for_window(log, step["after_window"], step.get("after_timeout", 20)):
                    self.fail("step %d: no window %r appeared before it was to start" % (number, step["after_window"]))
                    continue
            if "delay_ms" in step:
                time.sleep(step["delay_ms"] / 1000.0)
            if "shell" in step:
                self.run_shell(prefix, cd, number, step)
                continue
            if "drive" in step:
                prefix.map_drive(step["drive"], step.get("folder"))
                self.notes.append("step %d: drive %s: %s" % (number, step["drive"], step.get("folder") or "removed"))
                continue
            if {"files", "prefix_files", "expect_files"} & set(step):
                self.change_between_runs(prefix, cd, number, step)
                continue
            try:
                command = self.step_command(prefix, step)
            except ScenarioError as e:  # e.g. no uninstall entry because the install failed
                self.fail("step %d: %s" % (number, e))
                continue
            cwd = prefix.unix_path(step["cwd"]) if "cwd" in step else cd
            started = time.time()
            step_log = open(os.path.join(self.out, "step%d.log" % number), "wb")
            proc = prefix.wine(command, cwd=cwd, stdout=step_log, stderr=step_log)
            step_log.close()
            entry = (number, step, proc, started)
            if step.get("wait", True):
                self.finish(entry)
            else:
                running.append(entry)
        for entry in running:
            self.finish(entry)

    def change_between_runs(self, prefix, cd, number, step):
        """A step that checks files now (`expect_files`, as in `expect`) and then changes the CD (`files`) and
        the PC (`prefix_files`) as the scenario's keys of those names do, e.g. between two installs."""
        failures = len(self.failures)
        for item in step.get("expect_files", []):
            self.check_file(prefix, item)
        self.failures[failures:] = ["step %d: %s" % (number, f) for f in self.failures[failures:]]
        change_cd_files(cd, step.get("files", {}), self.args.faults)
        place_prefix_files(prefix, step.get("prefix_files", {}), self.args.faults)

    def run_shell(self, prefix, cd, number, step):
        """A host command between the program steps, with the prefix's environment and $CD, $PREFIX set; it
        runs as the account that runs Wine."""
        env = dict(prefix.env, CD=cd, PREFIX=prefix.path, WORK=prefix.work)
        result = prefix.run(["bash", "-c", step["shell"]], cwd=cd, env=env, capture_output=True, text=True,
                            timeout=step.get("timeout", 30))
        self.notes.append("step %d (shell): exit code %d %s" % (number, result.returncode,
                                                               (result.stdout + result.stderr).strip()[:300]))
        if result.returncode != step.get("exit_code", 0):
            self.fail("step %d: shell command exit code %d" % (number, result.returncode))

    def finish(self, entry):
        number, step, proc, started = entry
        limit = step.get("timeout", 30)
        try:
            code = proc.wait(timeout=max(0.1, limit - (time.time() - started)))
        except subprocess.TimeoutExpired:
            self.fail("step %d (%s): still running after %ss" % (number, step["run"], limit))
            proc.kill()
            proc.wait()
            return
        elapsed = time.time() - started
        self.notes.append("step %d (%s): exit code %d after %.1fs" % (number, step["run"], code, elapsed))
        # A Windows exit code reaches Linux through Wine as the low byte of the exit status (3010 as 194).
        if "exit_code" in step and code != step["exit_code"] & 0xFF:
            self.fail("step %d: exit code %d, expected %d" % (number, code, step["exit_code"]))
        if "exit_within" in step and elapsed > step["exit_within"]:
            self.fail("step %d: took %.1fs, expected at most %ss" % (number, elapsed, step["exit_within"]))
        if self.args.demo:
            entries = {name: values for name, values in self.prefix.reg_tree(UNINSTALL_KEY).items()
                       if any(v[0].lower() == "uninstallstring" for v in values)}
            self.states.append((number, step["run"], new_files(self.prefix, self.args.template), entries))

    def stage_programs(self, account, work):
        """The driver and the helpers where the account can reach them: the build folder may lie below a
        home that only its owner can enter."""
        self.driver, self.target, self.faults = self.args.driver, self.args.target, self.args.faults
        if not account.switched:
            return
        bin_folder = os.path.join(work, "bin")
        os.makedirs(bin_folder)
        self.driver = shutil.copy2(self.args.driver, bin_folder)
        if self.args.target:
            self.target = shutil.copy2(self.args.target, bin_folder)
        if self.args.faults:
            self.faults = shutil.copytree(self.args.faults, os.path.join(bin_folder, "faults"))

    def execute(self):
        account = Account(self.scenario)
        work = account.work_folder()
        xvfb = None
        try:
            # Another account cannot be expected to reach the caller's display: it gets an own Xvfb.
            xvfb, display = start_display(force=account.switched, screen=self.scenario.get("screen"))
            prefix = Prefix(work, self.args.template, display, self.scenario.get("dll_overrides", ""), account,
                            self.scenario.get("locale"))
            self.prefix = prefix
            if account.switched:
                self.notes.append("Wine ran as the account %s" % account.entry.pw_name)
            self.stage_programs(account, work)
            cd = os.path.join(work, "cd")
            assemble_cd(self.scenario, cd, {"setup": self.args.setup, "uninstaller": self.args.uninstaller},
                        os.path.dirname(os.path.abspath(self.args.scenario)), self.args.faults)
            prefix.map_cd(cd)
            for letter, drive in self.scenario.get("drives", {}).items():
                if "folder" in drive:
                    prefix.map_drive(letter, drive["folder"])
                else:
                    prefix.add_tmpfs_drive(letter, drive["tmpfs_kb"])
            for unc, folder in self.scenario.get("shares", {}).items():
                prefix.add_share(unc, folder)
            for entry in self.scenario.get("prefix_registry", []):
                prefix.add_registry(entry["key"], entry.get("values", {}))
            # Everything but the CD, which stays the runner's: to the account it is read-only, as a CD is.
            place_prefix_files(prefix, self.scenario.get("prefix_files", {}), self.args.faults)

            self.before = set(all_files(prefix))
            # Before the first Wine process of the scenario, while the registry files are all there is.
            snapshot = os.path.join(work, "before-snapshot.json")
            if self.residue():
                subprocess.run([sys.executable, PREFIX_SNAPSHOT, "take", prefix.path, snapshot], check=True)
            # The driver writes where the account may write; the record is copied to the output at the end.
            live = os.path.join(work, "out") if account.switched else self.out
            shots = os.path.join(live, "shots")
            os.makedirs(shots)
            account.own(live)
            log = os.path.join(live, "log.jsonl")
            stop = os.path.join(work, "stop")
            rules = os.path.join(live, "rules.txt")
            with open(rules, "w", encoding="cp1252", newline="\n") as f:
                f.write(rules_text(self.scenario))
            watch = self.scenario.get("watch", ["setup.exe", "tovrade.exe", "driver-target.exe"])
            driver = prefix.wine([self.driver, "--rules", windows_path_of(rules), "--log", windows_path_of(log),
                                  "--shots", windows_path_of(shots), "--stop", windows_path_of(stop),
                                  "--watch", ",".join(watch),
                                  "--max-ms", str(int(self.scenario.get("max_seconds", 120) * 1000))],
                                 stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.out, "wine.log"), "wb"))
            deadline = time.time() + 30
            while not any(e.get("event") == "start" for e in read_log(log)):
                if time.time() > deadline or driver.poll() is not None:
                    raise ScenarioError("the driver did not start (see %s)" % log)
                time.sleep(0.05)
            start_event = next(e for e in read_log(log) if e.get("event") == "start")
            if start_event.get("driveTypeD") != 5:
                self.fail("drive D: is not a CD-ROM drive (type %s)" % start_event.get("driveTypeD"))

            self.run_steps(prefix, cd, log)
            # Let the driver see the last windows close, then stop it.
            time.sleep(0.3)
            write_text(stop, "")
            try:
                driver.wait(timeout=15)
            except subprocess.TimeoutExpired:
                driver.kill()
                self.fail("the driver did not stop")
            prefix.shutdown()
            if self.residue():
                self.list_residue(prefix, snapshot)
            if live != self.out:
                for name in os.listdir(live):
                    source = os.path.join(live, name)
                    if os.path.isdir(source):
                        shutil.copytree(source, os.path.join(self.out, name), dirs_exist_ok=True)
                    else:
                        shutil.copy2(source, self.out)
                log, shots = os.path.join(self.out, "log.jsonl"), os.path.join(self.out, "shots")
            self.events = read_log(log)
            self.convert_shots(shots)
            if not self.args.demo:
                self.check(prefix)
            self.summarise()
        finally:
            if getattr(self, "prefix", None):
                self.prefix.shutdown()
                self.prefix.unmount()
            if xvfb:
                xvfb.terminate()
                xvfb.wait()
            if self.args.keep:
                print("kept the prefix and CD in %s" % work)
            else:
                shutil.rmtree(work, ignore_errors=True)

    def residue(self):
        return bool(self.scenario.get("residue") or self.scenario.get("expect", {}).get("nothing_left"))

    def list_residue(self, prefix, snapshot):
        """What the steps made that is still on the PC, compared with the snapshot taken before them (the
        server has ended, so the registry files are complete); with expect.nothing_left it must be nothing."""
        strict = bool(self.scenario.get("expect", {}).get("nothing_left")) and not self.args.demo
        result = subprocess.run([sys.executable, PREFIX_SNAPSHOT, "compare", prefix.path, snapshot]
                                + (["--expect-nothing"] if strict else []), capture_output=True, text=True)
        self.residue_lines = result.stdout.rstrip("\n").split("\n")
        if result.returncode == 1:
            self.fail("the steps left something on the PC (see the listing above)")
        elif result.returncode:
            self.fail("prefix-snapshot.py failed: %s" % result.stderr.strip())

    def convert_shots(self, shots):
        bmps = sorted(n for n in os.listdir(shots) if n.lower().endswith(".bmp"))
        if not bmps:
            return
        converter = shutil.which("convert") or shutil.which("magick")
        if not converter:
            self.notes.append("no imagemagick: screenshots stay BMP")
            return
        for name in bmps:
            src = os.path.join(shots, name)
            if subprocess.run([converter, src, src[:-4] + ".png"]).returncode == 0:
                os.remove(src)
        for e in self.events:
            if e.get("shot", "").lower().endswith(".bmp"):
                png = e["shot"][:-4] + ".png"
                if os.path.exists(os.path.join(shots, png)):
                    e["shot"] = png

    # ------------------------------------------------------------ expectations

    def windows(self):
        return [e for e in self.events if e.get("event") == "window"]

    def check(self, prefix):
        expect = self.scenario.get("expect", {})
        for e in self.events:
            if e.get("event") == "error":
                self.fail("driver: %s" % e.get("message"))
            if e.get("event") == "action" and not e.get("ok"):
                self.fail("action %s %s %r on window %d failed: %s" % (e["verb"], e["id"], e["arg"], e["seq"],
                                                                       e.get("detail")))
        seen = self.windows()
        if self.scenario.get("strict"):
            for w in seen:
                if w.get("unmatched"):
                    self.fail("window %d matched no answer: %s" % (w["seq"], describe_window(w)))
        for i, answer in enumerate(self.scenario.get("answers", [])):
            used = any(w.get("rule") == i for w in seen)
            if not used and not answer.get("optional"):
                self.fail("answer %d (%s) was never used" % (i, {k: v for k, v in answer.items() if k != "do"}))
        if "windows" in expect:
            compared = seen
            if "windows_filter" in expect:
                compared = [w for w in seen if window_matches(expect["windows_filter"], w)]
            self.check_windows(expect["windows"], compared, expect.get("windows_mode", "exact"))
        snapshots = [e for e in read_log(os.path.join(self.out, "log.jsonl")) if e.get("event") == "snapshot"]
        for matcher in expect.get("snapshots", []):
            if not any(window_matches(matcher, s) for s in snapshots):
                self.fail("no recorded snapshot matches %r" % matcher)
        registry = prefix.registry() if expect.get("registry") else None
        for item in expect.get("files", []):
            self.check_file(prefix, item)
        for item in expect.get("registry", []):
            self.check_registry(registry, item)
        for item in expect.get("shortcuts", []):
            self.check_shortcut(prefix, item)
        for item in expect.get("gaps", []):
            self.check_gap(seen, item)
        if "only_new_files_below" in expect:
            self.check_new_files(prefix, expect["only_new_files_below"])
        for matcher in expect.get("layout", []):
            self.check_layout(matcher)

    def check_layout(self, matcher):
        """Every record of the windows matching (first sight and every snapshot) is laid out cleanly."""
        records = [e for e in self.events if e.get("event") in ("window", "snapshot") and window_matches(matcher, e)]
        if not records:
            self.fail("layout %r: no such window recorded" % matcher)
        for record in records:
            for problem in layout_problems(record):
                self.fail("layout of window %d %r: %s" % (record["seq"], record.get("title"), problem))

    def check_gap(self, seen, item):
        """The time between the first window matching "from" and the first later one matching "to"."""
        first = next((w for w in seen if window_matches(item["from"], w)), None)
        second = next((w for w in seen if first and w["seq"] > first["seq"] and window_matches(item["to"], w)), None)
        if not first or not second:
            self.fail("gap %r: windows not seen" % item)
            return
        gap = second["t"] - first["t"]
        self.notes.append("gap %s -> %s: %d ms" % (item["from"], item["to"], gap))
        if gap < item.get("min_ms", 0) or gap > item.get("max_ms", 1 << 30):
            self.fail("gap %r: %d ms" % (item, gap))

    def check_new_files(self, prefix, allowed):
        """Every file or folder that appeared during the run (on C: and the extra drives) lies below one of
        the allowed Windows paths; Wine's own scratch places (Temp, ProgramData) are not looked at."""
        roots = [prefix.expand(a).rstrip("\\").lower() for a in allowed]
        for path in sorted(set(all_files(prefix)) - self.before):
            low = path.lower()
            # a folder made on the way to an install folder is part of it
            if not any(low == r or low.startswith(r + "\\") or r.startswith(low + "\\") for r in roots):
                self.fail("new file outside the install folders: %s" % path)

    def check_windows(self, expected, seen, mode):
        ok = True
        if mode == "exact":
            ok = len(expected) == len(seen) and all(window_matches(x, w) for x, w in zip(expected, seen))
        else:  # "contains": the expected windows appear in this order, others may come between
            position = 0
            for x in expected:
                while position < len(seen) and not window_matches(x, seen[position]):
                    position += 1
                if position == len(seen):
                    ok = False
                    break
                position += 1
        if ok:
            return
        lines = ["windows differ (%s):" % mode]
        for i in range(max(len(expected), len(seen))):
            x = json.dumps(expected[i], ensure_ascii=False) if i < len(expected) else "-"
            w = describe_window(seen[i]) if i < len(seen) else "-"
            mark = "  " if i < len(expected) and i < len(seen) and window_matches(expected[i], seen[i]) else "!!"
            lines.append("  %s %2d expected: %s\n        seen:     %s" % (mark, i + 1, x, w))
        self.fail("\n".join(lines))

    def check_file(self, prefix, item):
        path = prefix.unix_path(item["path"])
        exists = os.path.lexists(path)
        label = item["path"]
        if item.get("exists", True) != exists:
            self.fail("file %s: %s, expected %s" % (label, "present" if exists else "missing",
                                                     "present" if item.get("exists", True) else "absent"))
            return
        if not exists:
            return
        if "content" in item or "content~" in item or "same_as" in item or "encoding" in item:
            with open(path, "rb") as f:
                data = f.read()
            # "utf-8-bom": the file begins with the byte-order mark and is UTF-8; the texts are compared
            # with what follows the mark. Otherwise bytes, the texts taken as cp1252.
            utf8 = item.get("encoding") == "utf-8-bom"
            text = data
            if utf8:
                try:
                    text = data[3:].decode("utf-8") if data.startswith(b"\xef\xbb\xbf") else None
                except UnicodeDecodeError:
                    text = None
                if text is None:
                    self.fail("file %s: not UTF-8 with a byte-order mark: %r" % (label, data[:200]))
                    return
            def want(key):
                return item[key] if utf8 else item[key].encode("cp1252")
            if "content" in item and text != want("content"):
                self.fail("file %s: content %r, expected %r" % (label, text[:200], item["content"][:200]))
            if "content~" in item and want("content~") not in text:
                self.fail("file %s: content %r lacks %r" % (label, text[:200], item["content~"]))
            if "same_as" in item:
                with open(prefix.unix_path(item["same_as"]), "rb") as f:
                    if f.read() != data:
                        self.fail("file %s differs from %s" % (label, item["same_as"]))
        if "size" in item and os.path.getsize(path) != item["size"]:
            self.fail("file %s: size %d, expected %d" % (label, os.path.getsize(path), item["size"]))
        if "readonly" in item:
            readonly = not (os.stat(path).st_mode & 0o222)
            if readonly != item["readonly"]:
                self.fail("file %s: read-only is %s, expected %s" % (label, readonly, item["readonly"]))
        if "hidden" in item and is_hidden(path) != item["hidden"]:
            self.fail("file %s: hidden is %s, expected %s" % (label, is_hidden(path), item["hidden"]))
        system = bool(dos_attributes(path) & 0x4)
        if "system" in item and system != item["system"]:
            self.fail("file %s: system is %s, expected %s" % (label, system, item["system"]))
        if "count_below" in item and len(os.listdir(path)) >= item["count_below"]:
            self.fail("folder %s: %d entries, expected fewer than %d" % (label, len(os.listdir(path)),
                                                                      item["count_below"]))
        if "dir" in item and os.path.isdir(path) != item["dir"]:
            self.fail("file %s: folder is %s, expected %s" % (label, os.path.isdir(path), item["dir"]))

    def check_registry(self, registry, item):
        name = item.get("value")
        present, value = registry_value(registry, item["key"], name)
        label = item["key"] + ("" if name is None else " : " + (name or "@"))
        if item.get("exists", True) != present:
            self.fail("registry %s: %s" % (label, "present" if present else "missing"))
            return
        if "equals" in item and value != item["equals"]:
            self.fail("registry %s: %r, expected %r" % (label, value, item["equals"]))
        if "contains" in item and (not isinstance(value, str) or item["contains"] not in value):
            self.fail("registry %s: %r lacks %r" % (label, value, item["contains"]))
        if "matches" in item and (not isinstance(value, str) or not re.fullmatch(item["matches"], value)):
            self.fail("registry %s: %r does not match %r" % (label, value, item["matches"]))

    def check_shortcut(self, prefix, item):
        path = prefix.unix_path(item["path"])
        exists = os.path.exists(path)
        if item.get("exists", True) != exists:
            self.fail("shortcut %s: %s" % (item["path"], "present" if exists else "missing"))
            return
        if not exists:
            return
        link = parse_lnk(path)
        for key in ("target", "description", "arguments", "workdir"):
            if key in item and (link.get(key) or "").lower() != prefix.expand(item[key]).lower():
                self.fail("shortcut %s: %s %r, expected %r" % (item["path"], key, link.get(key), item[key]))

    # ------------------------------------------------------------ report

    def describe_states(self):
        """What each program step of the demo changed on C: and the uninstall entries it left."""
        lines, before = [], None
        for number, run, files, entries in self.states:
            if before is None:
                lines.append("after step %d (%s), new below C:\\ since the template:" % (number, run))
                lines.extend("  " + p for p in files)
            else:
                gone = sorted(set(before) - set(files))
                added = sorted(set(files) - set(before))
                lines.append("after step %d (%s):" % (number, run))
                lines.extend("  removed " + p for p in gone)
                lines.extend("  added   " + p for p in added)
                if not gone and not added:
                    lines.append("  no file added or removed")
            before = files
            if not entries:
                lines.append("  no uninstall entry")
            for name, values in sorted(entries.items()):
                lines.append("  uninstall entry HKLM\\%s\\%s:" % (UNINSTALL_KEY.partition("\\")[2], name))
                lines.extend("    %-22s %-10s %s" % value for value in values)
        return lines

    def summarise(self):
        lines = ["scenario %s: %s" % (self.name, self.scenario.get("description", ""))]
        for e in self.events:
            kind = e.get("event")
            if kind == "window":
                lines.append("%6d ms  window %d (%s, %s): %s" % (e["t"], e["seq"], e.get("exe"), e.get("answer"),
                                                               describe_window(e)))
                if e.get("shot"):
                    lines.append("           screenshot shots/%s" % e["shot"])
            elif kind == "snapshot":
                lines.append("%6d ms  again  %d: %s" % (e["t"], e["seq"], describe_window(e)))
            elif kind == "action":
                lines.append("%6d ms  action %s %s %s%s" % (e["t"], e["verb"], e["id"], e["arg"],
                                                             "" if e["ok"] else " FAILED " + e.get("detail", "")))
        lines.extend(self.notes)
        if self.args.demo:
            lines.extend(self.describe_states())
        lines.extend(self.residue_lines)
        if self.failures:
            lines.append("FAILED:")
            lines.extend("  " + f for f in self.failures)
        elif not self.args.demo:
            lines.append("PASSED")
        text = "\n".join(lines)
        with open(os.path.join(self.out, "summary.txt"), "w", encoding="utf-8") as f:
            f.write(text + "\n")
        print(text)


def all_files(prefix):
    """Windows paths of every file and folder on C: (without Wine's scratch folders) and on extra drives."""
    found = []
    drives = [("C:", os.path.join(prefix.path, "drive_c"))]
    drives += [(os.path.basename(m)[-1].upper() + ":", m) for m in prefix.mounts]
    for letter, base in drives:
        for root, dirs, names in os.walk(base):
            rel_root = os.path.relpath(root, base)
            parts = [] if rel_root == "." else rel_root.lower().split(os.sep)
            if parts[:1] == ["programdata"] or "temp" in parts or parts[:2] == ["windows", "logs"]:
                dirs[:] = []
                continue
            for name in dirs + names:
                rel = os.path.normpath(os.path.join(rel_root, name))
                found.append(letter + "\\" + rel.replace(os.sep, "\\"))
    return found


def new_files(prefix, template):
    base = os.path.join(prefix.path, "drive_c")
    old = os.path.join(template, "drive_c")
    found = []
    for root, dirs, names in os.walk(base):
        rel_root = os.path.relpath(root, base)
        if rel_root.split(os.sep)[0].lower() in ("programdata",) or "temp" in rel_root.lower().split(os.sep):
            continue
        for name in names:
            rel = os.path.normpath(os.path.join(rel_root, name))
            if not os.path.lexists(os.path.join(old, rel)):
                found.append("C:\\" + rel.replace(os.sep, "\\"))
    return sorted(found)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("scenario")
    parser.add_argument("--setup")
    parser.add_argument("--uninstaller")
    parser.add_argument("--driver", required=True)
    parser.add_argument("--target", help="the driver's own test dialog, for the driver scenarios")
    parser.add_argument("--faults", help="folder of the fault helpers (locker.exe, marker DLLs)")
    parser.add_argument("--output", default=os.path.join(REPO, "build", "windows", "e2e-output"))
    parser.add_argument("--template", default=os.environ.get("SETUP_WINE_TEMPLATE"))
    parser.add_argument("--keep", action="store_true", help="keep the prefix and CD for inspection")
    parser.add_argument("--demo", action="store_true",
                        help="default answers, no expectations: screenshots and a summary of what was installed")
    args = parser.parse_args()
    if not args.template:
        parser.error("SETUP_WINE_TEMPLATE or --template must name the template prefix")
    for attr in ("setup", "uninstaller", "driver", "target", "faults", "template", "output"):
        if getattr(args, attr):
            setattr(args, attr, os.path.abspath(getattr(args, attr)))
    global BUILD
    BUILD = os.path.dirname(args.setup) if args.setup else None
    with open(args.scenario, encoding="utf-8") as f:
        scenario = expand_repeats(json.load(f))
    name = os.path.splitext(os.path.basename(args.scenario))[0]
    out = os.path.join(args.output, name)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    # A table of cases: each runs as a scenario of its own (fresh prefix and CD) made of the file's keys
    # and the case's, objects merged key by key at every depth (lists and other values are replaced).
    cases = scenario.pop("cases", None)
    if cases is None:
        return run_one(scenario, name, args, out)
    def merged(base, case):
        both = dict(base)
        for key, value in case.items():
            both[key] = merged(base[key], value) if isinstance(base.get(key), dict) and isinstance(value, dict) else value
        return both

    failed = 0
    for case in cases:
        case_name = "%s/%s" % (name, case["name"])
        code = run_one(merged(scenario, case), case_name, args, os.path.join(out, case["name"]))
        print("case %s: %s" % (case["name"], "passed" if code == 0 else "FAILED"))
        failed += code != 0
    return 1 if failed else 0


def run_one(scenario, name, args, out):
    if args.demo:
        scenario["answers"] = []
        scenario["strict"] = False
    os.makedirs(out, exist_ok=True)
    run = Run(scenario, name, args, out)
    try:
        run.execute()
    except (ScenarioError, subprocess.CalledProcessError, OSError) as e:
        print("scenario %s could not run: %s" % (name, e))
        return 2
    return 1 if run.failures else 0


if __name__ == "__main__":
    sys.exit(main())
