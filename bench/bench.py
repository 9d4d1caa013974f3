#!/usr/bin/env python3
"""Benchmarks of setup.exe and TOVRADE.EXE under Wine, each against a baseline measured in the same run.

Prints one line per case on standard output, e.g. `copy-large ratio 1.07 (setup 4.1 s, xcopy 3.8 s)`,
then the peak memory of setup.exe during copy-large. Progress goes to standard error; every sample is
written to a JSON file. What each number measures is explained in bench/README.md.

Usage: bench.py [--build build/windows] [--repeat 3] [--cases copy-large,copy-small,...] [--json FILE]
                [--large-mb 1024] [--large-repeat 5] [--small-files 5000] [--log] [--keep]
"""

import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))

import run_scenario as e2e  # noqa: E402  (the end-to-end runner: prefix, CD drive, display, driver log)
import szdd  # noqa: E402  (on the path the runner sets: scripts/)

CASES = ("copy-large", "copy-small", "copy-lz", "uninstall", "startup")
SECTION_FOLDER = "DATA"
DEST_DIR = "C:\\Bench\\Data"
XCOPY_DEST = "C:\\Xcopy\\Data"
PRODUCT = "Bench Data"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + PRODUCT

# Control ids that tell the installer's dialogs apart in the driver's record.
OPTIONS_LIST_ID = 4000
PROGRESS_IDS = {1007, 1009}


class BenchError(Exception):
    pass


def log(text):
    print(text, file=sys.stderr, flush=True)


def median(values):
    ordered = sorted(values)
    if not ordered:
        raise BenchError("no samples")
    middle = len(ordered) // 2
    return ordered[middle] if len(ordered) % 2 else (ordered[middle - 1] + ordered[middle]) / 2.0


def result_line(case, measured, baseline_name, baseline):
    """The one line per case: ratio of the medians, then both medians in seconds."""
    ratio = measured / baseline if baseline > 0 else float("inf")
    return "%s ratio %.2f (setup %.2f s, %s %.2f s)" % (case, ratio, measured, baseline_name, baseline)


# ---------------------------------------------------------------- the trees on the CD


def make_large_tree(root, total_mb, count):
    """A few large files of incompressible data, as a CD of media files would hold."""
    os.makedirs(root, exist_ok=True)
    chunk = 1 << 20
    per_file = max(1, total_mb // count)
    for i in range(count):
        folder = root if i % 2 == 0 else os.path.join(root, "MEDIA")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "PART%02d.BIN" % i), "wb") as f:
            for _ in range(per_file):
                f.write(os.urandom(chunk))


def make_small_tree(root, count, seed=1, sizes=(100, 8192)):
    """count small files (100 bytes to 8 KB) in folders three levels deep, ten entries per level."""
    rng = random.Random(seed)
    made = 0
    level = 0
    while made < count:
        a, b = divmod(level, 10)
        folder = os.path.join(root, "GROUP%02d" % a, "TOPIC%02d" % b)
        for c in range(5):
            sub = os.path.join(folder, "PART%d" % c)
            os.makedirs(sub, exist_ok=True)
            for i in range(10):
                if made == count:
                    break
                with open(os.path.join(sub, "FILE%04d.TXT" % made), "wb") as f:
                    f.write(os.urandom(rng.randint(*sizes)))
                made += 1
        level += 1


def make_text_tree(root, count, seed=2):
    """Compressible text files (2 to 40 KB) in a few folders, for the compressed install."""
    rng = random.Random(seed)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(2000)]
    for i in range(count):
        folder = os.path.join(root, "CHAPTER%d" % (i % 8), "EXAMPLES" if i % 3 else "")
        os.makedirs(folder, exist_ok=True)
        size = rng.randint(2048, 40960)
        lines, length = [], 0
        while length < size:
            line = " ".join(rng.choice(words) for _ in range(12)) + "\r\n"
            lines.append(line)
            length += len(line)
        with open(os.path.join(folder, "TEXT%04d.TXT" % i), "w", newline="") as f:
            f.write("".join(lines))


def compress_tree(root):
    """SZDD-compresses every file (scripts/szdd.py); the CD keeps the original names."""
    for folder, _, names in os.walk(root):
        for name in names:
            szdd.compress(os.path.join(folder, name))


def tree_stats(root):
    files, size = 0, 0
    for folder, _, names in os.walk(root):
        for name in names:
            files += 1
            size += os.path.getsize(os.path.join(folder, name))
    return files, size


