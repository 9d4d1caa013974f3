#include "framework/App.h"
#include "framework/LibraryFunction.h"

namespace {
// Libraries loaded at run time come from the system folder only: a DLL placed beside the program on
// a copied CD, or in the current folder (which the copy engine moves around), is never loaded.
void RestrictLibrarySearchToSystemFolder()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = LoadedLibraryFunction<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearchToSystemFolder();
    App* app = App::Current();
    return app ? app->Run(instance) : 1;
}
