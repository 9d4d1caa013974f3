#include "installer/SetupApp.h"

bool CSetupApp::InitInstance() { return false; }
