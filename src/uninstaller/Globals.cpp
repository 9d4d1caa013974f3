#include "uninstaller/UninstallApp.h"

CUninstallApp theApp;
