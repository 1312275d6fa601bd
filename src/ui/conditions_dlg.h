#pragma once

#include <QDialog>
#include <array>

#include "core/run_parameters.h"
#include "core/settings.h"
#include "desktop/condition_units.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;

namespace ruvo {

// The modal "Air Conditions" dialog: the weather of the run (air temperature, barometric pressure
// at the station or at sea level with the station's altitude, relative humidity), each in a unit
// of the user's choice and each may be left empty. It shows, as the boxes change, the correction
// factor those conditions give, or why they give none. The units chosen are kept in settings,
// which must outlive the dialog. Made fresh for every use; single-threaded.
class CConditionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CConditionsDlg(SettingsStore& settings, QWidget* parent = nullptr);

  // Shows conditions and, when the user confirms, writes the boxes back in metric units; true
  // then. Cancel changes nothing.
  bool RunConditionsDialog(AirConditions& conditions);

  // Takes the boxes; the first that holds no value in its range is named in a message, focused
  // and selected, and the dialog stays. So it does for a sea-level pressure without its altitude.
  void accept() override;

 private:
  enum Box { kTemperature, kPressure, kHumidity, kAltitude, kBoxCount };

  // The conditions the boxes hold; on failure, false with the message and the box at fault.
  bool Collect(AirConditions& conditions, QString& message, QLineEdit*& fault) const;
  void ShowConditions(const AirConditions& conditions);
  void ChangeUnit(Box box, int unit);
  void UpdateAltitude();
  void UpdateCorrection();

  SettingsStore& settings;
  AirConditions taken;
  std::array<ConditionField, kBoxCount> fields;
  std::array<QLineEdit*, kBoxCount> boxes{};
  std::array<QComboBox*, kBoxCount> units{};  // none for humidity
  QButtonGroup* pressureKind;
  QLabel* correction;
};

}  // namespace ruvo
