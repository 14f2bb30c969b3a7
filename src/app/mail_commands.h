// File > Email screen as text attachment and Email data file as attachment, through the main
// window's mail program; without one, the user is told that there is none.
#pragma once

#include <string>

class COrvoDoc;
class wxWindow;

// What a window shows, as Copy takes it; the document itself, its name and its modified mark
// stay as they are.
void MailScreenText(wxWindow* mainFrame, const COrvoDoc& doc, const std::string& text);
// The chart as it is now, even unsaved.
void MailDataFile(wxWindow* mainFrame, const COrvoDoc& doc);
