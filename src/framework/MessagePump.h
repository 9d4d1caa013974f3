#pragma once
// Waiting on the user-interface thread without blocking its windows: the copy worker sets control
// texts through this thread and may show a question it must answer, and a program started by a
// script may send messages to every top-level window.

#include <windows.h>

// Waits until `handle` is signalled while dispatching this thread's messages. A WM_QUIT seen
// meanwhile is posted again for the message loop that owns it. False when the wait itself failed.
bool WaitHandlingMessages(HANDLE handle);

// Dispatches the messages already queued (lets modeless windows paint between steps).
void HandlePendingMessages();
