#include "options/DiskSpaceWin.h"

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/SafeFormat.h"
#include "options/DiskSpace.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
class CNoRoomDialog : public Dialog {
public:
    explicit CNoRoomDialog(char driveLetter) : Dialog(IDD_NOROOM), driveLetter_(driveLetter) {}

protected:
    bool OnInitDialog() override
    {
        if (setupSettings.settingsValid) {
            SetTitle(setupSettings.GetText(TextId::NoRoomTitle));
            SetItemText(IDC_MESSAGE, FormatText(setupSettings.GetText(TextId::NoRoomText), {driveLetter_}));
            SetItemText(IDOK, setupSettings.GetText(TextId::OkButton));
        }
        CenterWindow();
        return true;
    }

private:
    char driveLetter_;
};
}  // namespace

uint64_t GetDriveFreeBytes(char driveLetter)
{
    const wchar_t root[] = {static_cast<wchar_t>(driveLetter), L':', L'\\', L'\0'};
    ULARGE_INTEGER available{}, total{}, totalFree{};
    // A drive without a medium must fail quietly instead of asking the user to insert a disk.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL ok = ::GetDiskFreeSpaceExW(root, &available, &total, &totalFree);
    ::SetErrorMode(oldMode);
    return ok ? available.QuadPart : 0;
}

bool CheckRoom()
{
    return CheckRoom(setupSettings, &GetDriveFreeBytes, [](char letter) {
        CNoRoomDialog dialog(letter);
        dialog.DoModal();
    });
}
