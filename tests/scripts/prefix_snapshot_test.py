#!/usr/bin/env python3
"""scripts/prefix-snapshot.py on a made-up prefix: Wine's rewrites compare as nothing, what an install
left is listed, and --expect-nothing decides the exit code."""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "prefix-snapshot.py")

SYSTEM_REG = """WINE REGISTRY Version 2
#arch=win64

[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] %d
#time=%x
"ProgramFilesDir"="C:\\\\Program Files"

[System\\\\CurrentControlSet\\\\Control] %d
"Stamp"=dword:%08x
"""


class PrefixSnapshotTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.prefix = self.folder.name
        os.makedirs(os.path.join(self.prefix, "drive_c", "windows", "system32"))
        os.makedirs(os.path.join(self.prefix, "drive_c", "users", "root"))
        self.write("drive_c/windows/win.ini", "[windows]\n")
        self.registry(1)
        self.snapshot = os.path.join(self.prefix, "before.json")
        self.run_script("take")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, path, text):
        with open(os.path.join(self.prefix, path), "w") as f:
            f.write(text)

    def registry(self, stamp, extra="", user="[Software\\\\Wine\\\\Empty] %d\n"):
        self.write("system.reg", SYSTEM_REG % (stamp, stamp, stamp, stamp) + extra)
        self.write("user.reg", "WINE REGISTRY Version 2\n\n" + (user % stamp if "%" in user else user))

    def run_script(self, command, *options):
        result = subprocess.run([sys.executable, SCRIPT, command, self.prefix, self.snapshot] + list(options),
                                capture_output=True, text=True)
        self.assertEqual(result.stderr, "")
        return result

    def test_wine_rewriting_its_files_compares_as_nothing(self):
        self.registry(2)  # new time stamps everywhere, a key outside Software changed
        os.makedirs(os.path.join(self.prefix, "drive_c", "windows", "temp", "wine"))
        self.write("drive_c/windows/temp/wine/scratch.tmp", "x")
        result = self.run_script("compare", "--expect-nothing")
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual(result.stdout.splitlines()[1:], ["  nothing"])

    def test_what_is_left_is_listed_and_fails_only_when_asked(self):
        os.makedirs(os.path.join(self.prefix, "drive_c", "Widgets"))
        self.write("drive_c/windows/system32/WIDGETS.TXT", "widgets")
        self.write("drive_c/windows/win.ini", "[windows]\nload=\n")
        self.registry(3, "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDLLs] 3\n"
                         '"C:\\\\windows\\\\system32\\\\WIDGETS.TXT"=dword:00000001\n'
                         '\n[software\\\\microsoft\\\\windows\\\\currentversion] 3\n"Extra"=hex:01,\\\n  02\n',
                      # Wine writes a key without values only while it has no subkeys.
                      user='[Software\\\\Wine\\\\Empty\\\\Entry\\\\Deeper] 3\n"Name"="x"\n')
        lines = self.run_script("compare").stdout.splitlines()
        self.assertEqual(lines[1:], [
            "  folder   C:\\Widgets",
            "  file     C:\\windows\\system32\\WIDGETS.TXT",
            "  changed  C:\\windows\\win.ini",
            "  key      HKCU\\Software\\Wine\\Empty\\Entry",
            "  value    HKCU\\Software\\Wine\\Empty\\Entry\\Deeper\\Name = \"x\"",
            "  value    HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Extra = hex:01,02",
            "  key      HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
            "  value    HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\"
            "C:\\windows\\system32\\WIDGETS.TXT = 1 (dword)",
        ])
        self.assertEqual(self.run_script("compare").returncode, 0)
        self.assertEqual(self.run_script("compare", "--expect-nothing").returncode, 1)

    def test_what_was_there_and_is_gone_is_listed(self):
        os.remove(os.path.join(self.prefix, "drive_c", "windows", "win.ini"))
        self.write("system.reg", "WINE REGISTRY Version 2\n")
        self.write("user.reg", "WINE REGISTRY Version 2\n")
        result = self.run_script("compare", "--expect-nothing")
        self.assertEqual(result.returncode, 1)
        self.assertIn("Gone from the PC since before the install:\n"
                      "  file     C:\\windows\\win.ini\n"
                      "  key      HKCU\\Software\n"
                      "  key      HKLM\\Software\n", result.stdout)


if __name__ == "__main__":
    unittest.main()
