#pragma once

#include <functional>
#include <string>

namespace ruvo {

// Receives every message the user must see. The desktop shows a modal box captioned "Ruvo",
// the command line prints a line on standard error, tests record the texts.
using MessageHandler = std::function<void(const std::string& text)>;

// Shows one message through the installed handler (standard error until one is installed).
void ShowMessage(const std::string& text);

// Installs a handler and returns the previous one; an empty handler restores the default.
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace ruvo
