#include "ui/engine_sound_dlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>

#include "core/message.h"
#include "ui/dialog_buttons.h"
#include "ui/revs_per_pulse_box.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

constexpr int kLowestRpm = 100;     // below any idle
constexpr int kHighestRpm = 30000;  // above any engine a car runs on
constexpr int kRpmStep = 100;

QSpinBox* RpmBox(QWidget& parent, const char* name, double rpm) {
  auto* box = new QSpinBox(&parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(kLowestRpm, kHighestRpm);
  box->setSingleStep(kRpmStep);
  box->setSuffix(QCoreApplication::translate("ruvo::CEngineSoundDlg", " rpm"));
  box->setValue(static_cast<int>(std::lround(rpm)));
  return box;
}

}  // namespace

CEngineSoundDlg::CEngineSoundDlg(const QString& recordingName, const EngineSoundOptions& start, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("engineSoundDialog"));
  setWindowTitle(tr("Engine Sound"));
  auto* intro =
      new QLabel(tr("Ruvo follows the engine's firing in %1 and makes a pulse track of the pull for the calculation.")
                     .arg(recordingName),
                 this);
  intro->setWordWrap(true);

  cylinders = new QSpinBox(this);
  cylinders->setObjectName(QStringLiteral("cylinders"));
  cylinders->setRange(1, 16);
  cylinders->setValue(start.tracker.cylinders);
  strokes = new QComboBox(this);
  strokes->setObjectName(QStringLiteral("strokes"));
  strokes->addItem(tr("4-stroke"), 4);
  strokes->addItem(tr("2-stroke"), 2);
  strokes->setCurrentIndex(start.tracker.strokes == 2 ? 1 : 0);
  lowRpm = RpmBox(*this, "lowRpm", start.tracker.lowRpm);
  highRpm = RpmBox(*this, "highRpm", start.tracker.highRpm);
  revsPerPulse = RevsPerPulseBox(*this, start.revsPerPulse);

  auto* band = new QHBoxLayout;
  band->addWidget(lowRpm);
  band->addWidget(new QLabel(tr("to"), this));
  band->addWidget(highRpm);
  QDialogButtonBox* buttons = OkCancelBox(*this);

  auto* form = new QFormLayout(this);
  form->addRow(intro);
  form->addRow(tr("&Cylinders:"), cylinders);
  form->addRow(tr("&Engine:"), strokes);
  auto* bandLabel = new QLabel(tr("Speed &band:"), this);
  bandLabel->setBuddy(lowRpm);
  form->addRow(bandLabel, band);
  form->addRow(tr("&Revolutions per pulse:"), revsPerPulse);
  form->addRow(buttons);
}

bool CEngineSoundDlg::Ask(EngineSoundOptions& options) {
  if (Prompts().RunModal(*this) != QDialog::Accepted) return false;
  options.tracker.cylinders = cylinders->value();
  options.tracker.strokes = strokes->currentData().toInt();
  options.tracker.lowRpm = lowRpm->value();
  options.tracker.highRpm = highRpm->value();
  options.revsPerPulse = revsPerPulse->value();
  return true;
}

void CEngineSoundDlg::accept() {
  if (lowRpm->value() >= highRpm->value()) {
    ShowMessage(tr("The speed band must run from a lower to a higher speed.").toStdString());
    lowRpm->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace ruvo
