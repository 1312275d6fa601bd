#include "core/run_document.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/line_reader.h"
#include "core/text_format.h"
#include "core/text_scan.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kValueColumn = 21;    // every value starts after a 21-character key
constexpr std::size_t kVersionColumn = 15;  // the "2" of "v2.0" in the first line

// The key of a wave file line: 21 characters up to number 99, one wider per further digit.
std::string WavePrefix(std::int32_t number) {
  return FormatText("# Wave File No. %2i : ", number);
}

std::string TextFrom(const std::string& line, std::size_t column) {
  return line.size() > column ? line.substr(column) : std::string();
}

// Reads the lines of a document one at a time; every read reports whether a line was there.
class DocumentLines {
 public:
  explicit DocumentLines(std::istream& stream) : in(stream) {}

  bool Next() { return ReadLine(in, line); }
  const std::string& Line() const { return line; }
  std::string Value() const { return TextFrom(line, kValueColumn); }

  bool Double(double& field) {
    if (!Next()) return false;
    ScanDouble(Value(), field);
    return true;
  }

  bool Int(std::int32_t& field) {
    if (!Next()) return false;
    ScanInt(Value(), field);
    return true;
  }

 private:
  std::istream& in;
  std::string line;
};

// The weather lines that may follow the last parameter line, in the order they are written.
struct ConditionLine {
  const char* key;  // 21 characters, as every parameter key
  std::optional<double> AirConditions::*field;
};
constexpr std::array<ConditionLine, 4> kConditionLines{{
    {"# Air Temp. (deg C): ", &AirConditions::temperatureC},
    {"# Air Press. (hPa) : ", &AirConditions::pressureHpa},
    {"# Rel. Humidity (%): ", &AirConditions::humidityPercent},
    {"# Altitude (m)     : ", &AirConditions::altitudeM},
}};

// Reads the condition lines that follow the parameter lines, each key at most once, and leaves
// the stream at the first line that is none of them (the result table, or the spark lines before
// it). A value that does not convert to a finite number leaves its condition unset. A stream
// that cannot go back a line (no position) is left unread.
AirConditions ReadConditionLines(std::istream& in) {
  AirConditions conditions;
  std::array<bool, kConditionLines.size()> seen{};
  std::string line;
  for (;;) {
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1)) return conditions;
    std::size_t index = kConditionLines.size();
    if (ReadLine(in, line))
      for (index = 0; index < kConditionLines.size(); ++index)
        if (!seen[index] && line.starts_with(kConditionLines[index].key)) break;
    if (index == kConditionLines.size()) {
      in.clear();
      in.seekg(start);
      return conditions;
    }
    seen[index] = true;
    double value = 0.0;
    if (ScanDouble(TextFrom(line, kValueColumn), value) && std::isfinite(value))
      conditions.*kConditionLines[index].field = value;
  }
}

std::string WithoutLineBreaks(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

}  // namespace

std::int32_t ReadRunDocument(std::istream& in, RunParameters& params) {
  DocumentLines lines(in);
  if (!lines.Next()) return 0;
  const std::string& first = lines.Line();
  const int version = first.size() > kVersionColumn && first[kVersionColumn] == '2' ? 2 : 1;
  params.description = lines.Value();

  for (double* field : {&params.vehicleWeight, &params.revsPerIgnition, &params.axleRatio, &params.gearRatio,
                        &params.wheelDiameter, &params.tireAspectRatio, &params.tireWidth, &params.dragCoefficient,
                        &params.frontalArea, &params.frictionLossHp})
    if (!lines.Double(*field)) return 0;
  if (!lines.Int(params.frictionLossRpm) || !lines.Double(params.frictionLossExponent) ||
      !lines.Int(params.smoothingMethod) || !lines.Int(params.smoothingLevel) || !lines.Int(params.initialRpm) ||
      !lines.Int(params.finalRpm) || !lines.Double(params.maxPulseLength))
    return 0;

  params.conditions = {};      // a document without condition lines has none
  std::int32_t waveCount = 0;  // a count that does not convert counts as 0
  if (!lines.Int(waveCount)) return 0;
  params.waveFiles.clear();
  for (std::int32_t number = 1; number <= waveCount; ++number) {
    if (!lines.Next()) return 0;
    params.waveFiles.push_back(TextFrom(lines.Line(), WavePrefix(number).size()));
  }
  if (version == 1) return 1;

  if (!lines.Int(params.calculationMode) || !lines.Double(params.rollingCoefficient) ||
      !lines.Double(params.drivetrainLoss) || !lines.Int(params.smoothingRpm))
    return 0;
  params.conditions = ReadConditionLines(in);
  return 1;
}

