#pragma once
// Answers the message boxes a test provokes: a thread finds every dialog box of this process, records
// its caption and its text (static control 65535), and presses a button, so modal boxes cannot hang.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class BoxWatcher {
public:
    struct Box {
        std::string caption;
        std::string text;
    };

    explicit BoxWatcher(int answer = IDOK) : answer_(answer), thread_([this] { Watch(); }) {}
    ~BoxWatcher()
    {
        stop_ = true;
        thread_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<Box> Boxes()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    static std::string Text(HWND hwnd)
    {
        char buffer[2048] = {};
        ::GetWindowTextA(hwnd, buffer, sizeof buffer);
        return buffer;
    }

    static BOOL CALLBACK Collect(HWND hwnd, LPARAM param)
    {
        DWORD process = 0;
        ::GetWindowThreadProcessId(hwnd, &process);
        char className[64] = {};
        ::GetClassNameA(hwnd, className, sizeof className);
        if (process == ::GetCurrentProcessId() && std::string(className) == "#32770" && ::IsWindowVisible(hwnd))
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
        return TRUE;
    }

    void Watch()
    {
        while (!stop_) {
            std::vector<HWND> found;
            ::EnumWindows(&BoxWatcher::Collect, reinterpret_cast<LPARAM>(&found));
            for (HWND box : found) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    boxes_.push_back({Text(box), Text(::GetDlgItem(box, 0xFFFF))});
                }
                ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
                for (int i = 0; i < 100 && ::IsWindow(box) && ::IsWindowVisible(box); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    }

    int answer_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<Box> boxes_;
    std::thread thread_;
};
