#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace ruvo {

// The two summary lines of a calculation, as the form shows them.
struct SummaryLines {
  std::string line1;
  std::string line2;
};

// The summary lines of a result table as a run document stores it after its parameter lines:
// the dynamometer table's best horsepower and torque with their rpm, or the tachometer table's
// rpm range, top speed and top acceleration, in the wording a calculation gives them. The numbers
// come from the table's rounded columns, so they may differ from the calculation's in the last
// digit. Nothing when the text holds no table or the table has no row.
std::optional<SummaryLines> SummarizeResultTable(std::string_view tableText);

// Reads a run document's parameter lines and summarizes the result table after them.
std::optional<SummaryLines> SavedSummary(std::istream& document);

}  // namespace ruvo