def write_cd(cd, programs, source_bytes, compressed):
    """The CD root: both programs, the sample SETUP.TXT and a one-section SETUP.INI."""
    os.makedirs(cd, exist_ok=True)
    shutil.copy2(programs.setup, os.path.join(cd, "setup.exe"))
    shutil.copy2(programs.uninstaller, os.path.join(cd, "TOVRADE.EXE"))
    # Stripped, as a CD ships them. Wine reads a section whose place in the file does not line up with
    # its page into private memory: left in, the debug information (about 9 MB) then counts towards
    # the peak memory or not, as the sizes of the sections before it fall.
    subprocess.run(["bash", os.path.join(REPO, "scripts", "strip-programs.sh"), os.path.join(cd, "setup.exe"),
                    os.path.join(cd, "TOVRADE.EXE")], check=True)
    shutil.copy2(os.path.join(REPO, "examples", "sample-cd", "SETUP.TXT"), os.path.join(cd, "SETUP.TXT"))
    size = min(max(source_bytes, 6000), 620000000)  # the range the settings check accepts
    lines = ["[Setup]", "MainProdName=Bench", "FilesCompressed=%s" % ("YES" if compressed else "NO"),
             "UseUnderscores=NO", "NumberOfSections=1", "ChangeFolderButton=TRUE", "VolumeName=BENCH", "",
             "[Section1]", "CodeDir=" + SECTION_FOLDER, "DestDir=" + DEST_DIR, "ProductName=" + PRODUCT,
             "ShortcutLocation=NULL", "ShortcutName=" + PRODUCT, "FileSize=%d" % size, "InstallByDefault=TRUE",
             "Uninstall=TRUE", "CommandFile="]
    e2e.write_text(os.path.join(cd, "SETUP.INI"), "\r\n".join(lines) + "\r\n")


# ---------------------------------------------------------------- memory of the running installer


class PeakMemory:
    """Polls the peak resident size (VmHWM) of the Wine process whose command line names the program."""

    def __init__(self, prefix_path, program):
        self.prefix_path, self.program = prefix_path, program.lower()
        self.peak_kb = 0
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def start(self):
        self._thread.start()

    def stop(self):
        self._stop.set()
        self._thread.join()

    def _ours(self, pid):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if self.program not in f.read().decode("latin-1").lower():
                    return False
            with open("/proc/%s/environ" % pid, "rb") as f:
                return ("WINEPREFIX=" + self.prefix_path).encode() in f.read().split(b"\0")
        except OSError:
            return False

    def _run(self):
        while not self._stop.is_set():
            for pid in os.listdir("/proc"):
                if pid.isdigit() and self._ours(pid):
                    try:
                        with open("/proc/%s/status" % pid) as f:
                            for line in f:
                                if line.startswith("VmHWM:"):
                                    self.peak_kb = max(self.peak_kb, int(line.split()[1]))
                    except OSError:
                        pass
            self._stop.wait(0.1)


# ---------------------------------------------------------------- the copy or removal as the disk sees it


def expected_files(source):
    """(relative path, size) of every file below source, in the order the directory listing gives."""
    found = []
    for folder, dirs, names in os.walk(source):
        for name in names:
            full = os.path.join(folder, name)
            found.append((os.path.relpath(full, source), os.path.getsize(full)))
    return found


class TreeWatch:
    """Times a copy into, or a removal of, a folder from the outside, the same way for every program:
    a copy starts when the destination folder appears and ends when every file is there with its full
    size; a removal starts when the first file is gone and ends when the folder is gone. A poll stops
    at the first file that is not yet done, so it stays cheap on a tree of thousands of files."""

    def __init__(self, root, files, removal=False, interval=0.005):
        self.root, self.files, self.removal, self.interval = root, files, removal, interval
        self.start = self.end = None
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._thread.join(timeout=1.0)  # a last look after the program ended
        self._stop.set()
        self._thread.join()

    @property
    def seconds(self):
        if self.start is None or self.end is None:
            raise BenchError("%s: the %s was not seen to %s" % (self.root, "removal" if self.removal else "copy",
                                                                 "start" if self.start is None else "end"))
        return self.end - self.start

    def _copied(self, entry):
        try:
            return os.stat(os.path.join(self.root, entry[0])).st_size == entry[1]
        except OSError:
            return False

    def _run(self):
        pending = 0
        while not self._stop.is_set():
            now = time.monotonic()
            if self.removal:
                if self.start is None and not all(os.path.lexists(os.path.join(self.root, f)) for f, _ in self.files):
                    self.start = now
                if self.start is not None and not os.path.lexists(self.root):
                    self.end = now
                    return
            else:
                if self.start is None and os.path.isdir(self.root):
                    self.start = now
                if self.start is not None:
                    while pending < len(self.files) and self._copied(self.files[pending]):
                        pending += 1
                    if pending == len(self.files):
                        self.end = now
                        return
            self._stop.wait(self.interval)


