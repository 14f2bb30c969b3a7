#include "app/enter_data.h"

#include "app/data_dialog.h"
#include "app/orvo_doc.h"
#include "document/chart_files.h"
#include "view/period_status.h"

bool EnterData(wxWindow* parent, tarvella::Session& session, COrvoDoc& doc,
               tarvella::ChartData& chart) {
    ZoneNames zones = doc.PickedZones();
    const auto eventNote = [&session](const tarvella::ChartData& entered) {
        tarvella::ChartData typed = entered;
        tarvella::ComputeSunFields(session, typed);
        tarvella::SunContext sun = session.Sun();
        return tarvella::EventOutsideMdText(sun, typed);
    };
    if (!RunDataDialog(parent, chart, zones, eventNote)) return false;
    doc.SetPickedZones(zones);
    tarvella::ComputeSunFields(session, chart);
    return true;
}
