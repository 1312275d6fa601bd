#include "support/test_support.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace ruvo::test {

MessageCapture::MessageCapture()
    : previous(SetMessageHandler([this](const std::string& text) { texts.push_back(text); })) {}

MessageCapture::~MessageCapture() {
  SetMessageHandler(previous);
}

std::string Said(const Outcome& outcome) {
  std::string text;
  for (const std::string& message : outcome.messages()) text += (text.empty() ? "" : "; ") + message;
  return text;
}

TempFolder::TempFolder() : savedWorkingDirectory(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "ruvo-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  path = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::current_path(savedWorkingDirectory, ignored);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path, ignored);
}

WorkingFolder::WorkingFolder(const std::filesystem::path& path) : saved(std::filesystem::current_path()) {
  std::filesystem::current_path(path);
}

WorkingFolder::~WorkingFolder() {
  std::error_code ignored;
  std::filesystem::current_path(saved, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

testing::AssertionResult IsClose(double actual, double expected, double relative, double absolute) {
  const double allowed = std::max(absolute, relative * std::fabs(expected));
  if (std::fabs(actual - expected) <= allowed) return testing::AssertionSuccess();
  std::ostringstream text;
  text.precision(17);
  text << actual << " is not within " << allowed << " of " << expected;
  return testing::AssertionFailure() << text.str();
}

testing::AssertionResult AllClose(const std::vector<double>& actual,
                                  const std::vector<double>& expected,
                                  double relative,
                                  double absolute) {
  if (actual.size() != expected.size()) {
    return testing::AssertionFailure() << actual.size() << " values where " << expected.size() << " were expected";
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    testing::AssertionResult close = IsClose(actual[i], expected[i], relative, absolute);
    if (!close) return testing::AssertionFailure() << "element " << i << ": " << close.message();
  }
  return testing::AssertionSuccess();
}

}  // namespace ruvo::test
