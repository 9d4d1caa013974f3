#include "uninstaller/UninstallApp.h"

std::string CUninstallApp::Title() const
{
    std::string path = ModuleFileName();
    size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool CUninstallApp::InitInstance() { return false; }
