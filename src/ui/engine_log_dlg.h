#pragma once

#include <QDialog>
#include <string>

#include "tracking/log_conversion.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace ruvo {

class LogPullView;

// Asks how an engine-speed log is read: its first rows are shown, the time column and the speed
// column (engine speed, or road speed in km/h or mph) start as the log's names suggest, and the
// pull those choices give is drawn, or why there is none; OK waits for a pull. It starts from the
// options it is given and writes them back only when accepted. Single-threaded.
class CEngineLogDlg : public QDialog {
  Q_OBJECT

 public:
  // table: the log's table as ReadLogTable read text.
  CEngineLogDlg(const QString& logName,
                std::string text,
                const LogTable& table,
                const EngineSpeedLogOptions& start,
                QWidget* parent = nullptr);

  // Runs the dialog through the installed prompts; true (options written) when accepted.
  bool Ask(EngineSpeedLogOptions& options);

 private:
  // The options the controls say, from the start options.
  EngineSpeedLogOptions Chosen() const;
  // Reads the log as the controls say and shows its pull, or why there is none.
  void Refresh();

  std::string logText;
  EngineSpeedLogOptions startOptions;
  QComboBox* timeColumn = nullptr;
  QComboBox* speedColumn = nullptr;
  QComboBox* speedKind = nullptr;
  QDoubleSpinBox* revsPerPulse = nullptr;
  LogPullView* pullView = nullptr;
  QLabel* pullText = nullptr;
  QPushButton* okButton = nullptr;
};

}  // namespace ruvo
