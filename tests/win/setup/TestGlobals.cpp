// The settings objects that setup.exe defines in its start-up order; tests fill them as they need.
#include "settings/SettingsWin.h"

SetupSettings setupSettings;
SpecialFolderTable specialFolders;
OsVersion osVersion;
