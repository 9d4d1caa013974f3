// The sequence's own dialogs, created modeless so that their texts can be read back.
#include <windows.h>
#include <gtest/gtest.h>

#include "DialogAnswerer.h"
#include "framework/Dialog.h"
#include "GlobalSettingsTest.h"
#include "HighContrastTheme.h"
#include "installer/Backdrop.h"
#include "installer/SequenceDialogs.h"
#include "resource.h"
#include "settings/SettingsWin.h"

namespace {
class DialogTexts : public GlobalSettingsTest {
protected:
    void SetUp() override
    {
        setupSettings.SetSetupValue(SetupKey::MainProdName, "My Book");
        setupSettings.SetText(TextId::WelcomeTitle, "Welcome!");
        setupSettings.SetText(TextId::WelcomeText, "Welcome to %s, 100% ready.");
        setupSettings.SetText(TextId::OkButton, "Fine");
        setupSettings.SetText(TextId::SetupFailedTitle, "Failed");
        setupSettings.SetText(TextId::SetupFailedText, "Nothing %s was installed.");
    }
    static void Check(Dialog& dialog, const char* title, const char* text, const char* button)
    {
        ASSERT_TRUE(dialog.Create());
        EXPECT_EQ(WindowText(dialog.Hwnd()), title);
        EXPECT_EQ(dialog.GetItemText(IDC_MESSAGE), text);
        EXPECT_EQ(dialog.GetItemText(IDOK), button);
        dialog.Destroy();
    }
};
using Backdrop = GlobalSettingsTest;
}  // namespace

TEST_F(DialogTexts, FilledFromTheTextsWhenTheSettingsAreValid)
{
    setupSettings.settingsValid = true;
    CMessageDialog welcome = MakeWelcomeDialog();
    Check(welcome, "Welcome!", "Welcome to My Book, 100% ready.", "Fine");
    // The failed text is not a format: its %s stays.
    CMessageDialog failed = MakeSetupFailedDialog();
    Check(failed, "Failed", "Nothing %s was installed.", "Fine");
}

TEST_F(DialogTexts, TemplateTextsStayWhenTheSettingsAreIncomplete)
{
    setupSettings.settingsValid = false;
    CMessageDialog welcome = MakeWelcomeDialog();
    Check(welcome, "This is the default title", "This is the default welcome text.", "OK");
    CMessageDialog finished = MakeFinishedDialog();
    Check(finished, "This is the default title", "This is the default text", "OK");
    CMessageDialog failed = MakeSetupFailedDialog();
    Check(failed, "This is the default title", "This is the default", "OK");
    CUpdatingDialog updating;
    ASSERT_TRUE(updating.Create());
    EXPECT_EQ(WindowText(updating.Hwnd()), "Updating Files");
    EXPECT_EQ(updating.GetItemText(IDC_UPDATING_TEXT), "Setup is updating your system");
    updating.Destroy();
}

TEST_F(Backdrop, GradientRunsFromPureBlueDownToNearBlack)
{
    EXPECT_EQ(GradientBrushIndex(0, 1), 0);  // a one-row client is pure blue
    EXPECT_EQ(GradientBrushIndex(0, 768), 0);
    EXPECT_EQ(GradientBrushIndex(767, 768), 254);
    EXPECT_EQ(GradientBrushIndex(384, 768), 127);
    EXPECT_EQ(GradientBrushIndex(0, 0), 0);
}

TEST_F(Backdrop, CoversTheScreenAndPaintsTheGradient)
{
    CBackdropWindow backdrop;
    ASSERT_TRUE(backdrop.Create());
    ::ShowWindow(backdrop.Hwnd(), SW_SHOW);
    ::UpdateWindow(backdrop.Hwnd());
    RECT rc;
    ::GetWindowRect(backdrop.Hwnd(), &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, ::GetSystemMetrics(SM_CXFULLSCREEN));
    EXPECT_EQ(rc.bottom, ::GetSystemMetrics(SM_CYFULLSCREEN) + ::GetSystemMetrics(SM_CYCAPTION));
    EXPECT_NE(::SendMessageA(backdrop.Hwnd(), WM_QUERYDRAGICON, 0, 0), 0);

    // Paint into a memory bitmap and look at the top and bottom rows.
    RECT client;
    ::GetClientRect(backdrop.Hwnd(), &client);
    HDC screen = ::GetDC(backdrop.Hwnd());
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    COLORREF top = ::GetPixel(memory, client.right - 5, 0);
    COLORREF bottom = ::GetPixel(memory, client.right - 5, client.bottom - 1);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(backdrop.Hwnd(), screen);
    EXPECT_EQ(top, RGB(0, 0, 255));
    EXPECT_EQ(GetRValue(bottom), 0);
    EXPECT_EQ(GetGValue(bottom), 0);
    EXPECT_LT(GetBValue(bottom), 5);
    backdrop.Destroy();
}

