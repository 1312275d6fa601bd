// Reading any text as a run document's result table never fails unsafely, and a table that reads
// has rows of its column count whose CSV has one line per row plus the header.
#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "core/result_table.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ruvo::TableReadResult read = ruvo::ReadResultTable(text, "fuzz.dat");
  if (read.status == ruvo::TableReadStatus::kMalformed) {
    ruvo::fuzz::Require(!read.error.empty() && read.table.rows.empty(), "a malformed table says why, keeps no rows");
    return 0;
  }
  ruvo::fuzz::Require(read.error.empty(), "a read table has no error");
  for (const auto& row : read.table.rows)
    ruvo::fuzz::Require(row.size() == read.table.variables.size(), "every row has one number per column");
  std::ostringstream csv;
  ruvo::WriteTableCsv(csv, read.table);
  const std::string written = csv.str();
  const bool quotedNewline = std::any_of(read.table.variables.begin(), read.table.variables.end(),
                                         [](const std::string& v) { return v.find('\n') != std::string::npos; });
  if (!quotedNewline && read.status == ruvo::TableReadStatus::kRead)
    ruvo::fuzz::Require(
        static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n')) == read.table.rows.size() + 1,
        "one CSV line per row and the header");
  return 0;
}
