#pragma once
// The installer's document/view classes. The install sequence runs on the backdrop window and never
// creates them; they keep the framework's default behaviour and can be created by name.

#include "framework/DocView.h"

class CMainFrame : public FrameWindow {
protected:
    int OnCreate(CREATESTRUCTW* create) override { return FrameWindow::OnCreate(create); }
};

class CSetupDoc : public Document {
public:
    bool OnNewDocument() override { return Document::OnNewDocument(); }
};

class CSetupView : public View {};

// Registers the three classes for creation by name ("CMainFrame", "CSetupDoc", "CSetupView").
bool RegisterSetupDocViewClasses();
