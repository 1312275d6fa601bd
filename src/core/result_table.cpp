#include "core/result_table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/number_text.h"
#include "core/run_document.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

struct NamedColumn {
  ResultColumn column;
  std::string_view name;
};
constexpr NamedColumn kColumnNames[] = {
    {ResultColumn::kRpm, "RPM"},
    {ResultColumn::kHorsepower, "HP"},
    {ResultColumn::kTorque, "Torque"},
    {ResultColumn::kSpeed, "Speed"},
    {ResultColumn::kAcceleration, "Accel"},
    {ResultColumn::kAccelForce, "Faccel"},
    {ResultColumn::kDragForce, "Fdrag"},
    {ResultColumn::kFrictionForce, "Ffric"},
    {ResultColumn::kRollingForce, "Froll"},
    {ResultColumn::kForce, "Force"},
    {ResultColumn::kTime, "Time"},
    {ResultColumn::kCumulativeRevs, "CumRev"},
    {ResultColumn::kDistance, "Dist"},
};

// Splits text into lines without their "\n" or "\r\n" ends; a last line without an end counts.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    begin = end + 1;
  }
  return lines;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The text between the first and the last double quote after prefix; false when line does not
// start with prefix or has no closing quote.
bool QuotedValue(std::string_view line, std::string_view prefix, std::string& value) {
  if (!line.starts_with(prefix)) return false;
  const std::size_t open = line.find('"', prefix.size());
  const std::size_t close = line.rfind('"');
  if (open == std::string_view::npos || close == open) return false;
  value.assign(line.substr(open + 1, close - open - 1));
  return true;
}

// Appends the quoted names of a variables line; false when anything else stands on it.
bool AppendNames(std::string_view line, std::vector<std::string>& names) {
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
    if (line[at] != '"') return false;
    const std::size_t close = line.find('"', at + 1);
    if (close == std::string_view::npos) return false;
    names.emplace_back(line.substr(at + 1, close - at - 1));
    at = close + 1;
  }
  return true;
}

// The numbers of a row line, or a description of what is wrong with it.
bool ReadRow(std::string_view line, std::size_t columns, std::vector<double>& row, std::string& problem) {
  row.clear();
  std::size_t at = 0;
  while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
    std::size_t end = line.find_first_of(" \t", at);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view word = line.substr(at, end - at);
    double value = 0.0;
    if (!ParseReal(word, value)) {
      problem.assign(1, '"').append(word.substr(0, 20)).append("\" is not a number");
      return false;
    }
    row.push_back(value);
    at = end;
  }
  if (row.size() != columns) {
    problem = std::to_string(row.size()) + " numbers where the table has " + std::to_string(columns) + " columns";
    return false;
  }
  return true;
}

}  // namespace

std::string_view ColumnName(ResultColumn column) {
  for (const NamedColumn& named : kColumnNames)
    if (named.column == column) return named.name;
  return {};
}

std::optional<ResultColumn> ColumnNamed(std::string_view name) {
  for (const NamedColumn& named : kColumnNames)
    if (named.name == name) return named.column;
  return std::nullopt;
}

std::size_t ResultTable::Column(std::string_view name) const {
  const auto found = std::find(variables.begin(), variables.end(), name);
  return found == variables.end() ? npos : static_cast<std::size_t>(found - variables.begin());
}

