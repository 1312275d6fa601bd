#include "cli/table_command.h"

#include <optional>

#include "calc/power_correction.h"
#include "cli/cli_app.h"
#include "core/number_text.h"
#include "core/result_table.h"

namespace ruvo {
namespace {

struct TableRequest {
  std::string documentPath;
  std::optional<CorrectionStandard> correction;
  AirConditions given;  // conditions on the command line, over the document's
  bool pressureGiven = false;
};

// The condition options and the field each sets.
struct ConditionOption {
  const char* name;
  std::optional<double> AirConditions::*field;
};
constexpr ConditionOption kConditionOptions[] = {
    {"--temperature", &AirConditions::temperatureC},
    {"--pressure", &AirConditions::pressureHpa},
    {"--humidity", &AirConditions::humidityPercent},
    {"--altitude", &AirConditions::altitudeM},
};

std::string StandardKeys() {
  std::string keys;
  for (const CorrectionStandard standard : CorrectionStandards())
    keys += (keys.empty() ? "" : ", ") + std::string(CorrectionKey(standard));
  return keys;
}

// Parses the arguments after "table"; nothing after a message on err.
std::optional<TableRequest> ParseTable(const std::vector<std::string>& args, std::ostream& err) {
  TableRequest request;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--csv") continue;  // the one output format
    const ConditionOption* condition = nullptr;
    for (const ConditionOption& option : kConditionOptions)
      if (arg == option.name) condition = &option;
    if (arg == "--correction" || condition) {
      if (i + 1 == args.size()) {
        err << "ruvo-cli: " << arg << " needs a value\n";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (!condition) {
        request.correction = CorrectionStandardNamed(value);
        if (request.correction) continue;
        err << "ruvo-cli: --correction needs one of " << StandardKeys() << "\n";
        return std::nullopt;
      }
      double number = 0.0;
      if (!ParseReal(value, number)) {
        err << "ruvo-cli: " << arg << " needs a number\n";
        return std::nullopt;
      }
      request.given.*condition->field = number;
      request.pressureGiven |= condition->field == &AirConditions::pressureHpa;
      continue;
    }
    if (!arg.empty() && arg[0] == '-') {
      err << "ruvo-cli: unknown option " << arg << "\n";
      return std::nullopt;
    }
    if (!request.documentPath.empty()) {
      err << "ruvo-cli: table reads one run document at a time\n";
      return std::nullopt;
    }
    request.documentPath = arg;
  }
  if (request.documentPath.empty()) {
    err << "ruvo-cli: table needs a run document (.dat)\n";
    return std::nullopt;
  }
  if (!request.correction && !request.given.IsEmpty()) {
    err << "ruvo-cli: --temperature, --pressure, --humidity and --altitude need --correction\n";
    return std::nullopt;
  }
  return request;
}

// The document's conditions with those given on the command line in their place. A pressure given
// there is a station pressure unless --altitude is given with it.
AirConditions ConditionsFor(const TableRequest& request, AirConditions conditions) {
  if (request.pressureGiven) conditions.altitudeM.reset();
  for (const ConditionOption& option : kConditionOptions)
    if (request.given.*option.field) conditions.*option.field = request.given.*option.field;
  return conditions;
}

}  // namespace

int RunTableCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::optional<TableRequest> request = ParseTable(args, err);
  if (!request) return kExitUsage;
  const TableReadResult read = ReadResultTableFile(request->documentPath);
  switch (read.status) {
    case TableReadStatus::kRead:
      break;
    case TableReadStatus::kNoTable:
      err << NoResultsMessage(request->documentPath) << '\n';
      return kExitFailure;
    case TableReadStatus::kMalformed:
      err << read.error << '\n';
      return kExitFailure;
  }
  if (!request->correction) {
    WriteTableCsv(out, read.table);
    return kExitSuccess;
  }
  const PowerCorrection correction = CorrectPower(*request->correction, ConditionsFor(*request, read.table.conditions));
  if (!correction.ok) {
    err << "ruvo-cli: " << correction.failure << " (--temperature, --pressure, or the document's conditions)\n";
    return kExitFailure;
  }
  err << "note: " << DescribeCorrection(correction) << '\n';
  for (const std::string& note : correction.notes) err << "note: " << note << '\n';
  WriteTableCsv(out, CorrectedTable(read.table, correction.factor));
  return kExitSuccess;
}

}  // namespace ruvo
