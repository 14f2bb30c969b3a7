// What File > Export timeline and File > Print do with a timeline.
#pragma once

#include <string>

#include "document/session.h"

class TimelineWindow;
class wxPrintData;
class wxPrintout;
class wxWindow;

// Asks for a file and writes the timeline's range there as SVG or PNG, by the name's extension.
void ExportTimeline(wxWindow* parent, tarvella::Session& session, TimelineWindow& timeline,
                    const std::string& documentName);

// The timeline's range on one landscape page. The page is turned in `data` for it, and turned
// back by TurnPageBack, which a report's printout calls: the report keeps the orientation the
// user chose.
wxPrintout* TimelinePrintout(TimelineWindow& timeline, wxPrintData& data, const std::string& title);
void TurnPageBack(wxPrintData& data);
