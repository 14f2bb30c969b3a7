// What the shell does differently on each platform: GTK and POSIX signals in the *_posix.cpp
// files, Windows in the *_msw.cpp ones.
#pragma once

class wxDialog;
class wxMenu;

// Ends, as Cancel would, a dialog that the toolkit runs outside wx's modal loop (GTK's message
// boxes); nothing where there is none.
void EndNativeDialog(wxDialog& dialog);

// A write beyond the file size limit then fails and is reported, instead of ending the process
// with every open document.
void IgnoreFileSizeLimitSignal();

// The main window's style: on Windows our own Window menu stands in for the one wx adds.
long MainFrameStyle();
// The commands that arrange child windows, where they are windows (Windows) and not tabs (GTK).
void AddWindowArrangement(wxMenu* windowMenu);
// The keyboard's Caps, Num and Scroll Lock indicators as bits 0, 1 and 2; on GTK read from an X
// display only.
int KeyLockStates();
// The average character width to ask of a font: Windows' fonts take one; Pango has no per-font
// horizontal scale, and Arial's own width is close to what the report asks for, so 0 there.
int FontWidthToAsk(int reportWidth);
