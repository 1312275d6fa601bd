#pragma once

#include <optional>
#include <string>

class QWidget;

namespace ruvo {

// Makes a recording the user adds ready for the calculation. A file that exists and is not an
// 8-bit mono WAV is, after asking once, converted with the default conditioning into one beside the
// run document (the working folder), behind a progress dialog with Cancel for conversions of more
// than half a second. Returns the path to list: the converted file's, or path itself when nothing
// needed converting or the user kept the file as it is; nothing when the conversion failed (its
// message shown) or was cancelled.
std::optional<std::string> ReadyForCalculation(QWidget* parent, const std::string& path);

}  // namespace ruvo
