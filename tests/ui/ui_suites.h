#pragma once

#include <QTest>
#include <map>
#include <string>

namespace ruvo::test {

// The Qt Test suites by name; "ruvo_ui_tests NAME" runs one (one CTest entry per suite). Defined
// ahead of every registration, so it is built before them.
inline std::map<std::string, int (*)(int argc, char** argv)> suites;

}  // namespace ruvo::test

// Registers the Qt Test class Suite under name; placed after the class in its test file.
#define RUVO_UI_SUITE(name, Suite)                                                                     \
  static const auto registered##Suite = ::ruvo::test::suites.emplace(name, [](int argc, char** argv) { \
    Suite suite;                                                                                       \
    return QTest::qExec(&suite, argc, argv);                                                           \
  })
