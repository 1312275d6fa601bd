#pragma once

#include <fstream>
#include <string>

namespace ruvo {

// The diagnostic text file of one calculation (ruvo.log in the working directory). The driver
// opens it when a calculation starts and closes it at the end; every stage appends whole texts
// through the one handle. Write errors are not detected. Single-threaded.
class CalculationLog {
 public:
  static constexpr const char* kFileName = "ruvo.log";

  // Creates the file anew (an old log is truncated). Returns false when it cannot be created.
  bool Open(const std::string& path = kFileName);

  // Appends text unchanged; does nothing while the log is closed.
  void Write(const std::string& text);

  void Close();

  bool IsOpen() const { return file.is_open(); }

 private:
  std::ofstream file;
};

}  // namespace ruvo
