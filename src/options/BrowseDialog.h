#pragma once
// The folder browser (template 113): a lazily filled tree of drives and folders and an edit for the
// name of a new folder below the chosen one. It creates nothing; the caller reads currentDir after OK.

#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/Handles.h"

class CBrowseDialog : public Dialog {
public:
    CBrowseDialog();

    // The folder selected in the tree; after OK, the chosen folder with the new folder's name appended.
    std::string currentDir;
    // The text of the new-folder edit.
    std::string newDir;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    HWND Tree() const;
    HTREEITEM AppendItem(HTREEITEM parent, const std::string& text, int image, int selectedImage);
    void AppendPlaceholder(HTREEITEM parent);
    void AddDrive(const std::string& root, UINT driveType);
    bool ProbeSubfolder(HTREEITEM item, const std::string& path);
    std::string ItemText(HTREEITEM item) const;
    std::string ItemPath(HTREEITEM item) const;
    void DeleteChildren(HTREEITEM item);
    // True when the tree should cancel the expansion or collapse.
    bool OnItemExpanding(HTREEITEM item, UINT action);
    void OnSelectionChanged(HTREEITEM item);
    void OnNewDirChanged();

    UniqueImageList folderImages_;
};
