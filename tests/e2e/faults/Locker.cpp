// Holds a file open with no sharing at all, as another program that uses the file would, so that a
// move, a delete or a second open of it fails with a sharing violation. Output redirection of cmd does
// not do this under Wine (it shares delete), hence this helper.
// Usage: locker.exe FILE SECONDS     Exit code 0 after the time, 2 when the file could not be opened.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: locker FILE SECONDS\n");
        return 1;
    }
    HANDLE file =
        ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], ::GetLastError());
        return 2;
    }
    ::Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    ::CloseHandle(file);
    return 0;
}
