// The control of the DLL-loading scenarios: it imports the same libraries as the programs and probes
// the 3-D controls library by name, without restricting the search, so the loader takes whatever DLL
// of those names stands beside it or in the current folder. When it writes the markers and the
// programs in the same places do not, the programs' restriction is what kept the markers out.
#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>

int main(int argc, char**)
{
    // Referenced so that the imports exist; never called (a marker's export would end the process).
    if (argc > 99) {
        DWORD handle = 0;
        ::GetFileVersionInfoSizeA("", &handle);
        ::LZClose(0);
        ::InitCommonControls();
    }
    HMODULE ctl3d = ::LoadLibraryA("CTL3D32.DLL");
    if (ctl3d) ::FreeLibrary(ctl3d);
    return 0;
}
