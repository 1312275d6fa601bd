#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

// One row of a logger's table below its header: the cells as written (unquoted, blanks trimmed,
// a decimal comma already turned into a point) and the file line it came from, from 1.
struct LogRow {
  int line = 0;
  std::vector<std::string> cells;  // as many as the header has columns; blank where the logger wrote none
};

// The delimited text a logger wrote: the header's column names and the rows under it.
struct LogTable {
  char delimiter = ',';
  bool decimalComma = false;  // numbers were written "12,5"
  int headerLine = 0;         // file line of the header, from 1
  std::vector<std::string> names;
  std::vector<LogRow> rows;
};

// Reads the delimited text of an engine-speed logger: a comma, semicolon or tab as delimiter
// (whichever splits most lines alike), a decimal comma where the delimiter is not a comma,
// quoted fields ("" inside quotes is one quote), a UTF-8 byte-order mark, "\n", "\r\n" or "\r"
// line ends, and any preamble before the header (the last line with the table's column count
// above the first row of values, where a row of values begins with one and holds at least half). Rows hold text, not
// numbers; blank lines are skipped. Returns false with one line in error ("line N: ...", or what the text is instead)
// for binary data, Ruvo's own calculation log, text without a table of at least two columns, or no header.
bool ReadLogTable(std::string_view text, LogTable& table, std::string& error);

// A header name split into its words and its unit: "Engine RPM (rpm)" is "engine rpm" and "rpm",
// "Time [ms]" is "time" and "ms", "time_us" is "time" and "us"; both lower case (ASCII), words
// joined by single blanks. A unit is what stands in the last brackets or parentheses, or a last
// word of at most four letters after "_".
struct HeaderName {
  std::string words;
  std::string unit;
};
HeaderName SplitHeaderName(std::string_view name);

// Whether the start of a file is text that a logger could have written, rather than the bytes of
// an audio file: no NUL byte and no control characters other than tab and line ends.
bool LooksLikeText(std::string_view head);

}  // namespace ruvo
