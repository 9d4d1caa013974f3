#include "scripts/Shortcuts.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "framework/ComPtr.h"
#include "framework/MessageBox.h"
#include "framework/PathText.h"
#include "framework/RunLog.h"
#include "framework/Utf8.h"
#include "framework/WideText.h"
#include "scripts/ScriptCommands.h"
#include "settings/SectionRecords.h"
#include "settings/SettingsWin.h"

HRESULT CreateShortcutFile(const std::string& target, const std::string& linkPath, const std::string& description)
{
    // The shell keeps a link's own path and its target in 260 characters.
    if (Utf16Length(linkPath) > kMaxPathChars) return E_INVALIDARG;

    ComPtr<IShellLinkW> link;
    HRESULT hr = CreateComInstance(CLSID_ShellLink, IID_IShellLinkW, link.put_void());
    if (FAILED(hr)) return hr;
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.put_void());
    if (FAILED(hr)) return hr;

    link->SetPath(Wide(ShortcutTargetFolder(target)).c_str());
    link->SetDescription(Wide(description).c_str());
    return file->Save(Wide(linkPath).c_str(), TRUE);
}

std::string CreateSectionShortcut()
{
    ComInitGuard com;
    const std::string path =
        SectionShortcutPath(setupSettings.GetSectionValue(SectionKey::ShortcutLocation),
                            setupSettings.GetSectionValue(SectionKey::ShortcutName), specialFolders);
    if (path.empty()) {
        LogLine("no shortcut: ShortcutLocation names no known folder");
        return path;
    }
    const HRESULT result = CreateShortcutFile(setupSettings.GetSectionValue(SectionKey::DestDir), path, "");
    if (SUCCEEDED(result)) {
        LogLine("shortcut " + path);
        SectionRecord(setupSettings.currentSection).Add(RecordKind::File, path);
    } else {
        LogError("shortcut " + path + " failed: " + SystemErrorText(static_cast<DWORD>(result)));
    }
    // The uninstaller deletes the shortcut by this path, whether or not the save worked.
    setupSettings.SetSectionValue(SectionKey::ShortcutLocation, path);
    return path;
}
