#pragma once
// Answers the dialogs a Win32 test provokes. A thread watches the visible top-level dialogs of
// this process that were not open when it started, records each one it answers and presses a button in
// it: in every dialog alike, or step by step for a conversation. A step whose dialog does not come within
// the timeout fails the test, naming what was awaited and what was open instead, and the dialogs still
// open are cancelled, so that a modal loop on the test's thread ends instead of hanging the test.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Which dialog a step waits for; `what` names it in a failure.
struct DialogMatch {
    std::string what;
    std::function<bool(HWND)> test;
};
DialogMatch AnyDialog();
DialogMatch MessageBoxDialog();  // has the text static 65535
DialogMatch TitledDialog(const std::string& title);
DialogMatch DialogWith(const std::string& what, std::vector<int> present, std::vector<int> absent = {});

struct AnswerStep {
    DialogMatch match;
    int button = IDOK;                // 0: record the dialog without pressing anything
    std::function<void(HWND)> act{};  // runs on the answerer's thread before the button is pressed
};

struct AnsweredDialog {
    std::string title;
    std::string text;                   // a message box's static 65535, else static 1000 (our dialogs' text)
    std::vector<std::string> controls;  // the texts of the controls the test named, in its order
};

class DialogAnswerer {
public:
    // Presses `button` in every dialog that comes up; for code that should show none or a few.
    explicit DialogAnswerer(int button = IDOK);
    // Waits for the steps' dialogs in turn; dialogs that do not match the awaited step are left alone.
    explicit DialogAnswerer(std::vector<AnswerStep> steps, std::vector<int> controlIds = {},
                            std::chrono::milliseconds timeout = std::chrono::seconds(30));
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<AnsweredDialog> Answered() const;
    // Every step was taken (never in the every-dialog mode).
    bool Finished() const { return !everyDialog_ && next_ == steps_.size(); }

private:
    void Start();
    void Run();
    HWND FindNew(const DialogMatch& match) const;
    std::string OpenDialogs() const;
    void CancelEverythingNew();

    std::vector<AnswerStep> steps_;
    bool everyDialog_ = false;
    std::vector<int> controlIds_;
    std::chrono::milliseconds timeout_{0};
    std::set<HWND> before_;   // open when the answerer started: never touched
    std::set<HWND> pressed_;  // answered already, though perhaps still visible for a moment
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<AnsweredDialog> answered_;
    std::string failure_;
    std::thread thread_;
};

// Dispatches every message waiting for this thread, and those that handling them posts.
void PumpMessages();
// Keeps the windows up for OPTIONS_TEST_HOLD_MS milliseconds when that is set, so that a screenshot can be
// taken from outside.
void HoldForScreenshot();
