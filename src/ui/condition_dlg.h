#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/conditioning_filter.h"
#include "audio/decoded_audio.h"

class QButtonGroup;
class QLabel;
class QSpinBox;
class QThread;
class QTimer;

namespace ruvo {

class WaveEnvelopeView;

// Asks how a listed recording is conditioned before its copy is written: automatically (the band
// where its clicks stand out) or a band-pass the user chooses, showing the recording before and
// after on the same 8-bit scale and what the automatic choice found. The "after" is worked out on
// a thread of its own whenever the choice changes, one at a time (the dialog waits for it when
// closed). A band whose low edge is not below its high edge, or whose high edge is not below half
// the sample rate, is refused with a message and the dialog stays open. Single-threaded otherwise.
class CConditionDlg : public QDialog {
  Q_OBJECT

 public:
  CConditionDlg(const QString& recordingName, std::shared_ptr<const DecodedAudio> audio, QWidget* parent = nullptr);
  ~CConditionDlg() override;
  CConditionDlg(const CConditionDlg&) = delete;
  CConditionDlg& operator=(const CConditionDlg&) = delete;

  // Runs the dialog through the installed prompts; true (filters written) when accepted.
  bool Ask(FilterChoice& filters);

  // True once the "after" shows the current choice (for tests and pictures).
  bool PreviewReady() const;

  void accept() override;

 private:
  FilterChoice CurrentChoice() const;
  // Starts working out the "after" of the current choice, or marks it for when the running one ends.
  void UpdatePreview();

  std::shared_ptr<const DecodedAudio> audio;
  double sampleRateHz = 0.0;  // of the sound the copy holds
  QButtonGroup* choices = nullptr;
  QSpinBox* lowHz = nullptr;
  QSpinBox* highHz = nullptr;
  QLabel* summary = nullptr;
  WaveEnvelopeView* before = nullptr;
  WaveEnvelopeView* after = nullptr;
  QTimer* delay = nullptr;     // from a change of the choice to its preview
  QThread* worker = nullptr;   // the running preview, if any
  bool choiceChanged = false;  // since the running preview started
};

}  // namespace ruvo
