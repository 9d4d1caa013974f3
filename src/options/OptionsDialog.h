#pragma once
// The options dialog (template 116): which sections are installed and where. Its only outputs are
// the section values InstallByDefault and DestDir and the flag cancelRequested.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "options/OptionsModel.h"

class SectionCheckList;

// The folder tests' questions answered by the system (GetFullPathName, GetLongPathName).
PathResolver SystemPathResolver();

// Runs the dialog modally with no owner; IDOK after Continue, IDCANCEL after a confirmed Exit.
INT_PTR RunOptionsDialog();

class COptionsDialog : public Dialog {
public:
    COptionsDialog();
    ~COptionsDialog() override;

    // The section list; null before the dialog is initialised and after its window is gone.
    SectionCheckList* List() const { return sectionList_.get(); }
    int SelectedSection() const { return selectedSection_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;

private:
    void CreateSectionList();
    void FillDriveList();
    void Refresh();
    void OnListNotify();
    void OnChangeFolder();
    void OnDriveChosen();
    // The folder tests of every chosen folder (CheckChosenFolder) against this system's Windows folder.
    ChosenFolder CheckFolder(const std::string& folder) const;
    // The folder the section's uninstall entry names; nothing when it is not installed.
    const std::optional<std::string>& InstalledFolder(int section) const;
    // Makes the section the one whose description and folder are shown, and its row the selected one.
    void ShowSection(int section);

    std::unique_ptr<SectionCheckList> sectionList_;
    int selectedSection_ = 0;
    // Every section's DestDir as the dialog found it, which a section on a bare drive root gets back.
    std::vector<std::string> initialDestDirs_;
    // By section: the folder its uninstall entry names, where it is installed again if chosen.
    std::vector<std::optional<std::string>> installedFolders_;
    HFONT rowFont_ = nullptr;  // the description's font, owned by the dialog's window
};
