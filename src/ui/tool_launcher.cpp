#include "ui/tool_launcher.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <cstdlib>

#include "core/message.h"
#include "desktop/tool_command.h"
#include "ui/tool_setup_dlg.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

// The button beside OK on the message that a tool has no command yet.
const char* const kToolSetupButton = QT_TRANSLATE_NOOP("ruvo::LaunchTool", "Tool Set&up\u2026");

}  // namespace

void LaunchTool(SettingsStore& settings, const std::string& key, const std::string& fileName) {
  const std::vector<std::string> arguments = ToolArguments(GetSetting(settings, key), fileName);
  if (arguments.empty()) {
    // Until the user confirms the setup once there is no command; the box leads straight to it.
    QWidget* parent = QApplication::activeWindow();
    if (Prompts().MessageWithAction(
            parent,
            QCoreApplication::translate("ruvo::LaunchTool", "Must use Tools Setup to define action of this button"),
            QCoreApplication::translate("ruvo::LaunchTool", kToolSetupButton))) {
      CToolSetupDlg dialog(settings, parent);
      Prompts().RunModal(dialog);
    }
    return;
  }
  const char* searchPath = std::getenv("PATH");
  const std::string program = FindToolProgram(arguments.front(), searchPath ? searchPath : "",
                                              QCoreApplication::applicationDirPath().toStdString());
  QStringList rest;
  for (std::size_t i = 1; i < arguments.size(); ++i) rest << QString::fromStdString(arguments[i]);
  if (program.empty() || !QProcess::startDetached(QString::fromStdString(program), rest, QDir::currentPath()))
    ShowMessage(ToolStartFailedMessage(arguments.front()));
}

}  // namespace ruvo
