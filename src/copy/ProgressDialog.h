#pragma once
// The progress dialog (template 112). Built once by the install sequence before its copy phase and
// run modally for each selected section (currentSection set, SourceDir current): it copies the
// section on a worker thread and, when the worker has ended, runs what follows the copy (the
// section's shortcut, the reports of files not installed) before it closes.

#include <functional>
#include <string>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/LiveText.h"

class CProgressDialog : public Dialog {
public:
    // `sectionCopied` runs on the user-interface thread once the worker has ended, stopped or not.
    explicit CProgressDialog(std::function<void()> sectionCopied);
    ~CProgressDialog() override;

    // After DoModal: waits until the section's worker has ended, handling messages meanwhile (the
    // worker sets control texts through the user-interface thread and may still be asking a replace
    // question after Exit closed the dialog). Returns at once when no worker runs.
    void WaitForWorkerToEnd();

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnSectionCopied();
    // Lets the worker begin, once per run.
    void ReleaseWorker();
    void ShowFile(const std::string& sourceName, const std::string& destPath);
    void ShowProgress();

    std::function<void()> sectionCopied_;
    HWND sourceNameControl_ = nullptr;
    HWND destNameControl_ = nullptr;
    int fieldWidth_ = 0;  // pixels of the destination-name field
    UniqueHandle workerThread_;
    LiveText fileCountLive_;  // screen readers read the file count as it goes up
    // From the count walk (zero until it has ended) and from the worker.
    unsigned long long filesTotal_ = 0;
    unsigned long long kibTotal_ = 0;
    unsigned long long filesDone_ = 0;
    unsigned long long kibDone_ = 0;
    bool sectionEnded_ = false;
    bool confirmingExit_ = false;
    bool workerReleased_ = false;  // copyReadyEvent has been set for this run
};
