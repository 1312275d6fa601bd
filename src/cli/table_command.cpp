#include "cli/table_command.h"

#include "cli/cli_app.h"
#include "core/result_table.h"

namespace ruvo {

int RunTableCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string documentPath;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--csv") continue;  // the one output format
    if (!args[i].empty() && args[i][0] == '-') {
      err << "ruvo-cli: unknown option " << args[i] << "\n";
      return kExitUsage;
    }
    if (!documentPath.empty()) {
      err << "ruvo-cli: table reads one run document at a time\n";
      return kExitUsage;
    }
    documentPath = args[i];
  }
  if (documentPath.empty()) {
    err << "ruvo-cli: table needs a run document (.dat)\n";
    return kExitUsage;
  }
  const TableReadResult read = ReadResultTableFile(documentPath);
  switch (read.status) {
    case TableReadStatus::kRead:
      WriteTableCsv(out, read.table);
      return kExitSuccess;
    case TableReadStatus::kNoTable:
      err << NoResultsMessage(documentPath) << '\n';
      return kExitFailure;
    case TableReadStatus::kMalformed:
      break;
  }
  err << read.error << '\n';
  return kExitFailure;
}

}  // namespace ruvo
