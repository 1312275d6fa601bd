#pragma once

#include <QRect>

class QFont;
class QWidget;

namespace ruvo {

// Places controls given in dialog units: x and widths in quarters of the font's average
// character width, y and heights in eighths of its line height, so a form keeps its proportions
// at any font size.
class DialogUnits {
 public:
  // Base units in pixels (average character width, line height).
  DialogUnits(int charWidth, int charHeight);
  explicit DialogUnits(const QFont& font);

  QRect ToPixels(int x, int y, int width, int height) const;

  // Gives widget the rectangle; returns widget for chaining.
  template <typename Widget>
  Widget* Place(Widget* widget, int x, int y, int width, int height) const {
    widget->setGeometry(ToPixels(x, y, width, height));
    return widget;
  }

  int charWidth;
  int charHeight;
};

// Desktop fonts are wider than the ones the templates were drawn for: a control whose text
// overruns its rectangle gets a smaller font, down to three quarters of its own, rather than
// losing its last characters.
void FitText(QWidget& control);

}  // namespace ruvo
