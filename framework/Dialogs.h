// Message boxes: the flags that choose a box's buttons, icon and default button, and the
// answers it returns, numbered as Win32 numbers them (MB_YESNO 4, IDYES 6, ...).
//
// TApplication::MessageBox shows a box through the current backend; both backends read the
// buttons a box offers from MessageBoxButtons, so a scripted answer can be checked against
// them and the desktop shows them in the same order as Windows does.
#pragma once

#include <string>
#include <vector>

#include "platform/com/WinTypes.h"

// Buttons (the low four bits of the flags).
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
inline constexpr UINT MB_YESNOCANCEL = 0x3;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_TYPEMASK = 0xF;
// Icons.
inline constexpr UINT MB_ICONHAND = 0x10;
inline constexpr UINT MB_ICONSTOP = MB_ICONHAND;
inline constexpr UINT MB_ICONERROR = MB_ICONHAND;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONASTERISK = 0x40;
inline constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr UINT MB_ICONMASK = 0xF0;
// The button that Return picks.
inline constexpr UINT MB_DEFBUTTON1 = 0x000;
inline constexpr UINT MB_DEFBUTTON2 = 0x100;
inline constexpr UINT MB_DEFBUTTON3 = 0x200;
inline constexpr UINT MB_DEFMASK = 0xF00;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct TMessageBoxButton {
  int Id = IDOK;      // the answer this button gives
  std::string Label;  // "OK", "Yes", ...
};

// The buttons of a box with Flags, left to right. Unknown button codes give the OK box.
std::vector<TMessageBoxButton> MessageBoxButtons(UINT Flags);
// The answer Return gives: the button MB_DEFBUTTONn names (the first when there is no such
// button).
int MessageBoxDefaultAnswer(UINT Flags);
// The answer Escape (or closing the box) gives: Cancel when the box has it, OK for the OK box,
// else 0 (Yes/No and Abort/Retry/Ignore boxes cannot be escaped).
int MessageBoxEscapeAnswer(UINT Flags);
// The answer of a box closed without a button (by the window manager's close button): the
// Escape answer when there is one, else the safe one (No for Yes/No, Abort for
// Abort/Retry/Ignore). A closed question never says Yes.
int MessageBoxClosedAnswer(UINT Flags);
// True when Answer is one of the box's buttons.
bool MessageBoxOffers(UINT Flags, int Answer);
