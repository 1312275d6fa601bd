#include "desktop/saved_summary.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <sstream>
#include <vector>

#include "core/number_text.h"
#include "core/result_table.h"
#include "core/run_document.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// Columns of the two tables, counted from 0.
constexpr std::size_t kPowerColumns = 10, kPowerRpm = 0, kPowerHp = 1, kPowerTorque = 2;
constexpr std::size_t kTimeColumns = 6, kTimeRpm = 3, kTimeSpeed = 4, kTimeAccel = 5;

// The numbers of one table row; empty when a word is not a number.
std::vector<double> RowNumbers(const std::string& line) {
  std::istringstream words(line);
  std::vector<double> numbers;
  for (std::string word; words >> word;) {
    double value = 0.0;
    if (!ParseReal(word, value)) return {};
    numbers.push_back(value);
  }
  return numbers;
}

int RpmOf(double rpm) {
  return static_cast<int>(
      std::clamp(rpm, double{std::numeric_limits<int>::min()}, double{std::numeric_limits<int>::max()}));
}

}  // namespace

std::optional<SummaryLines> SummarizeResultTable(std::string_view tableText) {
  std::istringstream in{std::string(tableText)};
  std::string line, variables;
  while (std::getline(in, line) && !line.starts_with("Variables=")) {
  }
  if (!std::getline(in, variables)) return std::nullopt;
  const auto names = [&variables](ResultColumn column) {
    return variables.find('"' + std::string(ColumnName(column)) + '"') != std::string::npos;
  };
  const bool power = names(ResultColumn::kHorsepower), time = names(ResultColumn::kTime);
  if (!power && !time) return std::nullopt;

  std::vector<std::vector<double>> rows;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<double> row = RowNumbers(line);
    if (row.size() == (power ? kPowerColumns : kTimeColumns)) rows.push_back(std::move(row));
  }
  if (rows.empty()) return std::nullopt;

  // The same running maxima (from 0, the lowest rpm from the first row) as the calculation keeps.
  if (power) {
    double bestHp = 0.0, bestHpRpm = 0.0, bestTorque = 0.0, bestTorqueRpm = 0.0;
    for (const std::vector<double>& row : rows) {
      if (row[kPowerHp] > bestHp) bestHp = row[kPowerHp], bestHpRpm = row[kPowerRpm];
      if (row[kPowerTorque] > bestTorque) bestTorque = row[kPowerTorque], bestTorqueRpm = row[kPowerRpm];
    }
    return SummaryLines{FormatText("        Max HP:%6.1f hp @ %i rpm", bestHp, RpmOf(bestHpRpm)),
                        FormatText("  Max Torque:%6.1f ft-lb @ %i rpm", bestTorque, RpmOf(bestTorqueRpm))};
  }
  double lowestRpm = rows.front()[kTimeRpm], highestRpm = 0.0, highestSpeed = 0.0, highestAccel = 0.0;
  for (const std::vector<double>& row : rows) {
    lowestRpm = std::min(lowestRpm, row[kTimeRpm]);
    highestRpm = std::max(row[kTimeRpm], highestRpm);
    highestSpeed = std::max(row[kTimeSpeed], highestSpeed);
    highestAccel = std::max(row[kTimeAccel], highestAccel);
  }
  return SummaryLines{FormatText(" RPM range:%8.1f  to%8.1f", lowestRpm, highestRpm),
                      FormatText("Max Speed:%6.1f mph, Max Accel:%6.3fg", highestSpeed, highestAccel)};
}

std::optional<SummaryLines> SavedSummary(std::istream& document) {
  RunParameters scratch;
  if (!ReadRunDocument(document, scratch)) return std::nullopt;
  return SummarizeResultTable(std::string(std::istreambuf_iterator<char>(document), {}));
}

}  // namespace ruvo