# ---------------------------------------------------------------- one Wine prefix with its CD and driver


def start_driver(prefix, args, work):
    """The end-to-end driver in the prefix, answering every dialog: the uninstaller's question with Yes,
    every other dialog with its default button. Returns the process, its log and its stop file."""
    log_path = os.path.join(work, "log.jsonl")
    stop = os.path.join(work, "stop")
    rules = os.path.join(work, "rules.txt")
    scenario = {"answers": [{"ids": [6, 7], "repeat": True, "do": [["click", 6]]}]}
    with open(rules, "w", encoding="cp1252", newline="\n") as f:
        f.write(e2e.rules_text(scenario))
    driver = prefix.wine(
        [args.driver, "--rules", e2e.windows_path_of(rules), "--log", e2e.windows_path_of(log_path),
         "--stop", e2e.windows_path_of(stop), "--watch", "setup.exe,tovrade.exe,driver-target.exe",
         # No screenshots, no settle time and a look every 10 ms: a window is recorded when it is up,
         # not after the driver's work on the windows before it (setup's backdrop).
         "--settle-ms", "0", "--poll-ms", "10",
         "--max-ms", str(3600 * 1000)],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + 60
    while not any(e.get("event") == "start" for e in e2e.read_log(log_path)):
        if time.time() > deadline or driver.poll() is not None:
            raise BenchError("the driver did not start")
        time.sleep(0.05)
    return driver, log_path, stop


def stop_driver(driver, stop):
    e2e.write_text(stop, "")
    try:
        driver.wait(timeout=15)
    except subprocess.TimeoutExpired:
        driver.kill()
        driver.wait()


class Bench:
    """A fresh copy of the template prefix with the CD as drive D: and the driver answering dialogs.
    The driver runs for the whole case, so the Wine server stays up and every run, the installer's
    and the baseline's, pays the same for it."""

    def __init__(self, args, work, cd):
        self.args, self.work, self.cd = args, work, cd
        self.xvfb, display = e2e.start_display()
        self.prefix = e2e.Prefix(work, args.template, display)
        self.prefix.map_cd(cd)
        self.driver, self.log, self.stop = start_driver(self.prefix, args, work)

    def close(self):
        stop_driver(self.driver, self.stop)
        self.prefix.shutdown()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    def events(self):
        return e2e.read_log(self.log)

    def unix(self, windows_path):
        return self.prefix.unix_path(windows_path)

    def remove(self, windows_path):
        path = self.unix(windows_path)
        if os.path.isdir(path):
            for folder, dirs, names in os.walk(path):
                for name in dirs + names:
                    os.chmod(os.path.join(folder, name), 0o755)
            shutil.rmtree(path)

    def forget_install(self):
        """Deletes the installed folder and its uninstall entry: the options dialog leaves a section that
        is already installed unticked, and the next run would copy nothing."""
        self.remove(DEST_DIR)
        self.timed(["reg", "delete", UNINSTALL_KEY, "/f"], check=False)

    @staticmethod
    def settle():
        """Writes out what the runs before wrote or freed, before the next run is timed: the disk's
        journal would otherwise commit it (and discard the freed blocks) during the next run, and each
        case's runs follow one another in a fixed order (setup's install after rmdir's removal)."""
        os.sync()

    def timed(self, command, cwd=None, timeout=600, check=True):
        """Wall time of one Wine program from its start to its exit."""
        started = time.monotonic()
        proc = self.prefix.wine(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        code = proc.wait(timeout=timeout)
        elapsed = time.monotonic() - started
        if check and code != 0:
            raise BenchError("%s ended with exit code %d" % (" ".join(command), code))
        return elapsed

    def install(self, files, memory=False):
        """Runs setup.exe with the default answers; returns the seconds of its copy phase as a TreeWatch
        sees it, and its peak memory in KB when asked."""
        peak = PeakMemory(self.prefix.path, "setup.exe") if memory else None
        self.settle()
        with TreeWatch(self.unix(DEST_DIR), files) as watch:
            if peak:
                peak.start()
            try:
                log_switch = ["/LOG=C:\\bench-setup.log"] if self.args.log else []
                self.timed(["D:\\setup.exe"] + log_switch, cwd=self.cd)
            finally:
                if peak:
                    peak.stop()
        return watch.seconds, peak.peak_kb if peak else None

    def xcopy(self, files):
        self.settle()
        with TreeWatch(self.unix(XCOPY_DEST), files) as watch:
            self.timed(["xcopy", "D:\\" + SECTION_FOLDER, XCOPY_DEST, "/E", "/I", "/Y"])
        return watch.seconds

    def uninstall(self, files):
        """Runs the uninstall command stored by the install; the driver answers its question Yes."""
        command = self.prefix.reg_query(UNINSTALL_KEY, "UninstallString")
        if not command:
            raise BenchError("no uninstall entry after the install")
        program, _, rest = command.partition(" ")
        self.settle()
        with TreeWatch(self.unix(DEST_DIR), files, removal=True) as watch:
            self.timed([program] + rest.split(), cwd=self.cd)
        return watch.seconds

    def rmdir(self, files):
        self.settle()
        with TreeWatch(self.unix(XCOPY_DEST), files, removal=True) as watch:
            self.timed(["cmd", "/c", "rmdir", "/s", "/q", XCOPY_DEST])
        return watch.seconds

    def wait_for_line(self, before, predicate, proc, timeout):
        """Polls the driver's log every 10 ms; the arrival time (our clock) of the first new event that
        satisfies the predicate."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for e in self.events()[before:]:
                if predicate(e):
                    return time.monotonic()
            if proc is not None and proc.poll() is not None:
                raise BenchError("the program ended before the awaited window")
            time.sleep(0.01)
        raise BenchError("timed out waiting for the driver")

    def first_window(self, command, predicate, cwd=None):
        """Seconds from the start of a program to the driver's record of its first matching window."""
        before = len(self.events())
        started = time.monotonic()
        proc = self.prefix.wine(command, cwd=cwd or self.cd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        seen = self.wait_for_line(before, lambda e: e.get("event") == "window" and predicate(e), proc, 60)
        return seen - started, proc


# ---------------------------------------------------------------- the cases


def check_copy(bench, source, windows_dest):
    """The copy must be whole, or the timing means nothing."""
    want = tree_stats(source)
    got = tree_stats(bench.unix(windows_dest))
    if want != got:
        raise BenchError("%s holds %d files, %d bytes; the CD folder %d files, %d bytes" %
                         (windows_dest, got[0], got[1], want[0], want[1]))


def copy_against_xcopy(args, work, case, make_tree, memory=False):
    cd = os.path.join(work, "cd")
    source = os.path.join(cd, SECTION_FOLDER)
    make_tree(source)
    files, size = tree_stats(source)
    log("%s: %d files, %.1f MB" % (case, files, size / 1048576.0))
    write_cd(cd, args, size, compressed=False)
    bench = Bench(args, os.path.join(work, "wine"), cd)
    files = expected_files(source)
    samples = {"setup": [], "xcopy": [], "peak_kb": [], "uninstall": [], "rmdir": []}
    try:
        for i in range(args.large_repeat if case == "copy-large" else args.repeat):
            # Alternate the two, so that load from elsewhere on the machine falls on both alike.
            seconds, peak = bench.install(files, memory=memory)
            check_copy(bench, source, DEST_DIR)
            samples["setup"].append(seconds)
            if peak is not None:
                samples["peak_kb"].append(peak)
            samples["xcopy"].append(bench.xcopy(files))
            check_copy(bench, source, XCOPY_DEST)
            line = "  run %d: setup %.2f s, xcopy %.2f s" % (i + 1, samples["setup"][-1], samples["xcopy"][-1])
            if args.with_uninstall:
                samples["uninstall"].append(bench.uninstall(files))
                samples["rmdir"].append(bench.rmdir(files))
                for path in (DEST_DIR, XCOPY_DEST):
                    if os.path.lexists(bench.unix(path)):
                        raise BenchError("%s is still there after the removal" % path)
                line += "; uninstall %.2f s, rmdir %.2f s" % (samples["uninstall"][-1], samples["rmdir"][-1])
            else:
                bench.forget_install()
            bench.remove("C:\\Xcopy")
            log(line)
    finally:
        bench.close()
    return samples


def run_copy_large(args, work, results):
    samples = copy_against_xcopy(args, work, "copy-large",
                                 lambda root: make_large_tree(root, args.large_mb, args.large_files), memory=True)
    results["copy-large"] = samples
    lines = [result_line("copy-large", median(samples["setup"]), "xcopy", median(samples["xcopy"]))]
    if samples["peak_kb"]:
        lines.append("setup.exe peak memory (VmHWM) during copy-large: %.1f MB" % (max(samples["peak_kb"]) / 1024.0))
    return lines


def run_copy_small(args, work, results, with_uninstall):
    args.with_uninstall = with_uninstall
    samples = copy_against_xcopy(args, work, "copy-small", lambda root: make_small_tree(root, args.small_files),
                                 memory=True)
    results["copy-small"] = samples
    setup, xcopy = median(samples["setup"]), median(samples["xcopy"])
    lines = [result_line("copy-small", setup, "xcopy", xcopy),
             "copy-small per file (%d files): setup %.3f ms, xcopy %.3f ms" %
             (args.small_files, 1000.0 * setup / args.small_files, 1000.0 * xcopy / args.small_files)]
    if samples["peak_kb"]:
        lines.append("setup.exe peak memory (VmHWM) during copy-small (%d files): %.1f MB" %
                     (args.small_files, max(samples["peak_kb"]) / 1024.0))
    if with_uninstall:
        results["uninstall"] = {k: samples[k] for k in ("uninstall", "rmdir")}
        lines.append(result_line("uninstall", median(samples["uninstall"]), "rmdir", median(samples["rmdir"])))
    return lines


def run_copy_lz(args, work, results):
    plain_cd = os.path.join(work, "plain")
    packed_cd = os.path.join(work, "packed")
    make_text_tree(os.path.join(plain_cd, SECTION_FOLDER), args.lz_files)
    files, size = tree_stats(os.path.join(plain_cd, SECTION_FOLDER))
    log("copy-lz: %d files, %.1f MB, compressing" % (files, size / 1048576.0))
    shutil.copytree(os.path.join(plain_cd, SECTION_FOLDER), os.path.join(packed_cd, SECTION_FOLDER))
    compress_tree(os.path.join(packed_cd, SECTION_FOLDER))
    write_cd(plain_cd, args, size, compressed=False)
    write_cd(packed_cd, args, size, compressed=True)
    files = expected_files(os.path.join(plain_cd, SECTION_FOLDER))
    samples = {"lz": [], "plain": []}
    # One prefix serves both CDs: the drive D: link is switched between runs while no program runs.
    cd = os.path.join(work, "cd")
    os.symlink(plain_cd, cd)
    bench = Bench(args, os.path.join(work, "wine"), cd)
    try:
        for i in range(args.lz_repeat):
            for kind, folder in (("lz", packed_cd), ("plain", plain_cd)):
                os.remove(cd)
                os.symlink(folder, cd)
                samples[kind].append(bench.install(files)[0])
                check_copy(bench, os.path.join(plain_cd, SECTION_FOLDER), DEST_DIR)
                bench.forget_install()
            log("  run %d: compressed %.2f s, plain %.2f s" % (i + 1, samples["lz"][-1], samples["plain"][-1]))
    finally:
        bench.close()
    results["copy-lz"] = samples
    return [result_line("copy-lz", median(samples["lz"]), "plain", median(samples["plain"]))]


def run_startup(args, work, results):
    cd = os.path.join(work, "cd")
    write_cd(cd, args, 6000, compressed=False)
    os.makedirs(os.path.join(cd, SECTION_FOLDER))
    bench = Bench(args, os.path.join(work, "wine"), cd)
    samples = {"setup": [], "dialog": []}

    def is_welcome(e):
        # The first window with controls: the backdrop before it has none.
        return e.get("exe") == "setup.exe" and e.get("controls")

    try:
        for i in range(args.startup_repeat):
            seconds, proc = bench.first_window(["D:\\setup.exe"], is_welcome)
            samples["setup"].append(seconds)
            proc.wait(timeout=120)  # the driver answers the rest with the defaults
            bench.forget_install()
            seconds, proc = bench.first_window([args.target], lambda e: e.get("exe") == "driver-target.exe")
            samples["dialog"].append(seconds)
            proc.terminate()
            proc.wait(timeout=30)
            log("  run %d: setup %.2f s, dialog program %.2f s" % (i + 1, samples["setup"][-1],
                                                                    samples["dialog"][-1]))
    finally:
        bench.close()
    results["startup"] = samples
    return [result_line("startup", median(samples["setup"]), "dialog", median(samples["dialog"]))]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(REPO, "build", "windows"))
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--cases", default=",".join(CASES))
    parser.add_argument("--json", help="where to write every sample (default BUILD/bench/results.json)")
    # At 200 MB the copy ends in about 0.2 s and fixed costs decide the ratio.
    parser.add_argument("--large-mb", type=int, default=1024)
    parser.add_argument("--large-repeat", type=int, default=5, help="rounds of copy-large")
    parser.add_argument("--log", action="store_true", help="run setup.exe with /LOG (a line per file)")
    parser.add_argument("--large-files", type=int, default=5)
    # A start takes about 0.15 s, and single starts on a shared machine scatter by half of that.
    parser.add_argument("--startup-repeat", type=int, default=21, help="rounds of startup")
    parser.add_argument("--small-files", type=int, default=5000)
    parser.add_argument("--lz-files", type=int, default=250)
    parser.add_argument("--lz-repeat", type=int, default=7, help="rounds of copy-lz (each install takes 0.2 s)")
    parser.add_argument("--setup", help="another setup.exe to measure (default BUILD/setup.exe)")
    parser.add_argument("--uninstaller", help="another TOVRADE.EXE to measure (default BUILD/TOVRADE.EXE)")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.template = os.environ.get("SETUP_WINE_TEMPLATE") or os.path.join(args.build, "wine-template")
    args.driver = os.path.join(args.build, "tests", "e2e", "driver.exe")
    args.target = os.path.join(args.build, "tests", "e2e", "driver-target.exe")
    args.with_uninstall = False
    cases = [c.strip() for c in args.cases.split(",") if c.strip()]
    unknown = set(cases) - set(CASES)
    if unknown:
        parser.error("unknown cases: %s" % ", ".join(sorted(unknown)))
    args.setup = os.path.abspath(args.setup or os.path.join(args.build, "setup.exe"))
    args.uninstaller = os.path.abspath(args.uninstaller or os.path.join(args.build, "TOVRADE.EXE"))
    for path in (args.setup, args.uninstaller, args.driver, args.target):
        if not os.path.exists(path):
            parser.error("%s is not built" % path)

    os.environ.setdefault("WINEDEBUG", "-all")
    results, lines = {}, []
    work = tempfile.mkdtemp(prefix="setup-bench-")
    started = time.monotonic()
    try:
        for case in CASES:
            if case not in cases or case == "uninstall" and "copy-small" in cases:
                continue  # the uninstall runs inside copy-small, on the trees that case installs
            log("== %s" % case)
            folder = os.path.join(work, case)
            os.makedirs(folder)
            if case == "copy-large":
                lines += run_copy_large(args, folder, results)
            elif case == "copy-small":
                lines += run_copy_small(args, folder, results, "uninstall" in cases)
            elif case == "uninstall":
                lines += run_copy_small(args, folder, results, True)[-1:]
            elif case == "copy-lz":
                lines += run_copy_lz(args, folder, results)
            elif case == "startup":
                lines += run_startup(args, folder, results)
            if not args.keep:
                shutil.rmtree(folder, ignore_errors=True)
    except (BenchError, subprocess.CalledProcessError, subprocess.TimeoutExpired, OSError) as e:
        log("bench failed: %s" % e)
        return 1
    finally:
        if args.keep:
            log("kept %s" % work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    order = {c: i for i, c in enumerate(CASES)}
    lines.sort(key=lambda l: order.get(l.split(" ")[0], len(CASES)))  # stable: a case's lines stay in order
    for line in lines:
        print(line)
    results["seconds_total"] = time.monotonic() - started
    target = args.json or os.path.join(args.build, "bench", "results.json")
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "w", encoding="utf-8") as f:
        json.dump(results, f, indent=1)
    log("samples in %s; %.0f s in all" % (target, results["seconds_total"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
