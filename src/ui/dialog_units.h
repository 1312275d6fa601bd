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

// Desktop fonts are wider than the ones the templates were drawn for. When a label or button of
// dialog (placed in dialog units, dialog sized to fit) needs more width than its rectangle, every
// control's x and width and the dialog's width grow by the largest such ratio, so all texts show
// whole in one font and the template keeps its proportions.
void WidenToFitTexts(QWidget& dialog);

}  // namespace ruvo
