#include "framework/ComPtr.h"

#include "framework/Handles.h"
#include "framework/LibraryFunction.h"

namespace {
struct ComLibrary {
    UniqueLibrary module;
    HRESULT(WINAPI* initialize)(void*) = nullptr;
    void(WINAPI* uninitialize)() = nullptr;
    HRESULT(WINAPI* createInstance)(REFCLSID, IUnknown*, DWORD, REFIID, void**) = nullptr;
};

// Loaded once, at the first use on any thread; the start-up restricts the search to the system folder.
const ComLibrary& Library()
{
    static const ComLibrary library = [] {
        ComLibrary l;
        l.module.reset(::LoadLibraryW(L"ole32.dll"));
        l.initialize = LibraryFunction<decltype(l.initialize)>(l.module.get(), "CoInitialize");
        l.uninitialize = LibraryFunction<decltype(l.uninitialize)>(l.module.get(), "CoUninitialize");
        l.createInstance = LibraryFunction<decltype(l.createInstance)>(l.module.get(), "CoCreateInstance");
        if (!l.initialize || !l.uninitialize || !l.createInstance) l = ComLibrary();
        return l;
    }();
    return library;
}
}  // namespace

HRESULT CreateComInstance(REFCLSID clsid, REFIID iid, void** object)
{
    *object = nullptr;
    const ComLibrary& library = Library();
    return library.createInstance ? library.createInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object)
                                  : E_NOTIMPL;
}

ComInitGuard::ComInitGuard() : hr_(Library().initialize ? Library().initialize(nullptr) : E_NOTIMPL) {}

ComInitGuard::~ComInitGuard()
{
    if (SUCCEEDED(hr_)) Library().uninitialize();
}
