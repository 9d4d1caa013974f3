#pragma once
// What the system fixes and both programs need: its version numbers and where installed programs are
// listed.

// Below HKEY_LOCAL_MACHINE; a program's entry is this key followed by its name.
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct OsVersion {
    unsigned platformId = 0;  // 2: the Windows NT family
    unsigned major = 0;
    unsigned minor = 0;
    bool IsNtFamily() const { return platformId == 2; }
};
