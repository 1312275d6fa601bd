#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "tracking/engine_order_tracker.h"
#include "tracking/spectrogram.h"

namespace ruvo {

// The engine sound a pulse track was made from, as the Recording tab draws it.
struct EngineSoundPicture {
  Spectrogram spectrogram;          // of the source, mono
  std::vector<TrackFrame> frames;   // the firing order tracked in it; empty when none was found
  double firingsPerRevolution = 1;  // firing frequency in Hz = rpm / 60 * this
  double pullFromSeconds = 0.0;     // the pull the pulse track holds, in the source's time
  double pullToSeconds = 0.0;
};

// The spectrogram of a pulse track's source with the tracked firing frequency over it: white where
// the tracker was confident, red (with a red band along the bottom) where its confidence was below
// kLowConfidence, and the pull between two dashed lines; a notice instead while there is no
// picture. Shares the picture it is given. Single-threaded.
class SpectrogramPlot : public QWidget {
  Q_OBJECT

 public:
  explicit SpectrogramPlot(QWidget* parent = nullptr);

  void SetPicture(std::shared_ptr<const EngineSoundPicture> shown, const QString& notice = QString());
  const EngineSoundPicture* Picture() const { return picture.get(); }
  // The stretches drawn as low confidence, in seconds, as the red band marks them.
  std::vector<std::pair<double, double>> UnsureStretches() const;

  // Draws the plot into painter over a size-sized area; what paintEvent does.
  void Render(QPainter& painter, QSize size) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::shared_ptr<const EngineSoundPicture> picture;
  QImage levels;  // one column per frame, the highest bin at the top
  QString noticeText;
};

}  // namespace ruvo
