#pragma once
// The exit confirmation (template 108): Continue changes nothing; Exit sets cancelRequested.
// Run modally, without an owner, on the calling thread (the options dialog, the progress dialog,
// and the copy worker's replace question all use it).

// True when the user chose Exit.
bool RunExitConfirmation();
