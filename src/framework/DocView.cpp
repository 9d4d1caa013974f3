#include "framework/DocView.h"

#include <map>

#include "framework/Handles.h"
#include "framework/WideText.h"

namespace {
std::map<std::string, std::function<std::unique_ptr<DynamicObject>()>>& Registry()
{
    static std::map<std::string, std::function<std::unique_ptr<DynamicObject>()>> registry;
    return registry;
}

constexpr wchar_t kWindowClass[] = L"BookSetupFrameWindow";

bool RegisterWindowClass(WNDPROC proc)
{
    WNDCLASSW wc = {};
    if (::GetClassInfoW(::GetModuleHandleW(nullptr), kWindowClass, &wc)) return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassW(&wc) != 0;
}
}  // namespace

std::unique_ptr<DynamicObject> CreateObjectByName(const std::string& className)
{
    auto it = Registry().find(className);
    return it == Registry().end() ? nullptr : it->second();
}

bool RegisterDynamicClass(const std::string& className, std::function<std::unique_ptr<DynamicObject>()> factory)
{
    return Registry().emplace(className, std::move(factory)).second;
}

FrameWindow::~FrameWindow()
{
    if (hwnd_) ::DestroyWindow(hwnd_);
}

bool FrameWindow::Create(const std::string& title, DWORD style, HWND parent)
{
    if (!RegisterWindowClass(&FrameWindow::WindowProc)) return false;
    return ::CreateWindowExW(0, kWindowClass, Wide(title).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, parent, nullptr, ::GetModuleHandleW(nullptr), this) != nullptr;
}

LRESULT CALLBACK FrameWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    FrameWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<FrameWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self) {
        try {
            switch (message) {
                case WM_CREATE:
                    return self->OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
                case WM_PAINT: {
                    PaintDc paint(hwnd);
                    self->OnPaint(paint.get());
                    return 0;
                }
                case WM_NCDESTROY:
                    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                    self->hwnd_ = nullptr;
                    break;
                default:
                    break;
            }
        } catch (...) {
            return message == WM_CREATE ? -1 : 0;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

bool View::CreateView(HWND parent)
{
    return Create("", WS_CHILD | WS_VISIBLE, parent);
}
