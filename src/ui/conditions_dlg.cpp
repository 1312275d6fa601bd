#include "ui/conditions_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <string>

#include "calc/power_correction.h"
#include "core/message.h"
#include "ui/dialog_buttons.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

// Where the settings keep the units of the boxes, and whether a pressure is a sea-level one when a
// run has none yet.
constexpr const char* kUnitKeys[] = {"AirTemperatureUnit", "AirPressureUnit", "", "AltitudeUnit"};
constexpr const char* kSeaLevelKey = "PressureAtSeaLevel";  // "1": weather reports' pressure
// The choice of the Results panel's View > Correction menu, shown here too.
constexpr const char* kPlotSection = "Plot";
constexpr const char* kCorrectionKey = "Correction";

enum PressureKind { kStation, kSeaLevel };

constexpr int kValueBoxDigits = 9;       // digits a box shows whole: "-29527.5" with room to spare
constexpr int kLineEditMargins = 4;      // pixels a line edit keeps between its frame and its text
constexpr int kCorrectionTextLines = 4;  // lines the factor's description may take, wrapped

ConditionQuantity QuantityOf(int box) {
  return static_cast<ConditionQuantity>(box);  // the boxes are in the order of the quantities
}

}  // namespace

CConditionsDlg::CConditionsDlg(SettingsStore& store, QWidget* parent)
    : QDialog(parent),
      settings(store),
      fields{ConditionField(ConditionQuantity::kTemperature, tr("Air temperature").toStdString()),
             ConditionField(ConditionQuantity::kPressure, tr("Barometric pressure").toStdString()),
             ConditionField(ConditionQuantity::kHumidity, tr("Relative humidity").toStdString()),
             ConditionField(ConditionQuantity::kAltitude, tr("Altitude").toStdString())},
      pressureKind(new QButtonGroup(this)),
      correction(new QLabel(this)) {
  setWindowTitle(tr("Air Conditions"));
  QGridLayout* grid = FixedGrid(*this);
  grid->setColumnMinimumWidth(0, style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));

  const struct {
    QString label;
    const char* name;
    const char* unitName;
  } rows[kBoxCount] = {{tr("Air &temperature:"), "temperature", "temperatureUnit"},
                       {tr("Barometric &pressure:"), "pressure", "pressureUnit"},
                       {tr("Relative &humidity:"), "humidity", nullptr},
                       {tr("&Altitude:"), "altitude", "altitudeUnit"}};
  const int gridRows[kBoxCount] = {0, 1, 5, 4};  // the altitude belongs under the sea-level choice
  for (int box = 0; box < kBoxCount; ++box) {
    auto* edit = boxes[box] = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(rows[box].name));
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(kValueBoxDigits, u'0')) + 2 * frame +
                        kLineEditMargins);
    auto* label = new QLabel(rows[box].label, this);
    label->setBuddy(edit);
    // The altitude's label is indented under the sea-level choice.
    grid->addWidget(label, gridRows[box], box == kAltitude ? 1 : 0, 1, box == kAltitude ? 1 : 2);
    grid->addWidget(edit, gridRows[box], 2);
    const ConditionQuantity quantity = QuantityOf(box);
    if (!rows[box].unitName) {
      grid->addWidget(new QLabel(QString::fromStdString(std::string(ConditionUnitSymbol(quantity, {}))), this),
                      gridRows[box], 3);
    } else {
      auto* unit = units[box] = new QComboBox(this);
      unit->setObjectName(QString::fromLatin1(rows[box].unitName));
      for (ConditionUnit each : {ConditionUnit::kMetric, ConditionUnit::kImperial})
        unit->addItem(QString::fromStdString(std::string(ConditionUnitSymbol(quantity, each))));
      const ConditionUnit stored = ConditionUnitFromKey(quantity, GetSetting(settings, kUnitKeys[box]));
      fields[box].ChangeUnit(stored, {});
      unit->setCurrentIndex(static_cast<int>(stored));
      connect(unit, &QComboBox::currentIndexChanged, this,
              [this, box](int index) { ChangeUnit(static_cast<Box>(box), index); });
      grid->addWidget(unit, gridRows[box], 3);
    }
    connect(edit, &QLineEdit::textChanged, this, &CConditionsDlg::UpdateCorrection);
  }
  auto* station = new QRadioButton(tr("&Station pressure"), this);
  station->setObjectName(QStringLiteral("stationPressure"));
  auto* seaLevel = new QRadioButton(tr("S&ea-level pressure (as weather reports give it)"), this);
  seaLevel->setObjectName(QStringLiteral("seaLevelPressure"));
  pressureKind->addButton(station, kStation);
  pressureKind->addButton(seaLevel, kSeaLevel);
  grid->addWidget(station, 2, 1, 1, 3);
  grid->addWidget(seaLevel, 3, 1, 1, 3);
  connect(pressureKind, &QButtonGroup::idClicked, this, [this] {
    UpdateAltitude();
    UpdateCorrection();
  });

  // The factor's description wraps within the rows' width, with room for a note or two.
  correction->setObjectName(QStringLiteral("correctionText"));
  correction->setWordWrap(true);
  correction->setMinimumHeight(fontMetrics().lineSpacing() * kCorrectionTextLines);
  correction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  correction->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(correction, 6, 0, 1, 4);
  grid->setRowMinimumHeight(6, fontMetrics().lineSpacing() * kCorrectionTextLines);

  QDialogButtonBox* buttons = OkCancelBox(*this);
  QPushButton* clear = buttons->addButton(tr("C&lear"), QDialogButtonBox::ResetRole);
  clear->setObjectName(QStringLiteral("clearButton"));
  clear->setStatusTip(tr("Empty every box: the run has no conditions"));
  connect(clear, &QPushButton::clicked, this, [this] {
    for (QLineEdit* box : boxes) box->clear();
  });
  grid->addWidget(buttons, 7, 0, 1, 4, Qt::AlignBottom);
  grid->setRowMinimumHeight(7, buttons->sizeHint().height() + fontMetrics().height() / 2);
}

