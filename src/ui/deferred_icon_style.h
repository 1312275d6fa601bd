#pragma once

#include <QProxyStyle>

namespace ruvo {

// The application's style, with the toolbar's overflow arrows read only when first drawn. A style
// reads its icons through Qt's image plugins, and loading those (SVG, GIF, ICO, JPEG) while the
// main window is built would delay its first appearance by about 10 ms: the toolbar asks for its
// arrow as it is made, long before the arrow can show.
class DeferredIconStyle : public QProxyStyle {
 public:
  // key: the style to look like (QStyle::name() of the style Qt chose or was told to use).
  explicit DeferredIconStyle(const QString& key);

  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;
};

}  // namespace ruvo
