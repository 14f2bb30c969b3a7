// The dialogs' field exchange, fed any text.
#include "document/field_exchange.h"
#include "fuzz_support.h"

using namespace tarvella;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string whole = in.Rest();
    ParseIntegerField(whole);
    ParseRealField(whole);

    DataEntryForm form = FormFromChart(DefaultChart());
    for (std::string* field :
         {&form.birthDay, &form.birthYear, &form.birthHour, &form.birthMinute, &form.birthZoneHours,
          &form.birthZoneMinutes, &form.dasaStartYear, &form.eventDay, &form.eventYear,
          &form.eventHour, &form.eventMinute, &form.eventZoneHours, &form.eventZoneMinutes}) {
        if (in.Take<std::uint8_t>() & 1) *field = in.Text();
    }
    for (int* index :
         {&form.birthMonth, &form.birthWest, &form.dasaLength, &form.adIndex, &form.pdIndex,
          &form.sdIndex, &form.padIndex, &form.levelChoice, &form.eventMonth, &form.eventWest}) {
        *index = in.Take<std::int8_t>();
    }
    ChartData chart = DefaultChart();
    if (!ChartFromForm(form, chart)) {
        if (chart.level < 1 || chart.level > 6 || chart.dasaYears < 1 || chart.dasaYears > 12 ||
            chart.birth.month < 1 || chart.birth.month > 12 || chart.birth.day < 1 ||
            chart.birth.day > 31 || chart.adIndex < 0 || chart.adIndex > 11) {
            std::abort();
        }
    }

    AyanamsaForm ayanamsa;
    ApplyAyanamsaChoice(ayanamsa, in.Take<std::int8_t>());
    ayanamsa.degrees = in.Text();
    ayanamsa.arcMinutes = in.Text();
    ayanamsa.arcSeconds = in.Text();
    ayanamsa.signIndex = in.Take<std::int8_t>();
    Preferences preferences;
    PreferencesFromAyanamsaForm(ayanamsa, preferences);
    AyanamsaFormFromPreferences(preferences);
    return 0;
}
