#pragma once

#include <QDate>
#include <QLocale>
#include <QPageSize>
#include <QString>
#include <optional>
#include <vector>

#include "calc/power_correction.h"
#include "plot/run_chart.h"

namespace ruvo {

// The paper of the user's locale: Letter where it is the custom (the US, Canada, Mexico, most of
// Central America, Chile, Colombia, Venezuela, the Philippines), A4 everywhere else.
QPageSize SheetPageSize(const QLocale& locale);

// What a dyno sheet shows.
struct SheetRequest {
  std::vector<PlotRun> runs;  // as read from their documents (uncorrected), each with its path
  UnitSystem units = UnitSystem::kTable;
  std::optional<CorrectionStandard> standard;  // correct each run by its own document's conditions
  QPageSize pageSize = SheetPageSize(QLocale());
  QDate date = QDate::currentDate();
};

// Writes a one-page PDF dyno sheet of the runs to path: their descriptions as the title, the chart
// of the (corrected) runs, and a table with a column per run: peak power and torque in units, the
// air conditions and each run's correction factor (or why it stays uncorrected), the vehicle data
// and smoothing its document's parameter lines hold; the date and Ruvo's version. The file is
// written beside path and renamed over it only when complete. False with error set when there is
// no run, a document cannot be read, or the file cannot be written. Needs a QApplication.
bool WriteDynoSheet(const QString& path, const SheetRequest& request, QString& error);

}  // namespace ruvo
