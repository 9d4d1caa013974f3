#pragma once
// A function of a library, looked up by name: for a library the programs do not import (loaded at its
// first use) or a function that older systems lack.

#include <windows.h>

// Null when the library is not loaded or has no such function.
template <typename F>
F LibraryFunction(HMODULE library, const char* name)
{
    return library ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

// The same in a library every program has loaded (kernel32.dll, user32.dll, ntdll.dll).
template <typename F>
F LoadedLibraryFunction(const wchar_t* library, const char* name)
{
    return LibraryFunction<F>(::GetModuleHandleW(library), name);
}
