#include "settings/SpecialFolders.h"

#include "framework/AnsiText.h"

namespace {
// Shell-folder values are read into 1024 bytes.
constexpr size_t kShellValueLimit = 1023;

std::string CutShellValue(std::string value)
{
    if (value.size() > kShellValueLimit) value.resize(kShellValueLimit);
    return value;
}
}  // namespace

std::string ChooseMyDocuments(const std::string& personal, const std::string& altMyDocumentsDir,
                              const OsVersion& version)
{
    const std::string ending = "My Documents";
    if (personal.size() >= ending.size() &&
        ansi::EqualsNoCase(std::string_view(personal).substr(personal.size() - ending.size()), ending))
        return personal;
    // An AltMyDocumentsDir that is present but empty counts as not set: an empty folder would turn
    // %MYDOCUMENTS%\x into \x.
    if (!altMyDocumentsDir.empty() && !ansi::EqualsNoCase(altMyDocumentsDir, kNotSet)) return altMyDocumentsDir;
    // NT 4 keeps its profile folder. Since NT 6 the documents folder is "...\Documents" on every
    // machine, so the old fixed folder would not exist: keep the real one there too.
    if (version.IsNtFamily() && (version.major < 5 || version.major >= 6)) return personal;
    return "C:\\My Documents";
}

void SpecialFolderTable::Build(const std::string& windowsDir, const std::string& systemDir, const OsVersion& version,
                               ShellFolderSource& shellFolders, const std::string& altMyDocumentsDir,
                               MessageSink& messages)
{
    if (built_) return;
    built_ = true;
    for (int i = 0; i <= static_cast<int>(SpecialFolder::Reserved11); ++i)
        entries_[i].clear();
    Set(SpecialFolder::SystemDir, systemDir);
    Set(SpecialFolder::WindowsDir, windowsDir);
    version_ = version;

    if (!shellFolders.Open()) {
        messages.Show("Couldn't open the registry.");
        return;
    }
    auto read = [&](const char* name) { return CutShellValue(shellFolders.Read(name).value_or(std::string())); };
    Set(SpecialFolder::Favorites, read("Favorites"));
    const std::string personal = read("Personal");
    Set(SpecialFolder::MyDocuments, ChooseMyDocuments(personal, altMyDocumentsDir, version));
    if (auto pictures = shellFolders.Read("My Pictures")) Set(SpecialFolder::MyPictures, CutShellValue(*pictures));
    Set(SpecialFolder::Desktop, read("Desktop"));
    Set(SpecialFolder::StartMenu, read("Start Menu"));
    Set(SpecialFolder::Programs, read("Programs"));
}
