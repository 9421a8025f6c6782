// Dialogs of the off-screen backend: control state lives in memory, and tests act
// as the user would (click, focus, type, spin) through these calls.
#pragma once
#include <functional>
#include <vector>

#include "platform/dialog.h"

namespace plat::headless {

// A dialog that stays open until destroyed (WM_INITDIALOG has run on return).
HWND CreateDialogForTesting(const DialogTemplate& dialogTemplate, HWND owner, DLGPROC proc,
                            LPARAM param);
void DestroyDialogForTesting(HWND dialog);

// Called by DialogBox right after WM_INITDIALOG: the test acts in the dialog. A modal
// dialog whose queue runs empty ends with -1, since no one else could answer it.
using ModalHook = std::function<void(HWND dialog, int templateId)>;
void SetModalHookForTesting(ModalHook hook);
std::vector<int> OpenedDialogsForTesting();  // template ids, in the order DialogBox opened them

// The user's actions; each posts what the control would. False for an unknown control.
bool ClickForTesting(HWND dialog, int id);      // buttons, check boxes, radio buttons
bool FocusForTesting(HWND dialog, int id);      // id -1: focus leaves the controls
bool TypeForTesting(HWND dialog, int id, const char* text);  // replaces the edit's text
bool SpinForTesting(HWND dialog, int id, bool up);
bool KeyForTesting(HWND dialog, UINT virtualKey, bool shift);  // Tab, Space as the toolkit reads them
bool DialogEndedForTesting(HWND dialog, int* result);
HWND FocusedControlForTesting(HWND dialog);

// Dispatches up to `limit` queued messages of this thread as a dialog loop would
// (Esc and Enter become commands); returns how many were taken.
int DispatchForTesting(int limit);

}  // namespace plat::headless
