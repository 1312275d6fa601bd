#include "ui/desktop_messages.h"

#include <QApplication>

#include "core/message.h"
#include "ui/user_prompts.h"

namespace ruvo {

void InstallDesktopMessages() {
  SetMessageHandler(
      [](const std::string& text) { Prompts().Message(QApplication::activeWindow(), QString::fromStdString(text)); });
}

}  // namespace ruvo
