#include "core/message.h"

#include <cstdio>
#include <utility>

namespace ruvo {
namespace {

void PrintToStandardError(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fputc('\n', stderr);
}

MessageHandler& InstalledHandler() {
  static MessageHandler handler = PrintToStandardError;
  return handler;
}

}  // namespace

void ShowMessage(const std::string& text) {
  InstalledHandler()(text);
}

bool ShowMessages(const Outcome& outcome) {
  for (const std::string& text : outcome.messages()) ShowMessage(text);
  return outcome.ok();
}

MessageHandler SetMessageHandler(MessageHandler handler) {
  if (!handler) handler = PrintToStandardError;
  return std::exchange(InstalledHandler(), std::move(handler));
}

}  // namespace ruvo
