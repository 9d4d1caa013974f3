#pragma once
// The exit confirmation (template 108): Continue changes nothing; Exit sets cancelRequested.
// Run modally on the calling thread (the options dialog, the progress dialog, and the copy worker's
// replace question all use it), owned by the dialog that asks, else by the backdrop.

#include <windows.h>

// True when the user chose Exit.
bool RunExitConfirmation(HWND owner = nullptr);

#include <atomic>

// Set when the user chose Exit in any of them; tells a run the user ended from one that failed.
extern std::atomic<bool> exitChosenByUser;
