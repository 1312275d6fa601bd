#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ruvo {

// "table DOC.dat [--csv]": prints the result table of a saved run document as comma-separated
// values with a header row. A document without a table, or one whose table does not read, fails
// with its message on err. args starts with "table". Returns an exit status of ruvo-cli.
int RunTableCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ruvo
