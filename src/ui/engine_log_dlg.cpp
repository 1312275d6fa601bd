#include "ui/engine_log_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>
#include <utility>

#include "ui/dialog_buttons.h"
#include "ui/log_pull_view.h"
#include "ui/revs_per_pulse_box.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

constexpr int kShownRows = 6;  // of the log, below its header

// What the speed column holds, in the order of the speed-kind box.
enum SpeedKind { kEngineRpm, kRoadKmh, kRoadMph };

QComboBox* ColumnBox(QWidget& parent, const char* name, const LogTable& table) {
  auto* box = new QComboBox(&parent);
  box->setObjectName(QString::fromLatin1(name));
  for (std::size_t k = 0; k < table.names.size(); ++k)
    box->addItem(QStringLiteral("%1: %2").arg(k + 1).arg(QString::fromStdString(table.names[k])));
  return box;
}

QTableWidget* FirstRows(QWidget& parent, const LogTable& table) {
  const auto rows = static_cast<int>(std::min<std::size_t>(table.rows.size(), kShownRows));
  auto* shown = new QTableWidget(rows, static_cast<int>(table.names.size()), &parent);
  shown->setObjectName(QStringLiteral("logRows"));
  shown->setEditTriggers(QAbstractItemView::NoEditTriggers);
  shown->setSelectionMode(QAbstractItemView::NoSelection);
  shown->verticalHeader()->hide();
  for (std::size_t column = 0; column < table.names.size(); ++column) {
    const auto c = static_cast<int>(column);
    shown->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromStdString(table.names[column])));
    for (int row = 0; row < rows; ++row)
      shown->setItem(
          row, c,
          new QTableWidgetItem(QString::fromStdString(table.rows[static_cast<std::size_t>(row)].cells[column])));
  }
  shown->resizeColumnsToContents();
  shown->horizontalHeader()->setStretchLastSection(true);
  // Tall enough for every shown row: the preview never scrolls up and down.
  const int height = shown->horizontalHeader()->sizeHint().height() +
                     rows * shown->verticalHeader()->defaultSectionSize() + 2 * shown->frameWidth() +
                     shown->horizontalScrollBar()->sizeHint().height();
  shown->setMinimumHeight(height);
  shown->setMaximumHeight(height);
  return shown;
}

}  // namespace

CEngineLogDlg::CEngineLogDlg(const QString& logName,
                             std::string text,
                             const LogTable& table,
                             const EngineSpeedLogOptions& start,
                             QWidget* parent)
    : QDialog(parent), logText(std::move(text)), startOptions(start) {
  setObjectName(QStringLiteral("engineLogDialog"));
  setWindowTitle(tr("Engine-Speed Log"));
  auto* intro = new QLabel(
      tr("Ruvo reads the speed logged in %1 and makes a pulse track of the pull for the calculation.").arg(logName),
      this);
  intro->setWordWrap(true);

  timeColumn = ColumnBox(*this, "timeColumn", table);
  speedColumn = ColumnBox(*this, "speedColumn", table);
  speedKind = new QComboBox(this);
  speedKind->setObjectName(QStringLiteral("speedKind"));
  speedKind->addItems({tr("engine speed, rpm"), tr("road speed, km/h"), tr("road speed, mph")});
  revsPerPulse = RevsPerPulseBox(*this, start.revsPerPulse);
  pullView = new LogPullView(this);
  pullText = new QLabel(this);
  pullText->setObjectName(QStringLiteral("pullText"));
  pullText->setWordWrap(true);

  // The columns the log's names suggest, where it can be read as it is.
  EngineSpeedLog found;
  std::string error;
  if (ReadEngineSpeedLog(logText, start, found, error)) {
    timeColumn->setCurrentIndex(static_cast<int>(found.columns.time));
    if (found.columns.rpm) {
      speedColumn->setCurrentIndex(static_cast<int>(*found.columns.rpm));
    } else if (found.columns.speed) {
      speedColumn->setCurrentIndex(static_cast<int>(*found.columns.speed));
      speedKind->setCurrentIndex(found.columns.speedUnit == RoadSpeedUnit::kMph ? kRoadMph : kRoadKmh);
    }
  } else if (table.names.size() > 1) {
    speedColumn->setCurrentIndex(1);
  }

  QDialogButtonBox* buttons = OkCancelBox(*this);
  okButton = buttons->button(QDialogButtonBox::Ok);

  auto* speed = new QHBoxLayout;
  speed->addWidget(speedColumn, 1);
  speed->addWidget(speedKind);
  auto* form = new QFormLayout(this);
  form->addRow(intro);
  form->addRow(FirstRows(*this, table));
  form->addRow(tr("&Time:"), timeColumn);
  auto* speedLabel = new QLabel(tr("&Speed:"), this);
  speedLabel->setBuddy(speedColumn);
  form->addRow(speedLabel, speed);
  form->addRow(pullView);
  form->addRow(pullText);
  form->addRow(tr("&Revolutions per pulse:"), revsPerPulse);
  form->addRow(buttons);

  for (QComboBox* box : {timeColumn, speedColumn, speedKind})
    connect(box, &QComboBox::currentIndexChanged, this, &CEngineLogDlg::Refresh);
  Refresh();
}

EngineSpeedLogOptions CEngineLogDlg::Chosen() const {
  EngineSpeedLogOptions options = startOptions;
  // Columns are asked for by number, from 1, so that equal names cannot be confused.
  options.columns.time = std::to_string(timeColumn->currentIndex() + 1);
  const std::string speed = std::to_string(speedColumn->currentIndex() + 1);
  options.columns.rpm.clear();
  options.columns.speed.clear();
  const int kind = speedKind->currentIndex();
  if (kind == kEngineRpm) {
    options.columns.rpm = speed;
  } else {
    options.columns.speed = speed;
    options.speedUnit = kind == kRoadMph ? RoadSpeedUnit::kMph : RoadSpeedUnit::kKmh;
  }
  options.revsPerPulse = revsPerPulse->value();
  return options;
}

void CEngineLogDlg::Refresh() {
  EngineSpeedLog log;
  std::string error;
  const bool read = ReadEngineSpeedLog(logText, Chosen(), log, error);
  okButton->setEnabled(read);
  if (!read) {
    pullView->ShowNothing(tr("No pull"));
    pullText->setText(tr("No pull: %1.").arg(QString::fromStdString(error)));
    return;
  }
  pullView->ShowPull(log.updates, log.frames, log.span);
  // As ruvo-cli reports the pull: from where the engine passes Initial RPM to its peak.
  pullText->setText(tr("Pull: %1 to %2 s, %3 to %4 rpm; %5 updates a second, timestamp jitter %6 ms.")
                        .arg(log.frames[log.span.firstFrame].timeSeconds, 0, 'f', 3)
                        .arg(log.frames[log.span.lastFrame].timeSeconds, 0, 'f', 3)
                        .arg(log.span.startRpm, 0, 'f', 0)
                        .arg(log.span.peakRpm, 0, 'f', 0)
                        .arg(log.pull.updateRateHz, 0, 'f', 1)
                        .arg(log.pull.jitterMs, 0, 'f', 1));
}

bool CEngineLogDlg::Ask(EngineSpeedLogOptions& options) {
  if (Prompts().RunModal(*this) != QDialog::Accepted) return false;
  options = Chosen();
  return true;
}

}  // namespace ruvo