TableReadResult ReadResultTable(std::string_view documentText, const std::string& name) {
  TableReadResult result;
  const auto fail = [&result, &name](std::size_t lineNumber, const std::string& what) {
    result.status = TableReadStatus::kMalformed;
    result.table = ResultTable();
    result.error = "Malformed result table in " + name + ", line " + std::to_string(lineNumber) + ": " + what;
    return result;
  };

  // The parameter lines first, read as the document reader reads them; the table follows them.
  std::istringstream document{std::string(documentText)};
  RunParameters params;
  if (!ReadRunDocument(document, params)) {
    result.status = TableReadStatus::kMalformed;
    result.error = "Invalid ruvo file - " + name;
    return result;
  }
  const std::streamoff consumed = document.tellg();
  const std::size_t tailStart =
      consumed < 0 ? documentText.size() : std::min(documentText.size(), static_cast<std::size_t>(consumed));
  const std::size_t firstLine =
      1 + static_cast<std::size_t>(std::count(documentText.begin(), documentText.begin() + tailStart, '\n'));
  const std::vector<std::string_view> lines = SplitLines(documentText.substr(tailStart));

  std::size_t k = 0;
  const auto lineNumber = [&k, firstLine] { return firstLine + k; };
  for (; k < lines.size() && (IsBlank(lines[k]) || lines[k].starts_with('#')); ++k)
    if (!IsBlank(lines[k])) result.table.notes.emplace_back(lines[k]);
  if (k == lines.size()) {
    result.table.notes.clear();
    return result;  // no table
  }

  ResultTable& table = result.table;
  table.initialRpm = params.initialRpm;
  table.finalRpm = params.finalRpm;
  table.conditions = params.conditions;
  if (!QuotedValue(lines[k], "Title=", table.title)) return fail(lineNumber(), "expected Title=\"...\"");
  if (++k == lines.size() || !lines[k].starts_with("Variables=")) return fail(lineNumber(), "expected Variables=");
  for (std::string_view names = lines[k].substr(10);; names = lines[k]) {
    if (!AppendNames(names, table.variables)) return fail(lineNumber(), "expected quoted column names");
    if (++k == lines.size()) return fail(lineNumber(), "expected Zone T=\"...\"");
    if (lines[k].starts_with("Zone")) break;
  }
  std::string zone;
  if (!QuotedValue(lines[k], "Zone T=", zone)) return fail(lineNumber(), "expected Zone T=\"...\"");
  if (table.variables.empty()) return fail(lineNumber(), "the table names no columns");

  std::vector<double> row;
  std::string problem;
  for (++k; k < lines.size(); ++k) {
    if (IsBlank(lines[k])) continue;
    if (!ReadRow(lines[k], table.variables.size(), row, problem)) return fail(lineNumber(), problem);
    table.rows.push_back(row);
  }
  result.status = TableReadStatus::kRead;
  return result;
}

std::vector<RowSpan> ResultTable::RowsOutsideEstimate() const {
  const std::size_t rpm = Column(ResultColumn::kRpm);
  if (!IsPowerTable() || rpm == npos || rows.empty()) return {};
  std::vector<RowSpan> outside;
  const double first = rows.front()[rpm], last = rows.back()[rpm];
  if (initialRpm > 0.0 && first < initialRpm) outside.push_back({first, std::min(initialRpm, last)});
  if (finalRpm > 0.0 && last > finalRpm) outside.push_back({std::max(finalRpm, first), last});
  return outside;
}

TableReadResult ReadResultTableFile(const std::string& path) {
  std::error_code error;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in && !std::filesystem::is_directory(path, error)) text << in.rdbuf();
  if (!in || in.bad() || std::filesystem::is_directory(path, error)) {
    TableReadResult failed;
    failed.status = TableReadStatus::kMalformed;
    failed.error = "Not able to open - " + path;
    return failed;
  }
  return ReadResultTable(text.str(), path);
}

std::ostream& WriteTableCsv(std::ostream& out, const ResultTable& table) {
  // Names with a comma or a quote are quoted, the quote doubled.
  for (std::size_t c = 0; c < table.variables.size(); ++c) {
    const std::string& variable = table.variables[c];
    if (c > 0) out << ',';
    if (variable.find_first_of(",\"") == std::string::npos) {
      out << variable;
      continue;
    }
    out << '"';
    for (const char ch : variable) out << (ch == '"' ? "\"\"" : std::string(1, ch));
    out << '"';
  }
  out << '\n';
  for (const std::vector<double>& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) out << (c > 0 ? "," : "") << FormatText("%.10g", row[c]);
    out << '\n';
  }
  return out;
}

std::string NoResultsMessage(const std::string& name) {
  return "No results in " + name + " - calculate it first";
}

}  // namespace ruvo
