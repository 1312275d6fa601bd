#include "tracking/log_table.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCalculationLogStart = "#Ruvo Log file";
constexpr char kDelimiters[] = {'\t', ';', ','};  // preferred in this order when they split alike

struct TextLine {
  int number = 0;
  std::string_view text;
};

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The non-blank lines with their numbers; "\n", "\r\n" and a lone "\r" end a line.
std::vector<TextLine> SplitLines(std::string_view text) {
  std::vector<TextLine> lines;
  int number = 1;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    if (!Trim(line).empty()) lines.push_back({number, line});
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++number;
  }
  return lines;
}

// The fields of a line: split at delimiter outside double quotes, unquoted, blanks trimmed.
std::vector<std::string> SplitFields(std::string_view line, char delimiter) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == delimiter && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) field = std::string(Trim(field));
  return fields;
}

// A cell a logger writes as a value: a number, a clock time or a date, which all start so.
bool LooksLikeValue(const std::string& cell) {
  return !cell.empty() &&
         (std::isdigit(static_cast<unsigned char>(cell[0])) || cell[0] == '-' || cell[0] == '+' || cell[0] == '.');
}

// A row of values: at least two fields, the first filled one and at least half of them values
// (a logger may add a column of text, such as a GPS fix's state).
bool IsDataRow(const std::vector<std::string>& fields) {
  if (fields.size() < 2) return false;
  std::size_t filled = 0, values = 0;
  for (const std::string& field : fields) {
    if (field.empty()) continue;
    if (filled == 0 && !LooksLikeValue(field)) return false;
    ++filled;
    values += LooksLikeValue(field) ? 1 : 0;
  }
  return filled > 0 && 2 * values >= filled;
}

// How well delimiter splits the lines: the number of data rows of the most common field count.
std::size_t DelimiterScore(const std::vector<TextLine>& lines, char delimiter, std::size_t& columns) {
  std::map<std::size_t, std::size_t> counts;
  for (const TextLine& line : lines) {
    const std::vector<std::string> fields = SplitFields(line.text, delimiter);
    if (IsDataRow(fields)) ++counts[fields.size()];
  }
  std::size_t best = 0;
  for (const auto& [size, count] : counts)
    if (count > best) {
      best = count;
      columns = size;
    }
  return best;
}

bool IsDecimalCommaNumber(const std::string& cell) {
  const std::size_t comma = cell.find(',');
  if (comma == std::string::npos || comma == 0 || comma + 1 == cell.size() || cell.find('.') != std::string::npos)
    return false;
  return std::all_of(cell.begin() + static_cast<std::ptrdiff_t>(comma) + 1, cell.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Words of text split at blanks, underscores, dots and hyphens, joined by single blanks.
std::string JoinWords(std::string_view text) {
  std::string words;
  bool gap = false;
  for (const char c : text) {
    if (c == ' ' || c == '_' || c == '.' || c == '-' || c == '\t') {
      gap = !words.empty();
      continue;
    }
    if (gap) words += ' ';
    gap = false;
    words += c;
  }
  return words;
}

}  // namespace

HeaderName SplitHeaderName(std::string_view name) {
  const std::string lower = Lower(Trim(name));
  const std::size_t close = lower.find_last_of(")]");
  const std::size_t open =
      close == std::string::npos ? close : lower.find_last_of(lower[close] == ')' ? '(' : '[', close);
  if (open != std::string::npos)
    return {JoinWords(lower.substr(0, open)), std::string(Trim(lower.substr(open + 1, close - open - 1)))};
  const std::size_t underscore = lower.rfind('_');
  if (underscore != std::string::npos && underscore > 0 && lower.size() - underscore - 1 <= 4)
    return {JoinWords(lower.substr(0, underscore)), lower.substr(underscore + 1)};
  return {JoinWords(lower), {}};
}

bool LooksLikeText(std::string_view head) {
  return std::none_of(head.begin(), head.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && c != '\t' && c != '\n' && c != '\r';
  });
}

bool ReadLogTable(std::string_view text, LogTable& table, std::string& error) {
  table = LogTable{};
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (!LooksLikeText(text)) {
    error = "binary data, not the text of an engine-speed log";
    return false;
  }
  if (text.starts_with(kCalculationLogStart)) {
    error = "this is Ruvo's own calculation log (ruvo.log), not an engine-speed log";
    return false;
  }
  const std::vector<TextLine> lines = SplitLines(text);
  std::size_t bestScore = 0;
  std::size_t columns = 0;
  for (const char delimiter : kDelimiters) {
    std::size_t size = 0;
    const std::size_t score = DelimiterScore(lines, delimiter, size);
    if (score > bestScore) {
      bestScore = score;
      columns = size;
      table.delimiter = delimiter;
    }
  }
  if (bestScore == 0) {
    error = "no rows of numbers in columns separated by commas, semicolons or tabs";
    return false;
  }
  // The header: the last line with the table's column count before the first row of numbers.
  std::size_t first = 0;
  while (!IsDataRow(SplitFields(lines[first].text, table.delimiter))) ++first;
  std::size_t header = first;
  for (std::size_t i = first; i-- > 0;)
    if (SplitFields(lines[i].text, table.delimiter).size() == columns) {
      header = i;
      break;
    }
  if (header == first) {
    error = FormatText("line %d: no header row naming the columns above it", lines[first].number);
    return false;
  }
  table.headerLine = lines[header].number;
  table.names = SplitFields(lines[header].text, table.delimiter);
  for (std::size_t i = header + 1; i < lines.size(); ++i) {
    LogRow row{lines[i].number, SplitFields(lines[i].text, table.delimiter)};
    while (row.cells.size() > columns && row.cells.back().empty()) row.cells.pop_back();
    if (row.cells.size() > columns) {
      error = FormatText("line %d: %zu fields, the header has %zu", row.line, row.cells.size(), columns);
      return false;
    }
    row.cells.resize(columns);
    table.decimalComma = table.decimalComma || (table.delimiter != ',' &&
                                                std::any_of(row.cells.begin(), row.cells.end(), IsDecimalCommaNumber));
    table.rows.push_back(std::move(row));
  }
  if (table.decimalComma)
    for (LogRow& row : table.rows)
      for (std::string& cell : row.cells) std::replace(cell.begin(), cell.end(), ',', '.');
  return true;
}

}  // namespace ruvo