namespace {
COLORREF PixelOf(HWND hwnd, int x, int y)
{
    HDC dc = ::GetDC(hwnd);
    const COLORREF pixel = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return pixel;
}
}  // namespace

TEST_F(Backdrop, AHighContrastThemeDrawsItInTheThemesColours)
{
    HighContrastTheme theme;
    ASSERT_TRUE(HighContrastOn());
    setupSettings.settingsValid = true;
    setupSettings.SetText(TextId::ScreenMessage, "Welcome");
    CBackdropWindow backdrop;
    ASSERT_TRUE(backdrop.Create());
    ::ShowWindow(backdrop.Hwnd(), SW_SHOW);
    ::RedrawWindow(backdrop.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client;
    ::GetClientRect(backdrop.Hwnd(), &client);
    // No gradient: the theme's window colour from top to bottom.
    EXPECT_EQ(PixelOf(backdrop.Hwnd(), client.right - 5, 0), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(backdrop.Hwnd(), client.right - 5, ::GetSystemMetrics(SM_CYSCREEN) / 2), RGB(0, 0, 0));
    // The message in the theme's text colour, without the white letters and their shadow.
    int letters = 0;
    int white = 0;
    for (int y = 40; y < 90; ++y)
        for (int x = 40; x < 200; ++x) {
            const COLORREF pixel = PixelOf(backdrop.Hwnd(), x, y);
            letters += pixel == RGB(255, 255, 0);
            white += pixel == RGB(255, 255, 255);
        }
    EXPECT_GT(letters, 20);
    EXPECT_EQ(white, 0);

    backdrop.Destroy();
}

namespace {
// A dialog with a Cancel button that counts its cancels.
class CancelCounter : public Dialog {
public:
    CancelCounter() : Dialog(IDD_EXITCONFIRM) {}
    int cancels = 0;

protected:
    void OnCancel() override { ++cancels; }
};
}  // namespace

TEST_F(Backdrop, ClosingItCancelsTheDialogInFrontAndNeverEndsTheBackdrop)
{
    CBackdropWindow backdrop;
    ASSERT_TRUE(backdrop.Create());
    ::ShowWindow(backdrop.Hwnd(), SW_SHOW);
    // A chain as a modal run makes it: the backdrop owns `behind`, which owns `front` and is disabled.
    CancelCounter behind;
    CancelCounter front;
    ASSERT_TRUE(behind.Create(backdrop.Hwnd()));
    ASSERT_TRUE(front.Create(behind.Hwnd()));
    ::ShowWindow(behind.Hwnd(), SW_SHOW);
    ::ShowWindow(front.Hwnd(), SW_SHOW);
    ::EnableWindow(behind.Hwnd(), FALSE);

    ::SendMessageA(backdrop.Hwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(front.cancels, 1);
    EXPECT_EQ(behind.cancels, 0);
    // Escape and Return in the backdrop: Escape is the same as closing it, Return does nothing.
    ::SendMessageA(backdrop.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ::SendMessageA(backdrop.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    PumpMessages();
    EXPECT_EQ(front.cancels, 2);
    ASSERT_TRUE(::IsWindow(backdrop.Hwnd()));

    // In front, a dialog without a Cancel button (Updating Files): nothing is cancelled, nothing closes.
    front.Destroy();
    ::EnableWindow(behind.Hwnd(), TRUE);
    CUpdatingDialog updating;
    ASSERT_TRUE(updating.Create(backdrop.Hwnd()));
    ::ShowWindow(updating.Hwnd(), SW_SHOW);
    ::SetWindowPos(updating.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SendMessageA(backdrop.Hwnd(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_EQ(behind.cancels, 0);
    EXPECT_TRUE(::IsWindow(updating.Hwnd()));
    EXPECT_TRUE(::IsWindow(backdrop.Hwnd()));
    updating.Destroy();
    behind.Destroy();
    backdrop.Destroy();
}

#include "installer/MainFrame.h"

TEST(DocView, TheInstallersClassesAreCreatableByName)
{
    ASSERT_TRUE(RegisterSetupDocViewClasses());
    auto doc = CreateObjectByName("CSetupDoc");
    ASSERT_NE(dynamic_cast<CSetupDoc*>(doc.get()), nullptr);
    EXPECT_TRUE(static_cast<CSetupDoc*>(doc.get())->OnNewDocument());
    auto frameObject = CreateObjectByName("CMainFrame");
    auto* frame = dynamic_cast<CMainFrame*>(frameObject.get());
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->Create("Setup"));
    auto viewObject = CreateObjectByName("CSetupView");
    auto* view = dynamic_cast<CSetupView*>(viewObject.get());
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->CreateView(frame->Hwnd()));
    EXPECT_EQ(::GetParent(view->Hwnd()), frame->Hwnd());
    EXPECT_EQ(CreateObjectByName("CNoSuchClass"), nullptr);
}
