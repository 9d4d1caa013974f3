#pragma once
// One owner type for every kind of handle: the traits name the invalid value and how to release it.

#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>
#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return Traits::IsValid(value_); }
    Type release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid())
    {
        Type old = std::exchange(value_, value);
        if (Traits::IsValid(old)) Traits::Close(old);
    }
    // For out-parameters: releases the current value first.
    Type* put()
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr && v != INVALID_HANDLE_VALUE; }
    static void Close(Type v) { ::CloseHandle(v); }
};
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type v) { return v != INVALID_HANDLE_VALUE && v != nullptr; }
    static void Close(Type v) { ::CloseHandle(v); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type v) { return v != INVALID_HANDLE_VALUE && v != nullptr; }
    static void Close(Type v) { ::FindClose(v); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::RegCloseKey(v); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::DeleteObject(v); }
};
struct IconTraits {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::DestroyIcon(v); }
};
struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::ImageList_Destroy(v); }
};
struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::CloseServiceHandle(v); }
};
struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::FreeLibrary(v); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type v) { return v != nullptr; }
    static void Close(Type v) { ::LocalFree(v); }
};
// LZ32 handles are non-negative on success and negative error codes on failure.
struct LzHandleTraits {
    using Type = INT;
    static Type Invalid() { return -1; }
    static bool IsValid(Type v) { return v >= 0; }
    static void Close(Type v) { ::LZClose(v); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueImageList = UniqueResource<ImageListTraits>;
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;
using UniqueLibrary = UniqueResource<LibraryTraits>;
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;
using UniqueLzHandle = UniqueResource<LzHandleTraits>;

// A window's device context, released to the window it came from.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject()
    {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit()
    {
        if (active_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};
