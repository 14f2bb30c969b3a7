#include "engine/report_model.h"

namespace tarvella {

ReportModel BuildReport(SunContext& sun, const ChartData& chart) {
    ReportModel report;
    report.chart = WithinTables(chart);
    report.precise = sun.precise;
    if (report.IsEvent()) {
        report.event = FindEventPath(sun, report.chart);
        report.path = report.event.Within(PathOf(report.chart));
    } else {
        report.division = DivideLevel(sun, report.chart);
        report.path = report.division.path;
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
    PeriodPath path = report.path;
    path.level = chart.level;
    SetPath(chart, path);
}

}  // namespace tarvella
