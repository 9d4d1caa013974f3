#include "copy/ProgressDialog.h"

#include <commctrl.h>
#include <process.h>

#include <memory>
#include <utility>

#include "copy/CopyEngine.h"
#include "copy/PathDisplay.h"
#include "copy/ProgressTexts.h"
#include "framework/MessageBox.h"
#include "framework/MessagePump.h"
#include "framework/WideText.h"
#include "resource.h"
#include "settings/ExitConfirmation.h"
#include "settings/SettingsWin.h"
#include "settings/SetupMessages.h"

CProgressDialog::CProgressDialog(std::function<void()> sectionCopied)
    : Dialog(IDD_PROGRESS), sectionCopied_(std::move(sectionCopied))
{
}

CProgressDialog::~CProgressDialog()
{
    WaitForWorkerToEnd();
}

void CProgressDialog::WaitForWorkerToEnd()
{
    if (!workerThread_) return;
    // A dialog that ended before it was shown does not leave its worker waiting.
    ReleaseWorker();
    WaitHandlingMessages(workerThread_.get());
    workerThread_.reset();
}

bool CProgressDialog::OnInitDialog()
{
    // Only one worker at a time: one left over from an earlier run must be gone before the flags and
    // events are reset for this one.
    WaitForWorkerToEnd();
    ::ResetEvent(copyStopEvent.get());
    sectionEnded_ = false;
    confirmingExit_ = false;

    yesToAllChosen = false;
    workerReleased_ = false;

    filesTotal_ = kibTotal_ = filesDone_ = kibDone_ = 0;
    ::SendMessageW(Item(IDC_COPY_BAR), PBM_SETRANGE32, 0, 1000);
    ::SendMessageW(Item(IDC_COPY_BAR), PBM_SETPOS, 0, 0);
    SetItemText(IDC_FILE_COUNT, "");
    fileCountLive_.Attach(Item(IDC_FILE_COUNT));

    sourceNameControl_ = Item(IDC_SOURCE_NAME);
    destNameControl_ = Item(IDC_DEST_NAME);
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    fieldWidth_ = 0;
    if (::GetWindowPlacement(destNameControl_, &placement)) {
        fieldWidth_ = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
    }

    if (setupSettings.settingsValid) {
        SetTitle(setupSettings.GetText(TextId::InstallingTitle));
        SetItemText(IDC_MESSAGE, setupSettings.GetText(TextId::InstallingText1));
        SetItemText(IDC_SOURCE_NAME, "");
        SetItemText(IDC_TO_TEXT, setupSettings.GetText(TextId::InstallingText2));
        SetItemText(IDC_DEST_NAME, "");
        SetItemText(IDCANCEL, setupSettings.GetText(TextId::CancelButton));
    }
    CenterWindow();
    expansionFailed = false;
    failedWrites.Clear();
    pathsTooLong.Clear();

    auto params = std::make_unique<CopyWorkerParams>();
    params->dialogWindow = Hwnd();
    uintptr_t thread = ::_beginthreadex(nullptr, 0, &CopyWorkerProc, params.get(), 0, nullptr);
    if (thread != 0) {
        params.release();  // the worker frees it
        workerThread_.reset(reinterpret_cast<HANDLE>(thread));
    }
    // Without a worker the dialog stays until the user chooses Cancel and then Exit.
    return true;
}

void CProgressDialog::OnCancel()
{
    if (confirmingExit_) return;
    confirmingExit_ = true;
    // The worker keeps copying while the question is up.
    const bool exit = RunExitConfirmation(Hwnd());
    confirmingExit_ = false;
    if (!exit) return;
    ::SetEvent(copyStopEvent.get());
    EndDialog(IDCANCEL);
}

bool CProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
        case WM_SECTION_COPIED:
            OnSectionCopied();
            break;
        case WM_COPY_COUNTED:
            filesTotal_ = wParam;
            kibTotal_ = static_cast<unsigned long>(lParam);
            ShowProgress();
            break;
        case WM_COPY_SHOW_FILE:
            ShowFile(*reinterpret_cast<const std::string*>(wParam), *reinterpret_cast<const std::string*>(lParam));
            break;
        case WM_COPY_PROGRESS:
            filesDone_ = wParam;
            kibDone_ = static_cast<unsigned long>(lParam);
            ShowProgress();
            break;
        case WM_WINDOWPOSCHANGED:
            // The modal loop shows the dialog only once its queue is first empty: the worker, whose first
            // question (a file to replace) belongs to the dialog, starts when the dialog is on the screen.
            if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) ReleaseWorker();
            return false;
        default:
            return false;
    }
    result = 0;
    return true;
}

void CProgressDialog::ReleaseWorker()
{
    if (workerReleased_) return;
    workerReleased_ = true;
    ::SetEvent(copyReadyEvent.get());
}

void CProgressDialog::ShowFile(const std::string& sourceName, const std::string& destPath)
{
    ::SetWindowTextW(sourceNameControl_, Wide(sourceName).c_str());
    ::SetWindowTextW(destNameControl_, Wide(CompactPathToWidth(destPath, destNameControl_, fieldWidth_)).c_str());
}

void CProgressDialog::ShowProgress()
{
    const ProgressTexts shown = ComputeProgress(filesDone_, kibDone_, filesTotal_, kibTotal_);
    ::SendMessageW(Item(IDC_COPY_BAR), PBM_SETPOS, static_cast<WPARAM>(shown.perMille), 0);
    SetItemText(IDC_FILE_COUNT, shown.fileCount);
    fileCountLive_.Changed();
}

void CProgressDialog::OnSectionCopied()
{
    if (sectionEnded_) return;
    sectionEnded_ = true;
    // The worker has ended its writes.
    if (sectionCopied_) sectionCopied_();
    EndDialog(IDOK);
}
