#pragma once
// Shell shortcut files (.Lnk).

#include <windows.h>

#include <string>

// Creates a shortcut file at `linkPath` pointing to `target` (a target ending in \.. points to the
// folder above). The caller has initialised COM. A link path beyond 259 characters is refused with
// E_INVALIDARG.
HRESULT CreateShortcutFile(const std::string& target, const std::string& linkPath, const std::string& description);

// The shortcut of the section addressed by currentSection, in the folder its ShortcutLocation
// names; writes the shortcut's path back into ShortcutLocation and returns it (empty, and the value
// unchanged, when the location names no folder known on this system).
std::string CreateSectionShortcut();
