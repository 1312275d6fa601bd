// Rules of the desktop that need no window: number text, field ranges, smoothing write-back,
// tool command lines, dialog units and the lock LEDs.
#include <QTest>
#include <limits>
#include <tuple>

#include "core/number_text.h"
#include "support/test_support.h"
#include "ui/dialog_units.h"
#include "ui/field_text.h"
#include "ui/form_fields.h"
#include "ui/lock_indicators.h"
#include "ui/smoothing_choice.h"
#include "ui/tool_command.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

const FormField& FieldNamed(const char* name) {
  for (const FormField& field : FormFields())
    if (std::string(field.objectName) == name) return field;
  qFatal("no field %s", name);
}

using Arguments = std::vector<std::string>;

}  // namespace

class PlainRuleTest : public QObject {
  Q_OBJECT

 private slots:
  void realsShowInShortestFifteenDigitForm() {
    const std::pair<double, const char*> cases[] = {
        {4.0, "4"},      {29.3, "29.3"},
        {0.01, "0.01"},  {2400.0, "2400"},
        {-3.0, "-3"},    {0.1 + 0.2, "0.3"},  // 15 digits hide the binary tail
        {1e20, "1e+20"}, {123456789012345678.0, "1.23456789012346e+17"}};
    for (const auto& [value, text] : cases) QCOMPARE(FormatReal(value), std::string(text));
  }

  void realTextMustBeOneFiniteNumber() {
    const std::pair<const char*, double> accepted[] = {{"12.5", 12.5},  {"  -3 ", -3.0}, {"\t+0.09\t", 0.09},
                                                       {"1e3", 1000.0}, {".5", 0.5},     {"7.", 7.0}};
    for (const auto& [text, expected] : accepted) {
      double value = -1.0;
      QVERIFY2(ParseReal(text, value), text);
      QCOMPARE(value, expected);
    }
    for (const char* text :
         {"", "   ", "abc", "12abc", "1,5", "1 2", "--1", "+-1", "+", "inf", "nan", "1e400", "0x10"}) {
      double value = 42.0;
      QVERIFY2(!ParseReal(text, value), text);
      QCOMPARE(value, 42.0);  // a rejected text leaves the value alone
    }
  }

  void integerTextMustBeOneDecimalInt32() {
    std::int32_t value = 0;
    QVERIFY(ParseInteger(" -10 ", value));
    QCOMPARE(value, -10);
    QVERIFY(ParseInteger("+2147483647", value));
    QCOMPARE(value, std::numeric_limits<std::int32_t>::max());
    for (const char* text : {"1000.5", "2147483648", "1e3", "", "0x1F", "12 3", "five"}) {
      value = 7;
      QVERIFY2(!ParseInteger(text, value), text);
      QCOMPARE(value, 7);
    }
  }

  // Each ranged box accepts both inclusive limits, rejects just outside them with a message that
  // names both limits, and keeps the rejected value.
  void rangedBoxesAcceptLimitsAndKeepRejectedValue() {
    struct Range {
      const char* field;
      double low, high;
      const char* message;
    };
    const Range ranges[] = {
        {"axleRatio", 0.1, 50, "Please enter a number between 0.1 and 50."},
        {"gearRatio", 0.1, 50, "Please enter a number between 0.1 and 50."},
        {"vehicleWeight", 100, 50000, "Please enter a number between 100 and 50000."},
        {"wheelDiameter", 1, 5000, "Please enter a number between 1 and 5000."},
        {"frontalArea", 0, 500, "Please enter a number between 0 and 500."},
        {"dragCoefficient", 0, 50, "Please enter a number between 0 and 50."},
        {"tireWidth", 0, 5000, "Please enter a number between 0 and 5000."},
        {"tireAspectRatio", 0, 100, "Please enter a number between 0 and 100."},
    };
    for (const Range& range : ranges) {
      const FormField& field = FieldNamed(range.field);
      const double step = range.high / 1000.0;
      for (double value : {range.low, range.high, range.low - step, range.high + step}) {
        const bool inside = value >= range.low && value <= range.high;
        RunParameters params;
        QCOMPARE(TakeField(field, FormatReal(value), params), std::string(inside ? "" : range.message));
        QCOMPARE(params.*field.real, value);
      }
    }
  }

  void unrangedAndTextBoxesTakeAnyValueOfTheirKind() {
    RunParameters params;
    for (const char* name : {"revsPerIgnition", "maxPulseLength", "rollingCoefficient", "drivetrainLoss"})
      QVERIFY2(TakeField(FieldNamed(name), "-1e6", params).empty(), name);
    QCOMPARE(params.revsPerIgnition, -1e6);
    QCOMPARE(TakeField(FieldNamed("initialRpm"), "1000.5", params), std::string("Please enter an integer."));
    QCOMPARE(params.initialRpm, 1000);
    QCOMPARE(TakeField(FieldNamed("finalRpm"), "-10", params), std::string());
    QCOMPARE(params.finalRpm, -10);
    QVERIFY(TakeField(FieldNamed("description"), "  Run 1, 3rd gear ", params).empty());
    QCOMPARE(params.description, std::string("  Run 1, 3rd gear "));
  }

