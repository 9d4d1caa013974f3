#include "scripts/ScriptRunner.h"

#include <windows.h>

#include <new>
#include <string>

#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/SafeFormat.h"
#include "framework/WideText.h"
#include "scripts/ScriptCommands.h"
#include "scripts/ScriptPlatformWin.h"
#include "settings/SettingsWin.h"

ScriptFieldTable ScriptFields;

namespace {

WinScriptPlatform& Platform()
{
    static WinScriptPlatform platform;
    return platform;
}

// The whole file, or nothing when it cannot be read; `outOfMemory` tells the two failures apart.
bool ReadWholeFile(HANDLE file, std::string& text, bool& outOfMemory)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return false;
    // Size plus the terminator must be representable; anything larger cannot be held anyway.
    if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) >= text.max_size()) {
        outOfMemory = true;
        return false;
    }
    try {
        text.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
        return false;
    }
    size_t total = 0;
    while (total < text.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(text.size() - total, 1u << 20));
        DWORD got = 0;
        if (!::ReadFile(file, &text[total], want, &got, nullptr) || got == 0) break;
        total += got;
    }
    text.resize(total);
    return true;
}

}  // namespace

PlaceholderValues CurrentPlaceholderValues()
{
    PlaceholderValues values;
    values.system = specialFolders.Get(SpecialFolder::SystemDir);
    values.windows = specialFolders.Get(SpecialFolder::WindowsDir);
    values.startDir = specialFolders.Get(SpecialFolder::StartDir);
    values.destDir = setupSettings.GetSectionValue(SectionKey::DestDir);
    values.desktop = specialFolders.Get(SpecialFolder::Desktop);
    values.favorites = specialFolders.Get(SpecialFolder::Favorites);
    values.myDocuments = specialFolders.Get(SpecialFolder::MyDocuments);
    values.myPictures = specialFolders.Get(SpecialFolder::MyPictures);
    values.startMenu = specialFolders.Get(SpecialFolder::StartMenu);
    values.programs = specialFolders.Get(SpecialFolder::Programs);
    return values;
}

void ExpandPathPlaceholder(std::string& field)
{
    field = ExpandPlaceholder(field, CurrentPlaceholderValues());
}

void DispatchScriptCommand()
{
    ExecuteScriptCommand(ScriptFields, Platform());
}

void RunScriptLine(const std::string& line)
{
    RunScriptLine(line, ScriptFields, CurrentPlaceholderValues(), Platform());
}

void RunScriptFile(const std::string& fileName, const std::string& startFolder)
{
    if (fileName == "NULL") return;
    // Relative names in the script resolve against the start folder, as does the file itself.
    SetCurrentFolderPath(startFolder);
    if (fileName.empty()) return;

    UniqueFile file(::CreateFileW(SystemPath(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        FailureMessageBox(FormatText("Couldn't find script file %s.", {fileName}));
        return;
    }
    std::string text;
    bool outOfMemory = false;
    if (!ReadWholeFile(file.get(), text, outOfMemory)) {
        if (outOfMemory) FailureMessageBox(FormatText("Couldn't allocate memory to read script file %s.", {fileName}));
        return;
    }
    file.reset();
    // The author wrote the script in the system's code page; its lines are read from the text as the
    // programs hold it.
    RunScriptText(Utf8FromAnsi(text), ScriptFields, CurrentPlaceholderValues(), Platform());
}
