#include "fitting/error_sink.h"

#include <utility>

namespace ruvo {
namespace {

ErrorObserver& InstalledObserver() {
  thread_local ErrorObserver observer;  // calculations on other threads report to their own
  return observer;
}

}  // namespace

std::int32_t ErrorSink(std::string_view library,
                       std::string_view routine,
                       std::string_view message,
                       std::int32_t errorNumber,
                       std::int32_t level) {
  if (const ErrorObserver& observer = InstalledObserver()) observer({library, routine, message, errorNumber, level});
  return 0;
}

ErrorObserver SetErrorObserver(ErrorObserver observer) {
  return std::exchange(InstalledObserver(), std::move(observer));
}

}  // namespace ruvo
