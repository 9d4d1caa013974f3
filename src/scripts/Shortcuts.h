#pragma once
// Shell shortcut files (.Lnk).

#include <string>
#include <windows.h>

// Creates a shortcut file at `linkPath` pointing to `target`. The caller has initialised COM.
HRESULT CreateShortcutFile(const std::string& target, const std::string& linkPath, const std::string& description);

// The shortcut of the section addressed by currentSection, in the folder its ShortcutLocation
// names; writes the shortcut's path back into ShortcutLocation and returns it (empty when the
// location names no folder).
std::string CreateSectionShortcut();
