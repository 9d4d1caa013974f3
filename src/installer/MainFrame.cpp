#include "installer/MainFrame.h"

bool RegisterSetupDocViewClasses()
{
    static const bool registered = DynamicCreation<CMainFrame>::Register("CMainFrame") &&
                                   DynamicCreation<CSetupDoc>::Register("CSetupDoc") &&
                                   DynamicCreation<CSetupView>::Register("CSetupView");
    return registered;
}
