// A DLL that only tells that it was loaded: its DllMain writes C:\markers\<name>.txt with the path it
// was loaded from and the program that loaded it. It is built under the names of the libraries the
// programs use, so a test can place it where a careless search would find it. Its exports exist only
// so that an importing program can be started; calling one ends the process with code 99.
#include <windows.h>

#ifndef MARKER_NAME
#error MARKER_NAME must name the library this marker stands for
#endif

namespace {
void WriteMarker(HINSTANCE self)
{
    char own[MAX_PATH] = "", program[MAX_PATH] = "", path[MAX_PATH];
    GetModuleFileNameA(self, own, MAX_PATH);
    GetModuleFileNameA(NULL, program, MAX_PATH);
    CreateDirectoryA("C:\\markers", NULL);
    wsprintfA(path, "C:\\markers\\%s.txt", MARKER_NAME);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[2 * MAX_PATH + 8];
    int length = wsprintfA(line, "%s loaded by %s\r\n", own, program);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, NULL);
    CloseHandle(file);
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) WriteMarker(self);
    return TRUE;
}

extern "C" void MarkerStub()
{
    ExitProcess(99);
}
