#pragma once

#include <cstdarg>
#include <string>

namespace ruvo {

// printf-style formatting into a string, independent of the process locale: numbers always use
// a decimal point. Supports the flags "-+ 0#", width, precision (also "*"), the length modifiers
// "l" and "ll", and the conversions d i u x X f F e E g G c s %. Floating-point conversions are
// correctly rounded, as glibc's printf is, so files are byte-identical on every machine.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same conversions appended to out, so that a text built line by line needs no temporary
// string per line.
void AppendText(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendTextV(std::string& out, const char* format, va_list args);

}  // namespace ruvo
