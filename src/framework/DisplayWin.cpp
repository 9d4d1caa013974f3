#include "framework/DisplayWin.h"

#include "framework/LibraryFunction.h"

int WindowDpi(HWND hwnd)
{
    // GetDpiForWindow exists from Windows 10 (1607) on; before that the system's density applies to
    // every window.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = LoadedLibraryFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    WindowDc screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

namespace {
std::optional<bool> highContrastAnswer;
}  // namespace

void SetHighContrastAnswer(std::optional<bool> answer)
{
    highContrastAnswer = answer;
}

bool HighContrastOn()
{
    if (highContrastAnswer) return *highContrastAnswer;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

UniqueGdiObject ScaledBitmap(HBITMAP source, int width, int height)
{
    BITMAP info{};
    if (!source || width <= 0 || height <= 0 || !::GetObjectW(source, sizeof(info), &info)) return {};
    WindowDc screen(nullptr);
    if (!screen) return {};
    UniqueDc from(::CreateCompatibleDC(screen.get()));
    UniqueDc to(::CreateCompatibleDC(screen.get()));
    UniqueGdiObject scaled(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!from || !to || !scaled) return {};
    {
        SelectedObject in(from.get(), source);
        SelectedObject out(to.get(), scaled.get());
        ::SetStretchBltMode(to.get(), COLORONCOLOR);
        if (!::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY))
            return {};
    }
    return scaled;
}
