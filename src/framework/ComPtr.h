#pragma once
// A small owner for COM interface pointers and a guard for the component library of one thread.
//
// The component library is loaded by name at its first use (a shortcut, the progress dialog's texts
// for screen readers), not with the program: it and the RPC runtime it pulls in would cost start-up
// time before the first window. Without it, every call fails with E_NOTIMPL.

#include <objbase.h>
#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset()
    {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T** put()
    {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// CoCreateInstance of an in-process server.
HRESULT CreateComInstance(REFCLSID clsid, REFIID iid, void** object);

class ComInitGuard {
public:
    ComInitGuard();
    ~ComInitGuard();
    ComInitGuard(const ComInitGuard&) = delete;
    ComInitGuard& operator=(const ComInitGuard&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};
