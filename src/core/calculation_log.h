#pragma once

#include <fstream>
#include <string>
#include <string_view>

#include "core/text_format.h"

namespace ruvo {

// The diagnostic text file of one calculation (ruvo.log in the run document's folder). The driver
// opens it when a calculation starts and closes it at the end; every stage appends whole texts
// through the one handle. Texts are gathered in memory and handed to the file in large pieces, so
// the file is complete only after Close (or destruction). Write errors are not detected.
// Single-threaded.
class CalculationLog {
 public:
  static constexpr const char* kFileName = "ruvo.log";

  CalculationLog() = default;
  ~CalculationLog() { Close(); }
  CalculationLog(const CalculationLog&) = delete;
  CalculationLog& operator=(const CalculationLog&) = delete;

  // Creates the file anew (an old log is truncated). Returns false when it cannot be created.
  bool Open(const std::string& path);

  // Appends text unchanged; does nothing while the log is closed.
  void Write(std::string_view text);

  // Appends the text of a FormatText format and its arguments, without a temporary string; does
  // nothing while the log is closed.
  void WriteFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // The same for a format taken apart at compile time: log.WriteFormatted<"#%5i\n">(count).
  template <FormatLiteral kFormat, typename... Values>
  void WriteFormatted(const Values&... values) {
    if (!file.is_open()) return;
    AppendText<kFormat>(pending, values...);
    WritePendingIfFull();
  }

  // Writes what is gathered and closes the file.
  void Close();

 private:
  void WritePendingIfFull();

  std::ofstream file;
  std::string pending;  // appended text not yet handed to the file
};

}  // namespace ruvo
