#pragma once
// The exit confirmation (template 108): Continue changes nothing; Exit sets cancelRequested.
// Run modally, without an owner, on the calling thread (the options dialog, the progress dialog,
// and the copy worker's replace question all use it).

// True when the user chose Exit.
bool RunExitConfirmation();

#include <atomic>

// Set when the user chose Exit in any of them; tells a run the user ended from one that failed.
extern std::atomic<bool> exitChosenByUser;
