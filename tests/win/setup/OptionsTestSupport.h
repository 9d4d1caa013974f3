#pragma once
// Helpers of the options tests: a thread that answers the modal boxes and dialogs that a handler
// opens on the test's own thread, and a message pump.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AnsweredWindow {
    std::string title;
    std::string text;  // the message box's static 65535, or static 1000 of our dialogs
};

// Waits for top-level dialogs of this process that are not in `ignore` and presses the next button of
// `buttons` in each, one button per window, in order.
class DialogAnswerer {
public:
    DialogAnswerer(std::vector<int> buttons, std::vector<HWND> ignore = {}, std::vector<std::string> ignoreTitles = {})
        : buttons_(std::move(buttons)),
          ignore_(std::move(ignore)),
          ignoreTitles_(std::move(ignoreTitles)),
          thread_([this] { Run(); })
    {
    }
    ~DialogAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<AnsweredWindow> Answered()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return answered_;
    }
    size_t Remaining() const { return buttons_.size() - next_; }

private:
    struct Search {
        DialogAnswerer* self;
        HWND found;
    };
    static BOOL CALLBACK Visit(HWND hwnd, LPARAM param)
    {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        char cls[32] = {};
        ::GetClassNameA(hwnd, cls, sizeof(cls));
        if (pid != ::GetCurrentProcessId() || std::string(cls) != "#32770" || !::IsWindowVisible(hwnd)) return TRUE;
        for (HWND h : search->self->ignore_)
            if (h == hwnd) return TRUE;
        for (HWND h : search->self->seen_)
            if (h == hwnd) return TRUE;
        for (const std::string& title : search->self->ignoreTitles_)
            if (Text(hwnd) == title) return TRUE;
        search->found = hwnd;
        return FALSE;
    }
    static std::string Text(HWND hwnd)
    {
        char buffer[1024] = {};
        if (hwnd) ::GetWindowTextA(hwnd, buffer, sizeof(buffer));
        return buffer;
    }
    void Run()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!stop_ && next_ < buttons_.size() && std::chrono::steady_clock::now() < deadline) {
            Search search{this, nullptr};
            ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
            if (!search.found) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            // Give the dialog time to finish its initialisation, and skip a window that was only on its
            // way out (a closing dialog can still be visible for a moment).
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            HWND candidate = search.found;
            search.found = nullptr;
            ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
            if (search.found != candidate) continue;
            AnsweredWindow answered;
            answered.title = Text(search.found);
            HWND text = ::GetDlgItem(search.found, 65535);
            answered.text = Text(text ? text : ::GetDlgItem(search.found, 1000));
            {
                std::lock_guard<std::mutex> lock(mutex_);
                answered_.push_back(answered);
            }
            seen_.push_back(search.found);
            char hold[32] = {};
            if (::GetEnvironmentVariableA("OPTIONS_TEST_HOLD_MS", hold, sizeof(hold)) > 0) ::Sleep(atoi(hold));
            ::PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(buttons_[next_], BN_CLICKED), 0);
            ++next_;
        }
    }

    std::vector<int> buttons_;
    std::vector<HWND> ignore_;
    std::vector<std::string> ignoreTitles_;
    std::vector<HWND> seen_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<AnsweredWindow> answered_;
    std::thread thread_;
};

inline void PumpMessages(int milliseconds = 0)
{
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (milliseconds > 0) ::Sleep(10);
    } while (static_cast<int>(::GetTickCount() - end) < 0);
}

// Keeps a window on screen for a while when OPTIONS_TEST_HOLD_MS is set, so that a screenshot can be
// taken from outside.
inline void HoldForScreenshot()
{
    char value[32] = {};
    if (::GetEnvironmentVariableA("OPTIONS_TEST_HOLD_MS", value, sizeof(value)) > 0) PumpMessages(atoi(value));
}
