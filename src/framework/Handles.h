#pragma once
// One owner type for every kind of handle: the traits name the invalid value and how to release it.

#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>
#include <type_traits>
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

// How a kind of handle is released, and which value means none: null (`kNull`), or the all-ones
// value (`kAllOnes`: INVALID_HANDLE_VALUE for files and find handles, -1 for LZ32 handles). Null and
// INVALID_HANDLE_VALUE never count as a handle to release; an integer handle is one when non-negative,
// as LZ32 returns negative error codes.
enum class NoHandle { kNull, kAllOnes };

template <typename T, auto CloseFunction, NoHandle kNoHandle = NoHandle::kNull>
struct HandleTraits {
    using Type = T;
    static Type Invalid() { return kNoHandle == NoHandle::kNull ? Type{} : AllOnes(); }
    static bool IsValid(Type v)
    {
        if constexpr (std::is_pointer_v<Type>)
            return v != nullptr && v != AllOnes();
        else
            return v >= 0;
    }
    static void Close(Type v) { CloseFunction(v); }

private:
    static Type AllOnes()
    {
        if constexpr (std::is_pointer_v<Type>)
            return reinterpret_cast<Type>(static_cast<INT_PTR>(-1));
        else
            return static_cast<Type>(-1);
    }
};

using UniqueHandle = UniqueResource<HandleTraits<HANDLE, &::CloseHandle>>;
using UniqueFile = UniqueResource<HandleTraits<HANDLE, &::CloseHandle, NoHandle::kAllOnes>>;
using UniqueFind = UniqueResource<HandleTraits<HANDLE, &::FindClose, NoHandle::kAllOnes>>;
using UniqueRegKey = UniqueResource<HandleTraits<HKEY, &::RegCloseKey>>;
using UniqueGdiObject = UniqueResource<HandleTraits<HGDIOBJ, &::DeleteObject>>;
using UniqueIcon = UniqueResource<HandleTraits<HICON, &::DestroyIcon>>;
using UniqueImageList = UniqueResource<HandleTraits<HIMAGELIST, &::ImageList_Destroy>>;
using UniqueServiceHandle = UniqueResource<HandleTraits<SC_HANDLE, &::CloseServiceHandle>>;
using UniqueLibrary = UniqueResource<HandleTraits<HMODULE, &::FreeLibrary>>;
using UniqueLocalMemory = UniqueResource<HandleTraits<HLOCAL, &::LocalFree>>;
using UniqueLzHandle = UniqueResource<HandleTraits<INT, &::LZClose, NoHandle::kAllOnes>>;
// A device context made with CreateCompatibleDC or CreateDC (not one from GetDC or BeginPaint).
using UniqueDc = UniqueResource<HandleTraits<HDC, &::DeleteDC>>;
// A view of a file mapping, from MapViewOfFile.
using UniqueMappedView = UniqueResource<HandleTraits<void*, &::UnmapViewOfFile>>;

// Holds a slim reader/writer lock exclusively for its scope.
class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

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

// The painting of one WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
    ~PaintDc()
    {
        if (dc_) ::EndPaint(hwnd_, &paint_);
    }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
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
