#pragma once
// Document/view support of the framework: a frame window, a document and a view, each creatable
// by class name. A program registers its classes with DynamicCreation<T>.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

class DynamicObject {
public:
    virtual ~DynamicObject() = default;
};

// Creates a registered class by name; null for an unknown name.
std::unique_ptr<DynamicObject> CreateObjectByName(const std::string& className);
bool RegisterDynamicClass(const std::string& className, std::function<std::unique_ptr<DynamicObject>()> factory);

template <typename T>
struct DynamicCreation {
    static bool Register(const char* className)
    {
        return RegisterDynamicClass(className, [] { return std::unique_ptr<DynamicObject>(new T); });
    }
};

class Document : public DynamicObject {
public:
    // Starts an empty document.
    virtual bool OnNewDocument() { return true; }
};

// A window with a window procedure of its own; the object lives at least as long as its window.
class FrameWindow : public DynamicObject {
public:
    ~FrameWindow() override;
    bool Create(const std::string& title, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
    HWND Hwnd() const { return hwnd_; }

protected:
    // WM_CREATE; -1 refuses the creation.
    virtual int OnCreate(CREATESTRUCTW* create) { return 0; }
    virtual void OnPaint(HDC dc) {}

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

// A view is a child window that draws its document.
class View : public FrameWindow {
public:
    bool CreateView(HWND parent);
};
