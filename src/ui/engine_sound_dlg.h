#pragma once

#include <QDialog>

#include "audio/engine_sound_conversion.h"

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace ruvo {

// Asks what the tracker needs to know about the engine heard in a recording: cylinders, strokes,
// the engine-speed band to search and the revolutions between the pulse track's pulses. It starts
// from the options it is given and writes them back only when accepted; a band whose low speed is
// not below its high speed is refused with a message and the dialog stays open. Single-threaded.
class CEngineSoundDlg : public QDialog {
  Q_OBJECT

 public:
  CEngineSoundDlg(const QString& recordingName, const EngineSoundOptions& start, QWidget* parent = nullptr);

  // Runs the dialog through the installed prompts; true (options written) when accepted.
  bool Ask(EngineSoundOptions& options);

  void accept() override;

 private:
  QSpinBox* cylinders = nullptr;
  QComboBox* strokes = nullptr;
  QSpinBox* lowRpm = nullptr;
  QSpinBox* highRpm = nullptr;
  QDoubleSpinBox* revsPerPulse = nullptr;
};

}  // namespace ruvo
