#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fitting/error_sink.h"

namespace ruvo::test {

// Records every ErrorSink report while alive and restores the previous observer afterwards.
class ErrorCapture {
 public:
  struct Record {
    std::string library;
    std::string routine;
    std::string message;
    std::int32_t errorNumber;
    std::int32_t level;
  };

  ErrorCapture()
      : previous(SetErrorObserver([this](const ErrorReport& report) {
          records.push_back({std::string(report.library), std::string(report.routine), std::string(report.message),
                             report.errorNumber, report.level});
        })) {}
  ~ErrorCapture() { SetErrorObserver(std::move(previous)); }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  const std::vector<Record>& Records() const { return records; }
  void Clear() { records.clear(); }

 private:
  std::vector<Record> records;
  ErrorObserver previous;
};

}  // namespace ruvo::test
