#!/usr/bin/env python3
"""Counts the Wine server requests that each copied file costs, for setup.exe and for xcopy.

Wall times on a shared machine scatter by tens of percent; the number of requests a program makes to
the Wine server does not. This runs a Wine server of its own with request tracing on (`wineserver -f
-d1`), installs a tree of N files and the same CD with an empty folder, in turns with xcopy of the same
trees, and prints for each program the requests per file by kind: (requests with N files - requests
with none) / N. Only the requests of the measured program's own process are counted.

setup.exe runs unattended (`/S`): no dialog and no driver, so nothing but the copy makes requests.
`--dialog` runs it with its dialogs instead, the driver answering them (that adds the driver's look at
the windows, which grows with the time the copy takes, not with the files).

Usage: count_requests.py [--build build/windows] [--setup FILE] [--files 1000] [--kinds empty,small,lz]
                         [--programs setup,xcopy] [--dialog] [--log] [--syscalls] [--json FILE] [--top 12]
"""

import argparse
import collections
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
sys.path.insert(0, HERE)

import bench  # noqa: E402  (the bench's trees and CD)
import run_scenario as e2e  # noqa: E402

REQUEST = re.compile(r"^([0-9a-f]{4,8}): ([a-z_0-9]+)\((.*)$")
REPLY = re.compile(r"\) = [0-9A-Z_]+")


def process_requests(lines, unix_pid, image):
    """{request name: count} of the measured program's process, with every thread it starts. The
    process started from the shell (its first thread has unix_pid) is the program itself, unless it
    is a launcher that starts a process of the program's image name (`wine xcopy` does): then that one.
    Helpers such as the console host are not counted."""
    threads = {}  # server thread id -> server process id
    last_request = {}  # thread id -> (name, arguments) of its request waiting for a reply
    root = None
    children = {}  # server process id -> image name, of the processes the root started
    counts = collections.defaultdict(collections.Counter)  # server process id -> requests
    for line in lines:
        m = REQUEST.match(line)
        if not m:
            continue
        tid, name, rest = m.groups()
        if REPLY.match(rest):
            request = last_request.pop(tid, None)
            if name == "init_first_thread":
                pid = re.search(r"pid=([0-9a-f]+)", rest).group(1)
                threads[tid] = pid
                started = re.search(r"unix_pid=(\d+)", request[1]) if request else None
                if root is None and started and int(started.group(1)) == unix_pid:
                    root = pid
            elif name == "new_thread" and request and "process=ffffffff" in request[1]:
                new_tid = re.search(r"tid=([0-9a-f]+)", rest)
                if new_tid and tid in threads:
                    threads[new_tid.group(1)] = threads[tid]
            elif name == "new_process" and request and root is not None and threads.get(tid) == root:
                made = re.search(r"pid=([0-9a-f]+)", rest)
                path = re.search(r'imagepath=L"([^"]*)"', request[1])
                if made and path:
                    children[made.group(1)] = path.group(1).replace("\\\\", "\\").split("\\")[-1].lower()
            continue
        last_request[tid] = (name, rest)
        if tid in threads:
            counts[threads[tid]][name] += 1
    programs = [pid for pid, name in children.items() if name == image.lower()]
    total = collections.Counter()
    for pid in programs or ([root] if root else []):
        total.update(counts[pid])
    return total


def read_strace_counts(path):
    """{system call: calls} from the summary of `strace -c`."""
    counts = collections.Counter()
    with open(path) as f:
        for line in f:
            fields = line.split()
            # % time, seconds, usecs/call, calls, [errors,] syscall
            if len(fields) >= 5 and fields[0][0].isdigit() and fields[-1] != "total":
                counts[fields[-1]] += int(fields[3])
    return counts


