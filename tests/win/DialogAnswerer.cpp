#include "DialogAnswerer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr auto kPoll = std::chrono::milliseconds(10);

std::string TextOf(HWND hwnd)
{
    char buffer[2048] = {};
    if (hwnd) ::GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

// A message box's text is static 65535; our templates give that id to icons too.
HWND MessageText(HWND dialog)
{
    HWND text = ::GetDlgItem(dialog, 0xFFFF);
    return text && (::GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK) != SS_ICON ? text : nullptr;
}

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM param)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    char cls[16] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    if (process == ::GetCurrentProcessId() && ::lstrcmpA(cls, "#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// The dialogs of this process, front to back.
std::vector<HWND> ProcessDialogs()
{
    std::vector<HWND> found;
    ::EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What a dialog says: a message box's text, else the main static of our dialogs.
std::string MainText(HWND dialog)
{
    return TextOf(MessageText(dialog) ? MessageText(dialog) : ::GetDlgItem(dialog, 1000));
}

int HoldMilliseconds()
{
    char value[32] = {};
    return ::GetEnvironmentVariableA("OPTIONS_TEST_HOLD_MS", value, sizeof value) > 0 ? atoi(value) : 0;
}
}  // namespace

DialogMatch AnyDialog()
{
    return {"any dialog", [](HWND) { return true; }};
}

DialogMatch MessageBoxDialog()
{
    return {"a message box", [](HWND hwnd) { return MessageText(hwnd) != nullptr; }};
}

DialogMatch TitledDialog(const std::string& title)
{
    return {"the dialog '" + title + "'", [title](HWND hwnd) { return TextOf(hwnd) == title; }};
}

DialogMatch DialogWith(const std::string& what, std::vector<int> present, std::vector<int> absent)
{
    return {what, [present, absent](HWND hwnd) {
                for (int id : present)
                    if (!::GetDlgItem(hwnd, id)) return false;
                for (int id : absent)
                    if (::GetDlgItem(hwnd, id)) return false;
                return true;
            }};
}

DialogAnswerer::DialogAnswerer(int button) : steps_{{AnyDialog(), button}}, everyDialog_(true)
{
    Start();
}

DialogAnswerer::DialogAnswerer(std::vector<AnswerStep> steps, std::vector<int> controlIds,
                               std::chrono::milliseconds timeout)
    : steps_(std::move(steps)), controlIds_(std::move(controlIds)), timeout_(timeout)
{
    Start();
}

void DialogAnswerer::Start()
{
    for (HWND hwnd : ProcessDialogs())
        before_.insert(hwnd);
    thread_ = std::thread([this] { Run(); });
}

DialogAnswerer::~DialogAnswerer()
{
    stop_ = true;
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_.empty()) ADD_FAILURE() << failure_;
}

std::vector<AnsweredDialog> DialogAnswerer::Answered() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return answered_;
}

HWND DialogAnswerer::FindNew(const DialogMatch& match) const
{
    // Visible means initialised: the dialog manager shows a dialog after WM_INITDIALOG.
    for (HWND hwnd : ProcessDialogs())
        if (!before_.count(hwnd) && !pressed_.count(hwnd) && ::IsWindowVisible(hwnd) && match.test(hwnd)) return hwnd;
    return nullptr;
}

std::string DialogAnswerer::OpenDialogs() const
{
    std::string list;
    for (HWND hwnd : ProcessDialogs())
        if (!before_.count(hwnd) && ::IsWindowVisible(hwnd)) list += " '" + TextOf(hwnd) + "' (" + MainText(hwnd) + ")";
    return list.empty() ? " none" : list;
}

void DialogAnswerer::Run()
{
    auto deadline = std::chrono::steady_clock::now() + timeout_;
    while (!stop_ && next_ < steps_.size()) {
        const AnswerStep& step = steps_[next_];
        HWND hwnd = FindNew(step.match);
        if (!hwnd) {
            if (!everyDialog_ && std::chrono::steady_clock::now() > deadline) {
                const std::string failure = "Waited " + std::to_string(timeout_.count()) + " ms for " +
                                            step.match.what + " (step " + std::to_string(next_ + 1) + " of " +
                                            std::to_string(steps_.size()) + "); open dialogs:" + OpenDialogs();
                fprintf(stderr, "%s\n", failure.c_str());  // at once, in case cancelling cannot end the wait
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    failure_ = failure;
                }
                CancelEverythingNew();
                return;
            }
            std::this_thread::sleep_for(kPoll);
            continue;
        }
        AnsweredDialog answered{TextOf(hwnd), MainText(hwnd), {}};
        for (int id : controlIds_)
            answered.controls.push_back(TextOf(::GetDlgItem(hwnd, id)));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            answered_.push_back(answered);
        }
        if (step.act) step.act(hwnd);
        const int button = step.button;
        // The step counts as taken before its button is pressed: the press may end the code under test
        // at once, and its Finished() must then see the step done.
        if (!everyDialog_) ++next_;
        if (button) {
            if (const int hold = HoldMilliseconds()) ::Sleep(hold);
            pressed_.insert(hwnd);
            ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
        deadline = std::chrono::steady_clock::now() + timeout_;
    }
}

void DialogAnswerer::CancelEverythingNew()
{
    // Only the dialog in front of each chain is enabled; cancelling one behind it would open a second
    // question under the first.
    while (!stop_) {
        for (HWND hwnd : ProcessDialogs())
            if (!before_.count(hwnd) && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd))
                ::PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        std::this_thread::sleep_for(kPoll * 10);
    }
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void HoldForScreenshot()
{
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(HoldMilliseconds());
    PumpMessages();
    while (static_cast<int>(::GetTickCount() - end) < 0) {
        ::Sleep(10);
        PumpMessages();
    }
}
