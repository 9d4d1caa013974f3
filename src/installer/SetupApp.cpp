#include "installer/SetupApp.h"

#include <memory>

#include "framework/MessageBox.h"
#include "framework/RunLog.h"
#include "installer/InstallSequence.h"

namespace {
// The counter lives in a named mapping that every running copy opens: it starts at -1 (stored as
// 0) when the first copy creates it and disappears with the last copy, so it is never decremented.
constexpr wchar_t kInstanceCounterName[] = L"BookCompanionSetup.InstanceCounter";
}  // namespace

InstanceClaim::InstanceClaim()
{
    counter_.reset(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), kInstanceCounterName));
    if (!counter_) return;  // without the counter, let this copy run
    const UniqueMappedView view(::MapViewOfFile(counter_.get(), FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
    if (!view) return;
    first_ = ::InterlockedIncrement(static_cast<volatile LONG*>(view.get())) == 1;
}

bool CSetupApp::InitInstance()
{
    if (!SetupCommandLineError().empty()) {
        result_ = SetupResult::BadInput;
        LogError("command line refused: " + SetupCommandLineError());
        if (!IsUnattended()) AppMessageBox(SetupCommandLineError() + "\n\n" + kSetupUsageText, MB_OK | MB_ICONWARNING);
    } else if (!setupInstance.IsFirst()) {
        result_ = SetupResult::AlreadyRunning;
        LogError("another copy of setup is running");
    } else {
        const std::unique_ptr<SetupPresenter> presenter =
            IsUnattended() ? MakeUnattendedPresenter() : MakeInteractivePresenter();
        result_ = RunInstallSequence(*presenter);
    }
    LogLine(std::string("result: ") + ResultName(result_) + ", exit code " + std::to_string(ExitCodeOf(result_)));
    return false;
}
