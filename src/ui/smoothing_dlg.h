#pragma once

#include <QDialog>
#include <cstdint>

#include "desktop/smoothing_choice.h"

class QButtonGroup;
class QLineEdit;

namespace ruvo {

// The modal "Smoothing Function" dialog: the smoothing method and its integer parameter, and the
// rpm at which the exponential fit's decline starts. Made fresh for every use; keeps nothing.
class CSmoothingDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSmoothingDlg(QWidget* parent = nullptr);

  // Shows the dialog on the run's three smoothing fields and writes them back when the user
  // confirms; Cancel changes nothing.
  void RunSmoothingDialog(std::int32_t& method, std::int32_t& level, std::int32_t& declineRpm);

  // Takes the enabled boxes; one that is not an integer is named, focused and selected, and the
  // dialog stays.
  void accept() override;

 private:
  void ShowChoice();
  void UpdateLevelBoxes();

  SmoothingChoice choice;
  QButtonGroup* methods;
  QLineEdit* localLevel;
  QLineEdit* segments;
  QLineEdit* fitLevel;
  QLineEdit* declineRpm;
};

}  // namespace ruvo
