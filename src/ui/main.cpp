#include <QApplication>
#include <QStandardPaths>
#include <clocale>

#include "ui/desktop_messages.h"
#include "ui/desktop_settings.h"
#include "ui/ruvo_app.h"

// ruvo [document.dat]: the desktop application.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // Qt adopts the user's locale; numbers in files and boxes must keep their decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setOrganizationName(QStringLiteral("Tammel Ruvo"));
  QApplication::setApplicationName(QStringLiteral("Ruvo"));

  ruvo::InstallDesktopMessages();
  ruvo::DesktopSettings settings;
  ruvo::CRuvoApp ruvoApp(settings, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                         QApplication::applicationFilePath());
  if (!ruvoApp.InitInstance(QApplication::arguments().mid(1))) return 1;
  const int status = QApplication::exec();
  ruvoApp.ExitInstance();
  return status;
}