bool CConditionsDlg::RunConditionsDialog(AirConditions& conditions) {
  ShowConditions(conditions);
  if (Prompts().RunModal(*this) != QDialog::Accepted) return false;
  conditions = taken;
  for (int box = 0; box < kBoxCount; ++box)
    if (units[box]) {
      const auto unit = static_cast<ConditionUnit>(units[box]->currentIndex());
      PutSetting(settings, kUnitKeys[box], std::string(ConditionUnitKey(QuantityOf(box), unit)));
    }
  PutSetting(settings, kSeaLevelKey, pressureKind->checkedId() == kSeaLevel ? "1" : "0");
  return true;
}

void CConditionsDlg::accept() {
  QString message;
  QLineEdit* fault = nullptr;
  if (!Collect(taken, message, fault)) {
    ShowMessage(message.toStdString());
    fault->setFocus();
    fault->selectAll();
    return;
  }
  QDialog::accept();
}

bool CConditionsDlg::Collect(AirConditions& conditions, QString& message, QLineEdit*& fault) const {
  AirConditions read;
  std::optional<double>* values[kBoxCount] = {&read.temperatureC, &read.pressureHpa, &read.humidityPercent,
                                              &read.altitudeM};
  for (int box = 0; box < kBoxCount; ++box) {
    if (!boxes[box]->isEnabled()) continue;  // the altitude of a station pressure
    const ConditionReading reading = fields[box].Read(boxes[box]->text().toStdString());
    if (!reading.ok) {
      message = QString::fromStdString(reading.message);
      fault = boxes[box];
      return false;
    }
    *values[box] = reading.metric;
  }
  // Without its altitude a sea-level pressure would be taken for the station's.
  if (read.pressureHpa && !read.altitudeM && pressureKind->checkedId() == kSeaLevel) {
    message = tr("Altitude: enter the altitude where the sea-level pressure applies");
    fault = boxes[kAltitude];
    return false;
  }
  conditions = read;
  return true;
}

void CConditionsDlg::ShowConditions(const AirConditions& conditions) {
  const std::optional<double> values[kBoxCount] = {conditions.temperatureC, conditions.pressureHpa,
                                                   conditions.humidityPercent, conditions.altitudeM};
  for (int box = 0; box < kBoxCount; ++box) boxes[box]->setText(QString::fromStdString(fields[box].Show(values[box])));
  // A run with a pressure says what kind it is; one without takes the kind last chosen.
  const bool seaLevel = conditions.pressureHpa || conditions.altitudeM ? conditions.altitudeM.has_value()
                                                                       : GetSetting(settings, kSeaLevelKey) == "1";
  pressureKind->button(seaLevel ? kSeaLevel : kStation)->setChecked(true);
  UpdateAltitude();
  UpdateCorrection();
}

void CConditionsDlg::ChangeUnit(Box box, int unit) {
  const std::string text = boxes[box]->text().toStdString();
  boxes[box]->setText(QString::fromStdString(fields[box].ChangeUnit(static_cast<ConditionUnit>(unit), text)));
  UpdateCorrection();
}

void CConditionsDlg::UpdateAltitude() {
  const bool seaLevel = pressureKind->checkedId() == kSeaLevel;
  boxes[kAltitude]->setEnabled(seaLevel);
  units[kAltitude]->setEnabled(seaLevel);
}

void CConditionsDlg::UpdateCorrection() {
  AirConditions conditions;
  QString message;
  QLineEdit* fault = nullptr;
  if (!Collect(conditions, message, fault)) {
    correction->setText(message);
    return;
  }
  const CorrectionStandard standard =
      CorrectionStandardNamed(settings.Read(kPlotSection, kCorrectionKey)).value_or(CorrectionStandard::kSaeJ1349);
  const PowerCorrection corrected = CorrectPower(standard, conditions);
  QString text = QString::fromStdString(DescribeCorrection(corrected));
  if (corrected.ok)
    for (const std::string& note : corrected.notes) text += QStringLiteral("\n") + QString::fromStdString(note);
  correction->setText(text);
}

}  // namespace ruvo
