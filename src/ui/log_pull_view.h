#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>
#include <vector>

#include "tracking/log_pull.h"

namespace ruvo {

// A small picture of an engine-speed log: its updates against time in grey and the pull chosen
// for the calculation in red over them, with the time span and the highest speed at the axes; a
// line of text instead where there is nothing to draw. Single-threaded.
class LogPullView : public QWidget {
 public:
  explicit LogPullView(QWidget* parent = nullptr);

  void ShowPull(const SpeedUpdates& updates, const LogPull& pull);
  void ShowNothing(const QString& why);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<double> seconds;
  std::vector<double> rpm;
  std::size_t pullFirst = 0;  // indices into seconds and rpm, last included
  std::size_t pullLast = 0;
  QString note;
};

}  // namespace ruvo
