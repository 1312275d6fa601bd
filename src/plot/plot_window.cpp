#include "plot/plot_window.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <sstream>

#include "plot/dyno_sheet.h"

namespace ruvo {
namespace {

constexpr int kReloadDelayMilliseconds = 200;

}  // namespace

PlotWindow::PlotWindow(SettingsStore& settings, QWidget* parent) : QMainWindow(parent), options(settings, this) {
  setObjectName(QStringLiteral("plotWindow"));
  setWindowTitle(tr("Ruvo Plot"));
  panel = new ResultsPanel(false, this);
  setCentralWidget(panel);
  options.ApplyTo(*panel);
  connect(&options, &ChartOptions::Changed, this, [this] { options.ApplyTo(*panel); });
  CreateMenus();
  reloadDelay.setSingleShot(true);
  reloadDelay.setInterval(kReloadDelayMilliseconds);
  connect(&watcher, &QFileSystemWatcher::fileChanged, &reloadDelay, qOverload<>(&QTimer::start));
  connect(&reloadDelay, &QTimer::timeout, this, &PlotWindow::Reload);
  resize(960, 640);
}

void PlotWindow::CreateMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&Open..."), QKeySequence::Open, this, &PlotWindow::OnOpen);
  file->addAction(tr("&Export Chart..."), QKeySequence(Qt::CTRL | Qt::Key_E), this, &PlotWindow::OnExportChart);
  file->addAction(tr("Export &Tables as CSV..."), this, &PlotWindow::OnExportTables);
  file->addAction(tr("Export &Dyno Sheet..."), this, &PlotWindow::OnExportSheet);
  file->addSeparator();
  file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  options.AddTo(view);
  runsMenu = view->addMenu(tr("&Runs"));
}

void PlotWindow::FillRunsMenu() {
  runsMenu->clear();
  const auto& runs = panel->Chart().Runs();
  for (std::size_t i = 0; i < runs.size(); ++i) {
    QAction* action = runsMenu->addAction(runs[i].name);
    action->setCheckable(true);
    action->setChecked(runs[i].visible);
    connect(action, &QAction::toggled, this, [this, i](bool on) { panel->SetRunVisible(i, on); });
  }
  runsMenu->setEnabled(!runs.empty());
}

void PlotWindow::OpenDocuments(const QStringList& paths) {
  if (!watcher.files().isEmpty()) watcher.removePaths(watcher.files());
  documents = paths;
  Reload();
}

void PlotWindow::Reload() {
  std::vector<PlotRun> runs;
  QStringList notices, names;
  const std::vector<PlotRun>& before = panel->Chart().Runs();
  for (const QString& path : documents) {
    const TableReadResult read = ReadResultTableFile(path.toStdString());
    names << QFileInfo(path).fileName();
    if (read.status == TableReadStatus::kRead) {
      PlotRun run{RunName(QString::fromStdString(read.table.title), path), read.table, true};
      run.path = path;
      // A run hidden before stays hidden when its document is read again.
      for (const PlotRun& old : before)
        if (old.name == run.name) run.visible = old.visible;
      runs.push_back(std::move(run));
    } else {
      notices << QString::fromStdString(read.status == TableReadStatus::kNoTable ? NoResultsMessage(path.toStdString())
                                                                                 : read.error);
    }
    // A save renames a new file over the old one, which ends the watch; watch the new file.
    if (QFileInfo::exists(path) && !watcher.files().contains(path)) watcher.addPath(path);
  }
  notice = notices.join(u'\n');
  const int tableRun = panel->TableRun();
  panel->ShowRuns(std::move(runs), notice);
  if (tableRun > 0) panel->ShowTableOf(tableRun);
  FillRunsMenu();
  setWindowTitle(names.isEmpty() ? tr("Ruvo Plot") : tr("%1 - Ruvo Plot").arg(names.join(QStringLiteral(", "))));
}

bool PlotWindow::ExportChart(const QString& path, QString& error) {
  return panel->Chart().Export(path, error);
}

bool PlotWindow::ExportTables(const QString& path, QString& error) {
  const std::vector<PlotRun>& runs = panel->Chart().Runs();
  if (runs.empty()) {
    error = notice.isEmpty() ? tr("No table to export") : notice;
    return false;
  }
  std::vector<NamedTable> tables;
  for (const PlotRun& run : runs)
    tables.push_back({run.path.toStdString(), &run.table,
                      run.correctedTo ? std::string(CorrectionTitle(*run.correctedTo)) : std::string()});
  std::ostringstream csv;
  WriteTablesCsv(csv, tables, panel->Chart().Units());
  QSaveFile file(path);
  const std::string text = csv.str();
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
      !file.commit()) {
    error = tr("Not able to write - %1").arg(path);
    return false;
  }
  return true;
}

bool PlotWindow::ExportSheet(const QString& path, std::optional<CorrectionStandard> standard, QString& error) {
  SheetRequest request;
  for (const PlotRun& run : panel->Chart().Runs())
    if (run.visible) request.runs.push_back(run);
  if (request.runs.empty()) {
    error = notice.isEmpty() ? tr("No run to put on a dyno sheet") : notice;
    return false;
  }
  request.units = options.Units();
  request.standard = standard;
  return WriteDynoSheet(path, request, error);
}

QString PlotWindow::DefaultExportPath(const QString& suffix) const {
  const std::vector<PlotRun>& runs = panel->Chart().Runs();
  const QString first = runs.empty() ? QString() : runs.front().path;
  if (first.isEmpty()) return (suffix == u"csv" ? QStringLiteral("tables.") : QStringLiteral("chart.")) + suffix;
  const QFileInfo document(first);
  return document.dir().filePath(document.completeBaseName() + u'.' + suffix);
}

void PlotWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) options.Reread();
}

void PlotWindow::OnOpen() {
  const QStringList paths =
      QFileDialog::getOpenFileNames(this, tr("Open"), QString(), tr("Ruvo Files (*.dat);;All Files (*)"));
  if (!paths.isEmpty()) OpenDocuments(paths);
}

void PlotWindow::OnExportChart() {
  const QString path = QFileDialog::getSaveFileName(this, tr("Export Chart"), DefaultExportPath("png"),
                                                    tr("PNG (*.png);;SVG (*.svg);;PDF (*.pdf)"));
  QString error;
  if (!path.isEmpty() && !ExportChart(path, error)) QMessageBox::warning(this, tr("Ruvo Plot"), error);
}

void PlotWindow::OnExportTables() {
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Export Tables"), DefaultExportPath("csv"), tr("CSV (*.csv)"));
  QString error;
  if (!path.isEmpty() && !ExportTables(path, error)) QMessageBox::warning(this, tr("Ruvo Plot"), error);
}

void PlotWindow::OnExportSheet() {
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Export Dyno Sheet"), DefaultExportPath("pdf"), tr("PDF (*.pdf)"));
  QString error;
  if (!path.isEmpty() && !ExportSheet(path, options.Correction(), error))
    QMessageBox::warning(this, tr("Ruvo Plot"), error);
}

}  // namespace ruvo
