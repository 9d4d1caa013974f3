#include "uninstaller/RemovalProblemDialog.h"

#include "framework/App.h"
#include "uninstaller/UninstallSequence.h"
#include "UninstallerResource.h"

namespace {
HICON LoadAppIcon(int size)
{
    return static_cast<HICON>(::LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0));
}
}  // namespace

CRemovalProblemDialog::CRemovalProblemDialog() : Dialog(IDD_REMOVAL_PROBLEM) {}

bool CRemovalProblemDialog::OnInitDialog()
{
    if (App* app = App::Current()) app->SetMainWindow(Hwnd());
    SetItemText(IDC_PROBLEM_TEXT, problemText);
    largeIcon_.reset(LoadAppIcon(::GetSystemMetrics(SM_CXICON)));
    smallIcon_.reset(LoadAppIcon(::GetSystemMetrics(SM_CXSMICON)));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    return true;
}

bool CRemovalProblemDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
        case WM_PAINT: {
            if (!::IsIconic(Hwnd())) return false;
            PaintDc paint(Hwnd());
            const HDC dc = paint.get();
            ::SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            RECT client;
            ::GetClientRect(Hwnd(), &client);
            const int width = ::GetSystemMetrics(SM_CXICON), height = ::GetSystemMetrics(SM_CYICON);
            ::DrawIcon(dc, (client.right - width + 1) / 2, (client.bottom - height + 1) / 2, largeIcon_.get());
            result = 0;
            return true;
        }
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(largeIcon_.get());
            return true;
        default:
            return false;
    }
}

void CRemovalProblemDialog::OnDestroy()
{
    if (App* app = App::Current(); app && app->MainWindow() == Hwnd()) app->SetMainWindow(nullptr);
}