  void smoothingChoiceShowsOnlyTheStoredMethodsLevel() {
    struct Case {
      std::int32_t method, level, rpm;
      SmoothingChoice expected;
    };
    const Case cases[] = {
        {2, 3, 0, {2, 3, 3, 3, 0}},     {1, 7, 0, {1, 7, 3, 3, 0}},     {3, 4, 5500, {3, 3, 3, 4, 5500}},
        {0, 9, 100, {0, 3, 3, 3, 100}}, {7, 9, 100, {7, 3, 3, 3, 100}},  // hand-edited method: no level slot
    };
    const auto fields = [](const SmoothingChoice& c) {
      return std::tuple(c.method, c.localLevel, c.segments, c.fitLevel, c.declineRpm);
    };
    for (const Case& c : cases) QCOMPARE(fields(SmoothingChoiceFor(c.method, c.level, c.rpm)), fields(c.expected));
  }

  void smoothingWriteBackTouchesOnlyWhatTheMethodUses() {
    struct Case {
      SmoothingChoice choice;
      std::int32_t method, level, rpm;  // after writing back over 9, 8, 7
    };
    const Case cases[] = {
        {{0, 1, 2, 3, 4}, 0, 8, 7}, {{1, 1, 2, 3, 4}, 1, 1, 7},   {{2, 1, 2, 3, 4}, 2, 2, 7},
        {{3, 1, 2, 3, 4}, 3, 3, 4}, {{-1, 1, 2, 3, 4}, -1, 8, 7},  // no radio checked
    };
    for (const Case& c : cases) {
      std::int32_t method = 9, level = 8, rpm = 7;
      ApplySmoothingChoice(c.choice, method, level, rpm);
      QCOMPARE(std::tuple(method, level, rpm), std::tuple(c.method, c.level, c.rpm));
    }
  }

  void toolArgumentsFollowTheCommandLineRules() {
    std::string words;
    for (int i = 1; i <= 25; ++i) words += (i > 1 ? " w" : "w") + std::to_string(i);
    const std::string placeholderLate = "p a b c d e f g h i j k l m n o p q <file> r s";  // <file> is word 19
    struct Case {
      std::string command, fileName;
      Arguments expected;
    };
    const Case cases[] = {
        {"notepad.exe", "/runs/ruvo.dat", {"notepad.exe", "/runs/ruvo.dat"}},
        {"/opt/Program Files/Viewer/view.exe -f <file>",
         "a.dat",
         {"/opt/Program Files/Viewer/view.exe", "-f", "a.dat"}},
        {"viewer <file> <file>", "x.wav", {"viewer", "x.wav", "x.wav"}},
        {"vi <file>", "my run.wav", {"vi", "my run.wav"}},
        {"mixer", "", {"mixer"}},
        {"mixer <file>", "", {"mixer", "<file>"}},
        {"   lead   spaces  ", "f", {"lead", "spaces", "f"}},
        {"C:\\Tools\\My App.EXE -x", "f", {"C:\\Tools\\My App.EXE", "-x", "f"}},
        {"a b.exe c.EXE d", "", {"a b.exe c.EXE", "d"}},  // .exe first, then .EXE further on
        {"A.EXE b.exe c", "", {"A.EXE b.exe", "c"}},      // .EXE behind .exe is not jumped to
        {"My Tool.Exe x", "", {"My", "Tool.Exe", "x"}},   // other cases are not recognised
        {"prog x.exe", "", {"prog x.exe"}},               // the jump reaches any later .exe
        {"", "f", {}},
        {"    ", "f", {}},
    };
    for (const Case& c : cases) QCOMPARE(ToolArguments(c.command, c.fileName), c.expected);

    const Arguments many = ToolArguments(words, "file.dat");
    QCOMPARE(many.size(), kMaxToolTokens);
    QCOMPARE(many.back(), std::string("w19 w20 w21 w22 w23 w24 w25"));
    QCOMPARE(many[17], std::string("w18"));
    const Arguments late = ToolArguments(placeholderLate, "file.dat");
    QCOMPARE(late.size(), kMaxToolTokens);
    QCOMPARE(late.back(), std::string("<file> r s"));  // inside the last token: not replaced
    QCOMPARE(ToolArguments("v <file> a b c d e f g h i j k l m n o p q r s", "F")[1], std::string("F"));
  }

  void dialogUnitsScaleByQuartersAndEighths() {
    const DialogUnits units(7, 16);
    QCOMPARE(units.ToPixels(85, 44, 25, 12), QRect(149, 88, 44, 24));  // 148.75, 43.75 round up
    QCOMPARE(units.ToPixels(2, 1, 0, 0), QRect(4, 2, 0, 0));           // 3.5 rounds away from zero
    const DialogUnits doubled(14, 32);
    QCOMPARE(doubled.ToPixels(473, 195, 0, 0).topLeft(), units.ToPixels(946, 390, 0, 0).topLeft());
  }

  void lockStatesComeFromKeyboardLeds() {
    test::TempFolder folder;
    const auto led = [&](const std::string& name, const std::string& brightness) {
      std::filesystem::create_directories(folder.Path() / name);
      test::WriteFileBytes(folder.Path() / name / "brightness", brightness);
    };
    led("input3::capslock", "0\n");
    led("input9::capslock", "1\n");  // a second keyboard with the lock on
    led("input3::numlock", "0\n");
    led("phy0-led", "1\n");
    const LockStates states = ReadLockStates(folder.Path().string());
    QCOMPARE(states.caps, std::optional<bool>(true));
    QCOMPARE(states.num, std::optional<bool>(false));
    QVERIFY(!states.scroll.has_value());
    const LockStates none = ReadLockStates((folder.Path() / "missing").string());
    QVERIFY(!none.caps && !none.num && !none.scroll);
  }
};

}  // namespace ruvo

int RunPlainRuleTests(int argc, char** argv) {
  ruvo::PlainRuleTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "plain_rules_test.moc"
