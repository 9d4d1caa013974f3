// The installer's global objects, in the order the start-up requires: the settings (SETUP.INI,
// SETUP.TXT, validation) before the special folders, and both before the application object, so
// that every SETUP.INI warning is shown before anything else. Objects of one translation unit are
// built in the order they are defined.
#include "installer/SetupApp.h"
#include "settings/SettingsWin.h"

// The command line first: an unattended run shows not even the settings' warnings.
static const bool commandLineRead = (ReadSetupCommandLine(), true);
SetupSettings setupSettings;
static const bool settingsLoaded = (LoadStartupSettings(setupSettings), true);
SpecialFolderTable specialFolders;
OsVersion osVersion;
static const bool specialFoldersBuilt = (BuildSpecialFolders(specialFolders, setupSettings), true);
static const bool settingsLogged = (LogSettingsRead(), true);
CSetupApp theApp;
