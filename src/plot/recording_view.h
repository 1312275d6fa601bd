#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "calc/run_checks.h"
#include "plot/engine_sound_plot.h"
#include "plot/waveform_decimation.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPainter;

namespace ruvo {

// One recording of a calculation as the recording view shows it: its samples, read again from the
// file, and what the calculation saw in it.
struct RecordingTrace {
  QString name;                       // the wave file as the list names it
  std::vector<std::uint8_t> samples;  // empty when the file could not be read again
  std::uint8_t meanLevel = 128;       // the level deviations (and cutoffs) are measured from
  RecordingEvidence evidence;
  bool failed = false;  // the calculation failed: its noise level and last cutoff are drawn and labelled
};

// The waveform of one recording over a chosen stretch of time, drawn with per-pixel min/max
// decimation, with the detected pulses shaded from start to end, the cutoff in force as a line on
// either side of the mean level (after a failure also the median noise level as a band, and both
// labelled), the findings' places as red lines, and below it a pane of the
// engine speed measured from each pulse interval against the fitted curve. The wheel zooms about
// the pointer, dragging pans, a double click shows the whole recording. The trace is borrowed and
// must outlive the plot (or be replaced first). Single-threaded.
class RecordingPlot : public QWidget {
  Q_OBJECT

 public:
  explicit RecordingPlot(QWidget* parent = nullptr);
  ~RecordingPlot() override;

  // Shows trace (nullptr: notice instead) as a whole; findingTimes are seconds into it.
  void SetTrace(const RecordingTrace* trace, std::vector<double> findingTimes, const QString& notice = QString());
  void ZoomTo(double firstSeconds, double endSeconds);
  void ShowAll();
  std::pair<double, double> VisibleSeconds() const { return {viewFirst, viewEnd}; }
  // The pulses whose span lies at least partly in the visible stretch: the ones drawn.
  int MarkedPulseCount() const;
  // The labels of the noise band and the cutoff drawn for a failed calculation; none otherwise.
  QStringList LevelLabels() const;

  // Draws the plot into painter over a size-sized area; what paintEvent does.
  void Render(QPainter& painter, QSize size) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  double Duration() const;
  double SecondsAt(double x) const;
  void DrawLevels(QPainter& painter, const QRect& wave, bool noPulses) const;

  const RecordingTrace* trace = nullptr;
  std::unique_ptr<WaveformDecimation> decimation;
  std::vector<double> findings;
  QString noticeText;
  double viewFirst = 0.0, viewEnd = 1.0;   // seconds
  double speedLow = 0.0, speedHigh = 1.0;  // rpm range of the speed pane
  double dragSeconds = -1.0;               // where a drag took hold
  mutable std::vector<SampleRange> columns;
};

// The Recording tab: a choice of the calculation's recordings, a line about the chosen one, its
// RecordingPlot and the run checks' findings under it; clicking a finding shows its recording and
// zooms to its place. For a pulse track made from engine sound, the spectrogram of its source
// with the tracked firing order above the plot, and a one-line note where the source cannot be
// shown. Owns the traces it is given.
class RecordingView : public QWidget {
  Q_OBJECT

 public:
  explicit RecordingView(QWidget* parent = nullptr);

  void SetRecordings(std::vector<RecordingTrace> recordings, std::vector<RunFinding> runFindings);
  void ShowRecording(int index);
  // What clicking finding index does.
  void GoToFinding(int index);

  // What recording index came from: the picture of its engine sound (nullptr: none, or not yet),
  // and a note (empty: none). Until set for a recording, it shows neither.
  void SetEngineSound(int index, std::shared_ptr<const EngineSoundPicture> picture, const QString& note);

  RecordingPlot& Plot() { return *plot; }
  SpectrogramPlot& Source() { return *source; }
  QString SourceNote() const;
  int RecordingShown() const { return shown; }

 private:
  struct EngineSound {
    std::shared_ptr<const EngineSoundPicture> picture;
    QString note;
  };

  void ShowEngineSound();

  std::vector<RecordingTrace> traces;
  std::vector<EngineSound> engineSounds;  // by recording
  std::vector<RunFinding> findings;
  int shown = -1;
  QComboBox* choice = nullptr;
  QLabel* about = nullptr;
  QLabel* note = nullptr;
  SpectrogramPlot* source = nullptr;
  RecordingPlot* plot = nullptr;
  QListWidget* findingList = nullptr;
};

}  // namespace ruvo
