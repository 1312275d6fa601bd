#include "ui/deferred_icon_style.h"

#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace ruvo {
namespace {

// Stands in for one of a style's standard icons and asks the style for it at first use.
class DeferredStandardIcon : public QIconEngine {
 public:
  DeferredStandardIcon(QStyle* source, QStyle::StandardPixmap pixmap, const QStyleOption* asked)
      : style(source), which(pixmap) {
    if (asked) {
      option = *asked;  // the plain option's part: direction, state, palette
      option.styleObject = nullptr;  // may be gone by the time the icon is read
    }
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  bool isNull() override { return Icon().isNull(); }
  QIconEngine* clone() const override { return new DeferredStandardIcon(*this); }

 private:
  const QIcon& Icon() {
    if (!read) {
      // A style replaced since has nothing to give: the icon stays empty.
      if (style) icon = style->standardIcon(which, &option);
      read = true;
    }
    return icon;
  }

  QPointer<QStyle> style;
  QStyle::StandardPixmap which;
  QStyleOption option;
  QIcon icon;
  bool read = false;
};

}  // namespace

DeferredIconStyle::DeferredIconStyle(const QString& key) : QProxyStyle(key) {}

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
  // The arrows depend on nothing but the option's layout direction, which is kept.
  if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
    return QIcon(new DeferredStandardIcon(baseStyle(), icon, option));
  return QProxyStyle::standardIcon(icon, option, widget);
}

}  // namespace ruvo
