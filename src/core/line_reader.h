#pragma once

#include <istream>
#include <string>

namespace ruvo {

// Reads one whole line of any length and removes its "\n" or "\r\n" end. A last line without
// a line end is returned whole. Returns false only when the stream holds no further line.
bool ReadLine(std::istream& in, std::string& line);

}  // namespace ruvo
