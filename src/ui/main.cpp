#include <QApplication>
#include <QStandardPaths>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "ruvo_version.h"
#include "ui/deferred_icon_style.h"
#include "ui/desktop_messages.h"
#include "ui/desktop_settings.h"
#include "ui/ruvo_app.h"

namespace {

constexpr const char* kUsage =
    "Usage: ruvo [DOCUMENT.dat]\n"
    "\n"
    "The Ruvo desktop dynamometer. Opens the run document named, or else the last document of the\n"
    "previous session.\n"
    "--help      show this help and exit\n"
    "--version   show the version and exit\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are accepted too.\n";

// --help and --version are answered before Qt looks for a display, so they work without one.
// Returns the exit status, or -1 when the application is to start.
int AnswerInformationOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("ruvo %s\n", ruvo::kRuvoVersion);
      return 0;
    }
  }
  return -1;
}

}  // namespace

// ruvo [document.dat]: the desktop application.
int main(int argc, char** argv) {
  if (const int status = AnswerInformationOption(argc, argv); status >= 0) return status;
  QApplication application(argc, argv);
  QApplication::setStyle(new ruvo::DeferredIconStyle(QApplication::style()->name()));
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
