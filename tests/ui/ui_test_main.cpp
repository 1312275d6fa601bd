#include <QApplication>
#include <QByteArray>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "ui_suites.h"

namespace {

struct Suite {
  const char* name;
  int (*run)(int, char**);
};

const Suite kSuites[] = {
    {"PlainRules", RunPlainRuleTests},     {"MainForm", RunMainFormTests},
    {"FormCalculation", RunFormCalculationTests}, {"SmoothingDialog", RunSmoothingDialogTests},
    {"Tools", RunToolTests},               {"Application", RunApplicationTests},
};

}  // namespace

// ruvo_ui_tests SUITE [Qt Test options]: runs one suite; without a name, all of them.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const char* wanted = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  // Qt Test sees the program name followed by the options after the suite name.
  char** options = wanted ? argv + 1 : argv;
  const int optionCount = wanted ? argc - 1 : argc;
  int failures = 0;
  bool found = false;
  for (const Suite& suite : kSuites) {
    if (wanted && std::strcmp(wanted, suite.name) != 0) continue;
    found = true;
    options[0] = argv[0];
    failures += suite.run(optionCount, options);
  }
  if (!found) std::fprintf(stderr, "no suite named %s\n", wanted);
  return found ? failures : 2;
}
