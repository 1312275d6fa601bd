#pragma once

#include <map>
#include <string>

class QButtonGroup;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace ruvo {

// The controls of the main form, created once on the form and laid out from its template. Every
// control carries an object name; the boxes of the run parameters are named after the field
// they edit. The form owns the widgets; this struct only points at them.
struct ViewControls {
  std::map<std::string, QLineEdit*> fieldBoxes;  // by object name, see FormFields()
  QLineEdit* summaryLine1 = nullptr;
  QLineEdit* summaryLine2 = nullptr;
  QButtonGroup* modeGroup = nullptr;  // ids 0 dynamometer, 1 tachometer
  QPushButton* calculateButton = nullptr;
  QPushButton* tablesButton = nullptr;
  QPushButton* graphButton = nullptr;
  QLineEdit* newWaveName = nullptr;
  QListWidget* waveList = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* removeButton = nullptr;
  QPushButton* browseButton = nullptr;
};

// Creates the form's controls on form (sized to the template) in their tab order.
ViewControls BuildViewControls(QWidget& form);

}  // namespace ruvo
