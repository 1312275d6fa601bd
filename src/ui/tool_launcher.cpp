#include "ui/tool_launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <cstdlib>

#include "core/message.h"
#include "desktop/tool_command.h"

namespace ruvo {

void LaunchTool(const SettingsStore& settings, const std::string& key, const std::string& fileName) {
  const std::vector<std::string> arguments = ToolArguments(GetSetting(settings, key), fileName);
  if (arguments.empty()) {
    ShowMessage("Must use Tools Setup to define action of this button");
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
