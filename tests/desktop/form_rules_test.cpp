// The rules behind the form's boxes, the smoothing dialog and the recent-file list.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <tuple>

#include "core/number_text.h"
#include "core/run_document.h"
#include "desktop/field_text.h"
#include "desktop/form_fields.h"
#include "desktop/recent_file_list.h"
#include "desktop/saved_summary.h"
#include "desktop/smoothing_choice.h"

namespace ruvo {
namespace {

const FormField& FieldNamed(const std::string& name) {
  for (const FormField& field : FormFields())
    if (field.objectName == name) return field;
  throw std::invalid_argument("no field " + name);
}

// A rejected text leaves the value as it was. The form shows everyday values (4, 29.3, 0.01, 2400)
// on a fresh form; here the edges of the notation: 15 significant digits hide the binary tail of
// 0.1 + 0.2.
TEST(FieldText, TakesOneFiniteNumberAndShowsFifteenDigits) {
  double number = 0;
  for (const auto& [text, expected] :
       {std::pair("12.5", 12.5), {"  -3 ", -3.0}, {"\t+0.09\t", 0.09}, {"1e3", 1000.0}, {".5", 0.5}, {"7.", 7.0}})
    EXPECT_TRUE(ParseReal(text, number) && number == expected) << text;
  // The last accepted text left 7.
  for (const char* text : {"", "   ", "abc", "12abc", "1,5", "1 2", "--1", "+-1", "+", "inf", "nan", "1e400", "0x10"})
    EXPECT_FALSE(ParseReal(text, number) || number != 7.0) << text;
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  std::int32_t value = 7;
  EXPECT_TRUE(ParseInteger(" -10 ", value) && value == -10);
  EXPECT_TRUE(ParseInteger("+2147483647", value) && value == kLargest);
  for (const char* text : {"1000.5", "2147483648", "1e3", "", "0x1F", "12 3", "five"})
    EXPECT_FALSE(ParseInteger(text, value) || value != kLargest) << text;
  std::string shown;
  for (double real : {-3.0, 0.1 + 0.2, 1e20, 123456789012345678.0}) shown += FormatReal(real) + "|";
  EXPECT_EQ(shown, "-3|0.3|1e+20|1.23456789012346e+17|");
}

// Each ranged box accepts both inclusive limits and rejects just outside them, keeping the
// rejected value; the message names the box and both limits in the form's notation.
TEST(FormFields, RangedBoxesAcceptTheirLimitsAndHoldARejectedValue) {
  const std::tuple<const char*, double, double> ranges[] = {
      {"axleRatio", 0.1, 50},  {"gearRatio", 0.1, 50},     {"vehicleWeight", 100, 50000}, {"wheelDiameter", 1, 5000},
      {"frontalArea", 0, 500}, {"dragCoefficient", 0, 50}, {"tireWidth", 0, 5000},        {"tireAspectRatio", 0, 100}};
  RunParameters params;
  for (const auto& [name, low, high] : ranges) {
    const FormField& field = FieldNamed(name);
    for (double value : {low, high, low - high / 1000, high + high / 1000}) {
      SCOPED_TRACE(std::string(name) + " = " + FormatReal(value));
      EXPECT_EQ(TakeField(field, FormatReal(value), params).empty(), value >= low && value <= high);
      EXPECT_EQ(params.*field.real, value);
    }
  }
  EXPECT_EQ(TakeField(FieldNamed("vehicleWeight"), "50001", params),
            "Test Weight: enter a number between 100 and 50000");
  EXPECT_EQ(TakeField(FieldNamed("frontalArea"), "-1", params),
            "Frontal Area (sq ft): enter a number between 0 and 500");
}

// Unranged reals and integers take any value of their kind, text boxes their text as it is.
TEST(FormFields, UnrangedAndTextBoxesTakeAnyValueOfTheirKind) {
  RunParameters params;
  for (const char* name : {"revsPerIgnition", "maxPulseLength", "rollingCoefficient", "drivetrainLoss"})
    EXPECT_EQ(TakeField(FieldNamed(name), "-1e6", params), "") << name;
  EXPECT_EQ(TakeField(FieldNamed("finalRpm"), "-10", params), "");
  EXPECT_EQ(TakeField(FieldNamed("description"), "  Run 1, 3rd gear ", params), "");
  EXPECT_EQ(TakeField(FieldNamed("initialRpm"), "1000.5", params), "Initial RPM: enter an integer");
  EXPECT_EQ(TakeField(FieldNamed("axleRatio"), "1,5", params), "Final Axle Ratio: enter a number");
  EXPECT_EQ(std::tuple(params.revsPerIgnition, params.maxPulseLength, params.rollingCoefficient, params.drivetrainLoss,
                       params.finalRpm, params.initialRpm, params.description),
            std::tuple(-1e6, -1e6, -1e6, -1e6, -10, 1000, std::string("  Run 1, 3rd gear ")));
}

// The dialog shows the stored values (checked on the dialog itself); OK writes back only what the
// chosen method uses. The choice's boxes hold 1, 2, 3 and rpm 4; the run held method 9, level 8,
// rpm 7 before; -1 is no radio checked.
TEST(SmoothingChoice, WriteBackTouchesOnlyWhatTheMethodUses) {
  const std::pair<std::int32_t, std::tuple<std::int32_t, std::int32_t, std::int32_t>> cases[] = {
      {0, {0, 8, 7}}, {1, {1, 1, 7}}, {2, {2, 2, 7}}, {3, {3, 3, 4}}, {-1, {-1, 8, 7}}};
  for (const auto& [chosen, expected] : cases) {
    std::int32_t method = 9, level = 8, rpm = 7;
    ApplySmoothingChoice({chosen, 1, 2, 3, 4}, method, level, rpm);
    EXPECT_EQ(std::tie(method, level, rpm), expected) << "method " << chosen;
  }
}

// A saved table gives the summary lines in the calculation's wording: the first row that reaches
// the maximum counts, rows that are not all numbers are skipped, "\r\n" line ends are read. A
// document without a table, or a table without rows, gives none.
TEST(SavedSummary, ReadsEitherTableAfterTheParameterLines) {
  const std::string power =
      "Title=\"run\"\r\nVariables=\r\n  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  "
      "\"Ffric\"  \"Froll\"  \"Force\"\r\nZone T=\"run\"\r\n"
      "  1000    20.00   105.04 1 1 1 1 1 1 1\r\n  1050    55.26   110.00 1 1 1 1 1 1 1\r\n"
      "  1100      nan   999.00 1 1 1 1 1 1 1\r\n  1150    55.26   110.00 1 1 1 1 1 1 1\r\n";
  const std::string time =
      "# Spark (fractions): 0.5 0.5\nTitle=\"run\"\nVariables=\n    \"Time\"   \"CumRev\"   \"Dist\"    \"RPM\"     "
      "\"Speed\"   \"Accel\"\nZone T=\"run\"\n    0.1000       1.0    0.0010   1500.25     20.50    0.3000\n"
      "    0.2000       2.0    0.0020   1400.00     22.25    0.3500\n    0.3000       3.0    0.0030   2600.00     "
      "30.00    0.2000\n";
  const std::pair<std::string, std::string> cases[] = {
      {power, "        Max HP:  55.3 hp @ 1050 rpm|  Max Torque: 110.0 ft-lb @ 1050 rpm"},
      {time, " RPM range:  1400.0  to  2600.0|Max Speed:  30.0 mph, Max Accel: 0.350g"},
      {"", "none"},
      {power.substr(0, power.find("  1000")), "none"}};
  for (const auto& [table, expected] : cases) {
    std::stringstream document;
    WriteRunDocument(document, RunParameters());
    document << table;
    const std::optional<SummaryLines> lines = SavedSummary(document);
    EXPECT_EQ(lines ? lines->line1 + "|" + lines->line2 : "none", expected) << table;
  }
}

TEST(RecentFileList, KeepsTheFourNewestWithoutRepeatsUnderFileKeys) {
  MemorySettingsStore store;
  for (const auto& [key, path] :
       {std::pair("File1", "/a.dat"), {"File2", ""}, {"File3", "/a.dat"}, {"File4", "/b.dat"}})
    store.Write("Recent File List", key, path);
  RecentFileList list;
  list.Load(store);
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/a.dat", "/b.dat"}));  // blanks and repeats dropped
  for (const char* path : {"/c.dat", "/d.dat", "", "/e.dat", "/b.dat"}) list.Add(path);
  EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/b.dat", "/e.dat", "/d.dat", "/c.dat"}));
  list.Remove(4);  // past the end: nothing
  list.Remove(1);
  list.Save(store);
  std::string stored;
  for (const char* key : {"File1", "File2", "File3", "File4", "File5"})
    stored += store.Read("Recent File List", key) + "|";
  EXPECT_EQ(stored, "/b.dat|/d.dat|/c.dat|||");
}

}  // namespace
}  // namespace ruvo
