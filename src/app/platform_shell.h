// What the shell does differently on each platform: GTK and POSIX signals in the *_posix.cpp
// files, Windows in the *_msw.cpp ones.
#pragma once

class wxDialog;

// Ends, as Cancel would, a dialog that the toolkit runs outside wx's modal loop (GTK's message
// boxes); nothing where there is none.
void EndNativeDialog(wxDialog& dialog);

// A write beyond the file size limit then fails and is reported, instead of ending the process
// with every open document.
void IgnoreFileSizeLimitSignal();
