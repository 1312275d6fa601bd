#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

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

void FitText(QWidget& control) {
  QFont font = control.font();
  const double smallest = font.pointSizeF() * 0.75;
  while (font.pointSizeF() > smallest && control.sizeHint().width() > control.width()) {
    font.setPointSizeF(font.pointSizeF() - 0.25);
    control.setFont(font);
  }
}

}  // namespace ruvo
