// The installer's global objects, in the order the start-up requires: the test for a running copy
// first, so that a second copy reads nothing and shows nothing; then the settings (SETUP.INI,
// SETUP.TXT, validation) before the special folders, and both before the application object, so
// that every SETUP.INI warning is shown before anything else. Objects of one translation unit are
// built in the order they are defined.
#include "installer/SetupApp.h"
#include "settings/SettingsWin.h"

InstanceClaim setupInstance;
// The command line next: an unattended run shows not even the settings' warnings.
static const bool commandLineRead = (ReadSetupCommandLine(), true);
SetupSettings setupSettings;
static const bool settingsLoaded = setupInstance.IsFirst() && (LoadStartupSettings(setupSettings), true);
SpecialFolderTable specialFolders;
OsVersion osVersion;
static const bool specialFoldersBuilt =
    setupInstance.IsFirst() && (BuildSpecialFolders(specialFolders, setupSettings), true);
static const bool settingsLogged = setupInstance.IsFirst() && (LogSettingsRead(), true);
CSetupApp theApp;