std::int32_t WriteRunDocument(std::ostream& out, const RunParameters& params) {
  out << "# Tammel Ruvo v2.0 : " << WithoutLineBreaks(params.description) << "\n";
  out << FormatText("# Vehicle Weight   : %f\n", params.vehicleWeight);
  out << FormatText("# Revs/Ignition    : %f\n", params.revsPerIgnition);
  out << FormatText("# Axle Ratio       : %f\n", params.axleRatio);
  out << FormatText("# Gear Ratio       : %f\n", params.gearRatio);
  out << FormatText("# Wheel Diameter   : %f\n", params.wheelDiameter);
  out << FormatText("# Tire Aspect Ratio: %f\n", params.tireAspectRatio);
  out << FormatText("# Tire Width       : %f\n", params.tireWidth);
  out << FormatText("# Drag Coefficient : %f\n", params.dragCoefficient);
  out << FormatText("# Frontal Area     : %f\n", params.frontalArea);
  // "Fricion" is the file format's own spelling: documents in use carry it, so it must stay.
  out << FormatText("# HP Fricion Loss  : %f\n", params.frictionLossHp);
  out << FormatText("# HP Loss @ RPM of : %d\n", params.frictionLossRpm);
  out << FormatText("# HP Loss Exponent : %f\n", params.frictionLossExponent);
  out << FormatText("# Smoothing Method : %d\n", params.smoothingMethod);
  out << FormatText("# Smoothing Level  : %d\n", params.smoothingLevel);
  out << FormatText("# Est. Initial RPM : %d\n", params.initialRpm);
  out << FormatText("# Est. Final RPM   : %d\n", params.finalRpm);
  out << FormatText("# Max Pulse Length : %f\n", params.maxPulseLength);
  out << FormatText("# Number Wave Files: %i\n", static_cast<int>(params.waveFiles.size()));
  std::int32_t number = 1;
  for (const std::string& path : params.waveFiles) out << WavePrefix(number++) << WithoutLineBreaks(path) << "\n";
  out << FormatText("# Calculation Mode : %d\n", params.calculationMode);
  out << FormatText("# Coef. Roll. Resis: %f\n", params.rollingCoefficient);
  out << FormatText("# Drivetrain Loss  : %f\n", params.drivetrainLoss);
  out << FormatText("# Smoothing RPM    : %d\n", params.smoothingRpm);
  for (const ConditionLine& line : kConditionLines)
    if (const std::optional<double>& value = params.conditions.*line.field)
      out << line.key << FormatText("%f\n", *value);
  return 1;
}

std::string RebaseWavePath(const std::string& path, const std::string& listFolder, const std::string& documentFolder) {
  const fs::path wave(path);
  if (path.empty() || wave.is_absolute()) return path;
  const fs::path list = fs::path(listFolder).lexically_normal();
  const fs::path document = fs::path(documentFolder).lexically_normal();
  if (list == document) return path;
  const fs::path absolute = (list / wave).lexically_normal();
  const fs::path relative = absolute.lexically_relative(document);
  if (!relative.empty() && *relative.begin() != "..") return relative.string();
  return absolute.string();
}

std::string ListedWavePath(const std::string& folder, const std::string& listed) {
  if (listed.empty() || fs::path(listed).is_absolute()) return listed;
  return (fs::path(folder) / listed).string();
}

RunDocument::RunDocument(RunParameters& heldParams, std::string startFolder, ResultTableSource* resultSource)
    : params(heldParams), results(resultSource) {
  fs::path start = fs::path(startFolder).lexically_normal();
  if (!start.has_filename() && start.has_relative_path()) start = start.parent_path();  // "/runs/" is "/runs"
  folder = start.string();
}

std::string RunDocument::Resolved(const std::string& path) const {
  return (fs::path(folder) / path).lexically_normal().string();
}

Outcome RunDocument::OpenRunDocument(const std::string& path) {
  const std::string absolutePath = Resolved(path);
  std::error_code error;
  std::ifstream in(absolutePath, std::ios::binary);
  if (!in || fs::is_directory(absolutePath, error)) return Outcome::Failure("Not able to open - " + path);
  RunParameters scratch = params;
  if (!ReadRunDocument(in, scratch)) return Outcome::Failure("Invalid ruvo file - " + path);
  std::string tail(std::istreambuf_iterator<char>(in), {});
  folder = fs::path(absolutePath).parent_path().string();
  documentPath = absolutePath;
  params = std::move(scratch);
  keptTail = std::move(tail);
  if (results) results->DiscardResults();
  return {};
}

Outcome RunDocument::SaveRunDocument(const std::string& path) {
  documentPath = path;
  Outcome saved = SaveToCurrentPath();
  const fs::path target = Resolved(documentPath);
  if (saved && target.parent_path() != fs::path(folder)) {
    for (std::string& wave : params.waveFiles) wave = RebaseWavePath(wave, folder, target.parent_path().string());
    folder = target.parent_path().string();
    documentPath = target.string();
  }
  return saved;
}

Outcome RunDocument::SaveToCurrentPath() {
  const fs::path target = Resolved(documentPath);
  const auto fail = [this](const fs::path& temporary) {
    std::error_code ignored;
    if (!temporary.empty()) fs::remove(temporary, ignored);
    return Outcome::Failure("Not able to open - " + documentPath);
  };
  std::error_code error;
  if (fs::is_directory(target, error)) return fail({});
  if (fs::exists(target, error) && !std::ofstream(target, std::ios::binary | std::ios::app)) return fail({});

  RunParameters stored = params;
  for (std::string& wave : stored.waveFiles) wave = RebaseWavePath(wave, folder, target.parent_path().string());

  const fs::path temporary = target.string() + ".saving";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return fail({});
    WriteRunDocument(out, stored);
    if (results && results->AppendResultTable(out))
      keptTail.clear();  // the new results replace the opened document's table for good
    else
      out << keptTail;
    out.close();
    if (out.fail()) return fail(temporary);
  }
  fs::rename(temporary, target, error);
  if (error) return fail(temporary);
  return {};
}

}  // namespace ruvo
