#include "copy/ReplaceDialog.h"

#include "framework/Formatters.h"
#include "framework/SafeFormat.h"
#include "resource.h"
#include "settings/SettingsWin.h"

static_assert(IDC_REPLACE_NO == 1006, "resource.h must follow windows.h, whose IDC_REPLACE_NO is a cursor");

CReplaceDialog::CReplaceDialog(std::string fileName, unsigned long long firstSize, unsigned long long secondSize,
                               unsigned long long firstTime, unsigned long long secondTime)
    : Dialog(IDD_REPLACE),
      fileName_(std::move(fileName)),
      firstSize_(firstSize),
      secondSize_(secondSize),
      firstTime_(firstTime),
      secondTime_(secondTime)
{
}

ReplaceAnswer CReplaceDialog::Ask(HWND owner)
{
    // A dialog that cannot be created (-1) counts as Cancel, which leads to the exit confirmation.
    if (DoModal(owner) != IDOK) return ReplaceAnswer::Cancel;
    if (yesToAllPressed) return ReplaceAnswer::YesToAll;
    if (noPressed) return ReplaceAnswer::No;
    return ReplaceAnswer::Yes;
}

bool CReplaceDialog::OnInitDialog()
{
    yesToAllPressed = false;
    noPressed = false;
    if (setupSettings.settingsValid) {
        const SizeUnitTexts units{setupSettings.GetText(TextId::Bytes), setupSettings.GetText(TextId::KBytes),
                                  setupSettings.GetText(TextId::MBytes)};
        const std::string dateFormat = setupSettings.GetText(TextId::ConfirmReplaceText3);
        SetTitle(setupSettings.GetText(TextId::ConfirmReplaceTitle));
        SetItemText(IDC_MESSAGE, FormatText(setupSettings.GetText(TextId::ConfirmReplaceText1), {fileName_}));
        SetItemText(IDC_REPLACE_QUESTION, setupSettings.GetText(TextId::ConfirmReplaceText2));
        SetItemText(IDC_FIRST_SIZE, FormatSizeSwitchingAt1024(static_cast<long long>(firstSize_), units));
        SetItemText(IDC_FIRST_DATE, FormatText(dateFormat, {FormatUniversalFileTime(firstTime_)}));
        SetItemText(IDC_WITH_THIS, setupSettings.GetText(TextId::ConfirmReplaceText4));
        SetItemText(IDC_SECOND_SIZE, FormatSizeSwitchingAt1024(static_cast<long long>(secondSize_), units));
        SetItemText(IDC_SECOND_DATE, FormatText(dateFormat, {FormatUniversalFileTime(secondTime_)}));
        // The Yes button carries YesToAllButton and the Yes To All button YesToAllTitle; No keeps "No".
        SetItemText(IDOK, setupSettings.GetText(TextId::YesToAllButton));
        SetItemText(IDC_YESTOALL, setupSettings.GetText(TextId::YesToAllTitle));
        SetItemText(IDCANCEL, setupSettings.GetText(TextId::CancelButton));
    }
    CenterWindow();
    // Shown by the worker thread: bring it to the front, as the active window of the program.
    ::SetForegroundWindow(Hwnd());
    return true;
}

bool CReplaceDialog::OnCommand(int id, int code, HWND control)
{
    switch (id) {
        case IDC_YESTOALL:
            yesToAllPressed = true;
            ::SendMessageW(Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        case IDC_REPLACE_NO:
            noPressed = true;
            OnOK();
            return true;
        default:
            return Dialog::OnCommand(id, code, control);
    }
}

std::string FormatUniversalFileTime(unsigned long long fileTime)
{
    FILETIME universal{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    FILETIME local{};
    SYSTEMTIME fields{};
    CalendarTime time;
    if (::FileTimeToLocalFileTime(&universal, &local) && ::FileTimeToSystemTime(&local, &fields)) {
        time = {fields.wYear, fields.wMonth,  fields.wDayOfWeek, fields.wDay,
                fields.wHour, fields.wMinute, fields.wSecond};
    }
    return FormatFileDate(time);
}
