#include "framework/MessagePump.h"

namespace {
// Returns false when a WM_QUIT was taken from the queue; its exit code goes to `quitCode`.
bool DispatchQueued(WPARAM& quitCode)
{
    bool quit = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            quitCode = msg.wParam;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return !quit;
}
}  // namespace

bool WaitHandlingMessages(HANDLE handle)
{
    bool quit = false;
    WPARAM quitCode = 0;
    bool signalled = false;
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) {
            signalled = true;
            break;
        }
        if (result != WAIT_OBJECT_0 + 1) break;
        WPARAM code = 0;
        if (!DispatchQueued(code)) {
            quit = true;
            quitCode = code;
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return signalled;
}

void HandlePendingMessages()
{
    WPARAM quitCode = 0;
    if (!DispatchQueued(quitCode)) ::PostQuitMessage(static_cast<int>(quitCode));
}
