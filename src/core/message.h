#pragma once

#include <functional>
#include <string>

#include "core/outcome.h"

namespace ruvo {

// Receives every message the user must see; only the front ends show messages. The desktop shows
// a modal box captioned "Ruvo", the command line prints a line on standard error, tests record the
// texts.
using MessageHandler = std::function<void(const std::string& text)>;

// Shows one message through the installed handler (standard error until one is installed).
void ShowMessage(const std::string& text);

// Shows an engine operation's messages in their order; returns whether it succeeded.
bool ShowMessages(const Outcome& outcome);

// Installs a handler and returns the previous one; an empty handler restores the default.
MessageHandler SetMessageHandler(MessageHandler handler);

}  // namespace ruvo