class Counter:
    """One prefix, one traced server, two CDs (the tree and an empty folder) behind drive D:."""

    def __init__(self, args, work):
        self.args, self.work = args, work
        self.cds = {}
        self.wants = {}  # files and bytes each CD installs
        self.xvfb, display = e2e.start_display()
        self.cd = os.path.join(work, "cd")
        self.prefix = e2e.Prefix(os.path.join(work, "wine"), args.template, display)
        self.trace_path = os.path.join(work, "server-trace.txt")
        self.trace = open(self.trace_path, "wb")
        self.server = None
        self.driver = None

    def add_cd(self, kind, count):
        cd = os.path.join(self.work, "cd-%s-%d" % (kind, count))
        source = os.path.join(cd, bench.SECTION_FOLDER)
        # The tree as it is installed; a compressed CD holds it compressed, beside the plain one.
        plain = os.path.join(cd, "plain") if kind == "lz" else source
        if kind == "empty":
            bench.make_small_tree(plain, count, sizes=(0, 0))
        else:
            bench.make_small_tree(plain, count)
        os.makedirs(plain, exist_ok=True)
        if kind == "lz":
            shutil.copytree(plain, source)
            bench.compress_tree(source)
        self.wants[(kind, count)] = bench.tree_stats(plain)
        bench.write_cd(cd, self.args, self.wants[(kind, count)][1], compressed=kind == "lz")
        self.cds[(kind, count)] = cd

    def start(self):
        os.symlink(next(iter(self.cds.values())), self.cd)
        self.prefix.map_cd(self.cd)
        # Persistent, so that it stays up between the runs; every request goes to the trace.
        self.server = subprocess.Popen(["wineserver", "-f", "-d1", "-p"], env=self.prefix.env,
                                       stdout=subprocess.DEVNULL, stderr=self.trace)
        time.sleep(1.0)
        if self.args.dialog:
            self.driver = bench.start_driver(self.prefix, self.args, self.work)

    def close(self):
        if self.driver:
            bench.stop_driver(self.driver[0], self.driver[2])
        self.prefix.run(["wineserver", "-k"], stderr=subprocess.DEVNULL)
        if self.server:
            self.server.wait(timeout=60)
        self.trace.close()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    def use_cd(self, key):
        os.remove(self.cd)
        os.symlink(self.cds[key], self.cd)

    def clean(self):
        for path in (bench.DEST_DIR, "C:\\Xcopy"):
            unix = self.prefix.unix_path(path)
            if os.path.isdir(unix):
                shutil.rmtree(unix)
        self.prefix.run(["wine", "reg", "delete", bench.UNINSTALL_KEY, "/f"], cwd=self.work,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def traced(self, command, image):
        """The requests of one run of a Wine program, by kind."""
        self.trace.flush()
        start = os.path.getsize(self.trace_path)
        if self.args.syscalls:
            # strace follows the launcher and what it starts (a console host too), not the server.
            out = os.path.join(self.work, "strace.txt")
            proc = subprocess.Popen(["strace", "-f", "-c", "-o", out, "wine"] + command, cwd=self.cd,
                                    env=self.prefix.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        else:
            proc = self.prefix.wine(command, cwd=self.cd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        proc.wait(timeout=1800)
        time.sleep(0.5)
        if self.args.syscalls:
            return read_strace_counts(out)
        with open(self.trace_path, "rb") as f:
            f.seek(start)
            lines = f.read().decode("latin-1").splitlines()
        return process_requests(lines, proc.pid, image)

    def run(self, program, key):
        self.use_cd(key)
        self.clean()
        if program == "setup":
            switches = ([] if self.args.dialog else ["/S"]) + (["/LOG=C:\\count-setup.log"] if self.args.log else [])
            counts = self.traced(["D:\\setup.exe"] + switches, "setup.exe")
        else:
            counts = self.traced(["xcopy", "D:\\" + bench.SECTION_FOLDER, bench.XCOPY_DEST, "/E", "/I", "/Y"], "xcopy.exe")
        # xcopy copies a compressed CD as it is.
        want = self.wants[key] if program == "setup" else bench.tree_stats(
            os.path.join(self.cds[key], bench.SECTION_FOLDER))
        dest = bench.DEST_DIR if program == "setup" else bench.XCOPY_DEST
        got = bench.tree_stats(self.prefix.unix_path(dest)) if want[0] else want
        if got != want:
            raise bench.BenchError("%s copied %d files of %d" % (program, got[0], want[0]))
        return counts


def per_file(full, empty, files):
    kinds = set(full) | set(empty)
    return {k: (full[k] - empty[k]) / float(files) for k in kinds}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(REPO, "build", "windows"))
    parser.add_argument("--setup", help="another setup.exe to count (default BUILD/setup.exe)")
    parser.add_argument("--files", type=int, default=1000)
    parser.add_argument("--kinds", default="empty,small", help="empty: files of 0 bytes; small: 100 B to 8 KB; lz: small ones, compressed (xcopy copies them "
                             "as they are)")
    parser.add_argument("--programs", default="setup,xcopy")
    parser.add_argument("--dialog", action="store_true", help="setup.exe with its dialogs, answered by the driver")
    parser.add_argument("--syscalls", action="store_true",
                        help="count the program's system calls (strace -f -c) instead of its server requests")
    parser.add_argument("--log", action="store_true", help="setup.exe writes its log (a line per file)")
    parser.add_argument("--top", type=int, default=12, help="request kinds listed per program")
    parser.add_argument("--json", help="where to write the counts")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder with the server trace")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.template = os.environ.get("SETUP_WINE_TEMPLATE") or os.path.join(args.build, "wine-template")
    args.setup = os.path.abspath(args.setup or os.path.join(args.build, "setup.exe"))
    args.uninstaller = os.path.join(args.build, "TOVRADE.EXE")
    args.driver = os.path.join(args.build, "tests", "e2e", "driver.exe")
    kinds = [k for k in args.kinds.split(",") if k]
    programs = [p for p in args.programs.split(",") if p]
    os.environ.setdefault("WINEDEBUG", "-all")

    work = tempfile.mkdtemp(prefix="setup-requests-")
    counter = Counter(args, work)
    results = {}
    try:
        for kind in kinds:
            counter.add_cd(kind, args.files)
            counter.add_cd(kind, 0)
        counter.start()
        for kind in kinds:
            for program in programs:
                full = counter.run(program, (kind, args.files))
                empty = counter.run(program, (kind, 0))
                results["%s/%s" % (program, kind)] = {"files": args.files, "with_files": dict(full),
                                                      "without": dict(empty),
                                                      "per_file": per_file(full, empty, args.files)}
                print("%s, %d %s files: %.2f %s per file" %
                      (program, args.files, kind, (sum(full.values()) - sum(empty.values())) / float(args.files),
                       "system calls" if args.syscalls else "requests"))
                shown = sorted(results["%s/%s" % (program, kind)]["per_file"].items(), key=lambda kv: -abs(kv[1]))
                for name, value in shown[:args.top]:
                    if abs(value) >= 0.005:
                        print("    %-28s %6.2f" % (name, value))
                sys.stdout.flush()
    except (bench.BenchError, e2e.ScenarioError, subprocess.SubprocessError, OSError) as e:
        print("count failed: %s" % e, file=sys.stderr)
        return 1
    finally:
        counter.close()
        if args.keep:
            print("kept %s" % work, file=sys.stderr)
        else:
            shutil.rmtree(work, ignore_errors=True)
    if args.json:
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump(results, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
