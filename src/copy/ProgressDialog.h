#pragma once
// The progress dialog (template 112). Built once by the install sequence before its copy phase and
// run modally for each selected section (currentSection set, SourceDir current): it copies the
// section on a worker thread and, unless cancelled, makes the section's shortcut before it closes.

#include <string>

#include "framework/Dialog.h"

class CProgressDialog : public Dialog {
public:
    CProgressDialog();
    ~CProgressDialog() override;
    // (the members and handlers are the copy engine's own)
};
