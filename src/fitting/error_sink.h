#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace ruvo {

// One report of a numerical routine: library tag ("FITLIB"), routine name, message text, error
// number and level. The views are valid only during the observer call.
struct ErrorReport {
  std::string_view library;
  std::string_view routine;
  std::string_view message;
  std::int32_t errorNumber;
  std::int32_t level;
};

// Sees every report passed to ErrorSink while installed; tests use it to check the messages.
using ErrorObserver = std::function<void(const ErrorReport& report)>;

// Receives the error messages of the numerical routines and discards them: it writes nothing,
// shows nothing and keeps nothing, so callers learn of errors only through status values and
// results. Returns 0.
std::int32_t ErrorSink(std::string_view library,
                       std::string_view routine,
                       std::string_view message,
                       std::int32_t errorNumber,
                       std::int32_t level);

// Installs an observer of ErrorSink for the calling thread's reports and returns the previous one;
// an empty observer (the default) lets the reports vanish.
ErrorObserver SetErrorObserver(ErrorObserver observer);

}  // namespace ruvo
