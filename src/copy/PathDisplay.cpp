#include "copy/PathDisplay.h"

#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PathCompaction.h"
#include "framework/WideText.h"

namespace {
class DcTextMeasurer : public TextMeasurer {
public:
    explicit DcTextMeasurer(HDC dc) : dc_(dc) {}
    std::optional<int> Width(const std::string& text) override
    {
        SIZE size{};
        const std::wstring wide = Wide(text);
        if (::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size)) return size.cx;
        CaptionedMessageBox(SystemErrorText(::GetLastError()), "GetLastError", MB_OK | MB_ICONINFORMATION);
        return std::nullopt;
    }

private:
    HDC dc_;
};
}  // namespace

std::string CompactPathToWidth(const std::string& path, HWND control, int width)
{
    WindowDc dc(control);
    if (!dc) return {};
    // Measured in the font the control draws with: a window's own device context holds the system
    // font, which on a denser screen can be narrower than the dialog's and let the path run past the end.
    SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    DcTextMeasurer measurer(dc.get());
    return CompactPathToWidth(path, width, measurer);
}
