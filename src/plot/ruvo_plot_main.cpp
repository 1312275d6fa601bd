// ruvo-plot [--table] [--export FILE] [--csv FILE] [--sheet FILE] [--metric] [--correction STD] DOC.dat...:
// the viewer of saved runs.
#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <clocale>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "calc/power_correction.h"
#include "plot/plot_window.h"

namespace {

constexpr const char* kUsage = QT_TRANSLATE_NOOP(
    "ruvo-plot",
    "Usage: ruvo-plot [--table] [--export FILE] [--csv FILE] [--sheet FILE] [--metric] [--correction STD]\n"
    "                 DOC.dat...\n"
    "\n"
    "Shows the result tables of saved run documents, their runs overlaid in one chart.\n"
    "--table         open on the Table tab\n"
    "--export FILE   write the chart to FILE (.png 1600x1000, .svg or .pdf) and exit\n"
    "--csv FILE      write the tables of all documents to FILE as one comma-separated table, each\n"
    "                row led by its document, in the units shown, and exit\n"
    "--sheet FILE    write a one-page dyno sheet (PDF) of the runs to FILE and exit\n"
    "--metric        kW, N\xc2\xb7m, km/h and m/s\xc2\xb2 instead of the table's hp, ft-lb, mph and g\n"
    "--correction STD\n"
    "                power and torque corrected to a standard's air by each document's conditions:\n"
    "                sae-j1349, sae-j1349-1990, din-70020 (in PS with --metric) or eec-80-1269\n");

// A text of the command line in the user's language (before the application exists, as written),
// with %1 replaced by argument.
std::string Text(const char* text, const std::string& argument = std::string()) {
  const QString translated = QCoreApplication::translate("ruvo-plot", text);
  return (argument.empty() ? translated : translated.arg(QString::fromStdString(argument))).toStdString();
}

// The per-user settings the desktop keeps, here for the View choices. Reads see what the other Ruvo
// windows stored since.
class QtSettingsStore : public ruvo::SettingsStore {
 public:
  std::string Read(const std::string& section, const std::string& key) const override {
    settings.sync();
    return settings.value(QString::fromStdString(section + '/' + key)).toString().toStdString();
  }
  void Write(const std::string& section, const std::string& key, const std::string& value) override {
    settings.setValue(QString::fromStdString(section + '/' + key), QString::fromStdString(value));
    settings.sync();
  }

 private:
  mutable QSettings settings{QStringLiteral("Tammel Ruvo"), QStringLiteral("Ruvo")};
};

struct Request {
  bool table = false, metric = false;
  QString exportPath, csvPath, sheetPath;
  std::optional<ruvo::CorrectionStandard> correction;
  QStringList documents;
};

// Parses the arguments (without the program name); false after a message on standard error.
bool Parse(const std::vector<std::string>& args, Request& request, int& status) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << Text(kUsage);
      status = 0;
      return false;
    }
    if (arg == "--table") {
      request.table = true;
    } else if (arg == "--metric") {
      request.metric = true;
    } else if (arg == "--correction") {
      request.correction = ruvo::CorrectionStandardNamed(i + 1 < args.size() ? args[++i] : std::string());
      if (!request.correction) {
        std::string keys;
        for (const ruvo::CorrectionStandard standard : ruvo::CorrectionStandards())
          keys += (keys.empty() ? "" : ", ") + std::string(ruvo::CorrectionKey(standard));
        std::cerr << Text(QT_TRANSLATE_NOOP("ruvo-plot", "ruvo-plot: --correction needs one of %1\n"), keys);
        status = 2;
        return false;
      }
    } else if (arg == "--export" || arg == "--csv" || arg == "--sheet") {
      if (i + 1 >= args.size()) {
        std::cerr << Text(QT_TRANSLATE_NOOP("ruvo-plot", "ruvo-plot: %1 needs a file name\n"), arg);
        status = 2;
        return false;
      }
      (arg == "--export" ? request.exportPath
       : arg == "--csv"  ? request.csvPath
                         : request.sheetPath) = QString::fromStdString(args[++i]);
    } else if (!arg.empty() && arg[0] == '-') {
      std::cerr << Text(QT_TRANSLATE_NOOP("ruvo-plot", "ruvo-plot: unknown option %1\n"), arg) << Text(kUsage);
      status = 2;
      return false;
    } else {
      request.documents << QString::fromStdString(arg);
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  int status = 0;
  if (!Parse(std::vector<std::string>(argv + 1, argv + argc), request, status)) return status;
  const bool headless = !request.exportPath.isEmpty() || !request.csvPath.isEmpty() || !request.sheetPath.isEmpty();
  if (headless && request.documents.isEmpty()) {
    std::cerr << (request.exportPath.isEmpty() && request.csvPath.isEmpty()
                      ? Text(QT_TRANSLATE_NOOP("ruvo-plot", "ruvo-plot: --sheet needs a run document (.dat)\n"))
                      : Text(QT_TRANSLATE_NOOP("ruvo-plot",
                                               "ruvo-plot: --export and --csv need a run document (.dat)\n")));
    return 2;
  }
  // Scripts export without a display.
  if (headless && !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setOrganizationName(QStringLiteral("Tammel Ruvo"));
  QApplication::setApplicationName(QStringLiteral("Ruvo"));
  QtSettingsStore settings;
  ruvo::PlotWindow window(settings);
  if (request.metric) window.Options().SetUnits(ruvo::UnitSystem::kMetric, false);
  if (request.correction) window.Options().SetCorrection(request.correction, false);
  window.OpenDocuments(request.documents);

  if (headless) {
    if (!window.Notice().isEmpty()) std::cerr << window.Notice().toStdString() << '\n';
    if (!window.HasRuns()) return 1;
    QString error;
    if (!request.exportPath.isEmpty() && !window.ExportChart(request.exportPath, error)) {
      std::cerr << error.toStdString() << '\n';
      status = 1;
    }
    if (!request.csvPath.isEmpty() && !window.ExportTables(request.csvPath, error)) {
      std::cerr << error.toStdString() << '\n';
      status = 1;
    }
    // A sheet shows every document asked for, or none.
    if (!request.sheetPath.isEmpty()) {
      if (!window.Notice().isEmpty())
        status = 1;
      else if (!window.ExportSheet(request.sheetPath, request.correction, error)) {
        std::cerr << error.toStdString() << '\n';
        status = 1;
      }
    }
    return status;
  }
  if (request.table) window.Panel().setCurrentIndex(1);
  window.show();
  return QApplication::exec();
}
