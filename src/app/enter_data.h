// Data > Enter data over one window's chart.
#pragma once

#include "document/chart_data.h"
#include "document/session.h"

class COrvoDoc;
class wxWindow;

// The dialog over the chart, with the zones the document remembers picked by name; once
// confirmed, the zones picked are remembered and the chart's Sun computed. False when cancelled.
bool EnterData(wxWindow* parent, tarvella::Session& session, COrvoDoc& doc,
               tarvella::ChartData& chart);
