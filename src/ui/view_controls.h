#pragma once

#include <QString>
#include <map>
#include <string>

class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace ruvo {

class FindingsButton;

// The controls of the main form, created once on the form in the arrangement of its template:
// description and Calculate across the top left, the vehicle's boxes in the left and middle
// columns, mode, results and wave files on the right. Layouts size every box to its text at any
// font size and let the form grow with the window. Every control carries an object name; the
// boxes of the run parameters are named after the field they edit. The form owns the widgets;
// this struct only points at them.
struct ViewControls {
  std::map<std::string, QLineEdit*> fieldBoxes;  // by object name, see FormFields()
  QLineEdit* summaryLine1 = nullptr;
  QLineEdit* summaryLine2 = nullptr;
  QGroupBox* resultsGroup = nullptr;
  FindingsButton* findings = nullptr;  // below the summary lines, hidden without findings
  QButtonGroup* modeGroup = nullptr;   // ids 0 dynamometer, 1 tachometer
  QPushButton* calculateButton = nullptr;
  QPushButton* tablesButton = nullptr;
  QPushButton* graphButton = nullptr;
  QLineEdit* newWaveName = nullptr;
  QListWidget* waveList = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* removeButton = nullptr;
  QPushButton* browseButton = nullptr;
};

// Creates the form's controls on form in their tab order.
ViewControls BuildViewControls(QWidget& form);

// The wave list's item text for a stored name: the name, with the whole of it as the tooltip, since
// a long path is shown shortened in the middle.
void AddWaveItem(QListWidget& list, const QString& name);

}  // namespace ruvo
