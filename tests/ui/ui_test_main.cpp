#include <QApplication>
#include <clocale>

#include "ui_support.h"

// ruvo_ui_tests SUITE [Qt Test options]: runs one suite; Qt Test sees the options after the name.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const auto suite = argc > 1 ? ruvo::test::suites.find(argv[1]) : ruvo::test::suites.end();
  if (suite == ruvo::test::suites.end()) return 2;  // no such suite
  argv[1] = argv[0];
  return suite->second(argc - 1, argv + 1);
}
