#pragma once

#include <QString>
#include <QWidget>
#include <QPointF>
#include <vector>

#include "tracking/log_pull.h"
#include "tracking/pulse_track.h"

namespace ruvo {

// A small picture of an engine-speed log: its updates against time in grey and, in red over them,
// the interpolated speed of the pull chosen for the calculation, with the time span and the highest speed at the axes; a
// line of text instead where there is nothing to draw. Single-threaded.
class LogPullView : public QWidget {
 public:
  explicit LogPullView(QWidget* parent = nullptr);

  // frames: the interpolated log; span: the pull within them.
  void ShowPull(const SpeedUpdates& updates, const std::vector<TrackFrame>& frames, const PullSpan& span);
  void ShowNothing(const QString& why);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QPointF> updatePoints;  // seconds, rpm
  std::vector<QPointF> pullPoints;
  QString note;
};

}  // namespace ruvo
