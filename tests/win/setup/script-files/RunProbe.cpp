// Started by the RUN tests: writes its command line, exactly as received, to the file that
// SCRIPT_PROBE_OUT names, and ends at once.
#include <windows.h>

int main()
{
    char path[MAX_PATH];
    if (::GetEnvironmentVariableA("SCRIPT_PROBE_OUT", path, MAX_PATH) == 0) return 1;
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    const char* line = ::GetCommandLineA();
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(::lstrlenA(line)), &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
