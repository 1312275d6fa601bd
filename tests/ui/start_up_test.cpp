// What the main window's start may and may not do: it loads no image-format plugin (each costs
// milliseconds before the window can appear), and the toolbar's overflow arrows it defers still
// look exactly as the style draws them.
#include <link.h>

#include <QApplication>
#include <QImage>
#include <QStyleOption>
#include <QToolBar>
#include <string>

#include "ui/deferred_icon_style.h"
#include "ui/main_frame.h"
#include "ui_support.h"

namespace ruvo {
namespace {

// Whether a shared object from Qt's image-format plugin folder is loaded in this process.
bool ImageFormatPluginLoaded() {
  bool loaded = false;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* found) {
        if (info->dlpi_name && std::string(info->dlpi_name).find("/imageformats/") != std::string::npos)
          *static_cast<bool*>(found) = true;
        return 0;
      },
      &loaded);
  return loaded;
}

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  // Runs first: nothing in this process has read an image yet.
  void MainWindowLoadsNoImagePlugin() {
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()->name()));
    QVERIFY(!ImageFormatPluginLoaded());
    CMainFrame frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(!ImageFormatPluginLoaded());
  }

  void DeferredArrowsMatchTheStyle() {
    const DeferredIconStyle deferred(QStringLiteral("Fusion"));
    for (const auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
      QStyleOption option;
      option.direction = direction;
      for (const auto arrow : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QImage expected = deferred.baseStyle()->standardIcon(arrow, &option).pixmap(16).toImage();
        const QIcon icon = deferred.standardIcon(arrow, &option, nullptr);
        QVERIFY(!icon.isNull());
        QVERIFY(!expected.isNull());
        QCOMPARE(icon.pixmap(16).toImage(), expected);
      }
    }
  }
};

RUVO_UI_SUITE("StartUp", StartUpTest);

}  // namespace
}  // namespace ruvo

#include "start_up_test.moc"
