#include "engine/report_model.h"

namespace tarvella {

ReportModel BuildReport(SunContext& sun, const ChartData& chart) {
    ReportModel report;
    report.chart = WithinTables(chart);
    if (report.IsEvent()) {
        report.event = FindEventPath(sun, report.chart);
    } else {
        report.division = DivideLevel(sun, report.chart);
    }
    return report;
}

ReportModel BuildReport(SunContext& sun, const ChartData& chart, int level) {
    ChartData c = chart;
    c.level = level;
    return BuildReport(sun, c);
}

void ApplyReport(ChartData& chart, const ReportModel& report) {
    if (!report.IsEvent()) return;
    chart.adIndex = report.chart.adIndex;
    chart.pdIndex = report.chart.pdIndex;
    chart.sdIndex = report.chart.sdIndex;
    chart.padIndex = report.chart.padIndex;
    StoreEventPath(chart, report.event);
}

}  // namespace tarvella
