#pragma once
// The rules of the folder browser that need no window: the new-folder name filter, the order of the
// folders in the tree, and the full path of a tree item.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Letters, digits, the space and # $ % & ' ( ); nothing from 128 up.
bool IsAllowedFolderNameChar(char c);

// The edit's text after the character before `caret` was checked: the text without it and where
// the caret goes, or nothing when that character is allowed (or there is none).
struct FilteredFolderName {
    std::string text;
    std::optional<size_t> caret;  // set when the caret was at 2 or more; otherwise left where the edit puts it
};
std::optional<FilteredFolderName> FilterFolderNameInput(const std::string& text, size_t caret);

// Folders in ascending order of their upper-cased names, so the order ignores case.
void SortFolderNames(std::vector<std::string>& names);

// The full path of a tree item from its own text and its ancestors' texts, nearest first.
std::string TreeItemPath(const std::string& text, const std::vector<std::string>& ancestorsNearestFirst);

// Entries that make a folder count as empty for the browser's OK: nothing but "." and "..". A name that
// merely begins with a dot (".git", ".config") is content that the uninstaller would remove with the folder.
bool OnlyDotEntries(const std::vector<std::string>& names);
