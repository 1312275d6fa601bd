#include "ui/dialog_units.h"

#include <QAbstractButton>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// The average width of the 52 Latin letters, rounded.
int AverageCharWidth(const QFontMetrics& metrics) {
  const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (width + 26) / 52;
}

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DialogUnits::DialogUnits(int width, int height) : charWidth(width), charHeight(height) {}

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(AverageCharWidth(QFontMetrics(font)), QFontMetrics(font).height()) {}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  return {ScaleRounded(x, charWidth, 4), ScaleRounded(y, charHeight, 8), ScaleRounded(width, charWidth, 4),
          ScaleRounded(height, charHeight, 8)};
}

void WidenToFitTexts(QWidget& dialog) {
  const QList<QWidget*> controls = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  double factor = 1.0;
  for (QWidget* control : controls) {
    if (!qobject_cast<QLabel*>(control) && !qobject_cast<QAbstractButton*>(control)) continue;
    if (control->width() > 0) factor = std::max(factor, double(control->sizeHint().width()) / control->width());
  }
  if (factor <= 1.0) return;
  const auto widen = [factor](int value) { return static_cast<int>(std::lround(value * factor)); };
  for (QWidget* control : controls) {
    const QRect at = control->geometry();
    control->setGeometry(widen(at.x()), at.y(), widen(at.right() + 1) - widen(at.x()), at.height());
  }
  dialog.setFixedSize(widen(dialog.width()), dialog.height());
}

}  // namespace ruvo
