// Reading any text as a run document never fails unsafely, and what is read writes back stably:
// writing, reading and writing again gives the same text.
#include <cstdint>
#include <sstream>
#include <string>

#include "core/run_document.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  ruvo::RunParameters params;
  if (!ruvo::ReadRunDocument(in, params)) return 0;
  std::ostringstream first;
  ruvo::WriteRunDocument(first, params);
  ruvo::RunParameters reread;
  std::istringstream again(first.str());
  ruvo::fuzz::Require(ruvo::ReadRunDocument(again, reread) == 1, "a written document reads back");
  std::ostringstream second;
  ruvo::WriteRunDocument(second, reread);
  ruvo::fuzz::Require(first.str() == second.str(), "write(read(write(x))) == write(x)");
  return 0;
}
