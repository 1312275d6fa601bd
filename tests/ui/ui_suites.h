#pragma once

// Each desktop test suite, run by name from ui_test_main.cpp (one CTest entry per suite).
int RunPlainRuleTests(int argc, char** argv);
int RunMainFormTests(int argc, char** argv);
int RunFormCalculationTests(int argc, char** argv);
int RunSmoothingDialogTests(int argc, char** argv);
int RunToolTests(int argc, char** argv);
int RunApplicationTests(int argc, char** argv);
