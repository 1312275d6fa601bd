#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/text_format.h"
#include "support/test_support.h"
#include "tracking/log_conversion.h"
#include "tracking/monotone_cubic.h"

namespace ruvo {
namespace {

// The engine speed every shape of log below holds: 24 updates a tenth of a second apart, rising.
constexpr int kSamples = 24;
double ReferenceSeconds(int k) {
  return 0.1 * k;
}
double ReferenceRpm(int k) {
  return 1000.0 + 150.0 * k + (k % 2 == 1 ? 0.5 : 0.0);
}

// One way a logger writes the reference: header, the row of sample k, and what comes first.
struct LogShape {
  const char* name;
  std::string header;
  std::function<std::string(int)> row;
  std::string preamble = "";
  std::string lineEnd = "\n";
};

std::string ShapeText(const LogShape& shape) {
  std::string text = shape.preamble + shape.header + shape.lineEnd;
  for (int k = 0; k < kSamples; ++k) text += shape.row(k) + shape.lineEnd;
  return text;
}

std::string Rpm(int k) {
  return FormatText("%.1f", ReferenceRpm(k));
}
std::string CommaRpm(int k) {
  std::string text = Rpm(k);
  text[text.find('.')] = ',';
  return text;
}

TEST(EngineSpeedLog, EveryShapeOfLogReadsToTheSameUpdates) {
  const LogShape shapes[] = {
      {"comma, seconds", "Time (s),Engine RPM (rpm)",
       [](int k) { return FormatText("%.3f,", ReferenceSeconds(k)) + Rpm(k); }},
      {"semicolon, decimal comma, German", "Zeit [s];Motordrehzahl [1/min]",
       [](int k) { return FormatText("%d,%d;", k / 10, k % 10) + CommaRpm(k); }},
      {"tab, milliseconds in the header, CRLF", "time_ms\trpm",
       [](int k) { return FormatText("%d\t", 100 * k) + Rpm(k); }, "", "\r\n"},
      {"milliseconds from the values", "Timestamp,Engine speed",
       [](int k) { return FormatText("%d,", 100 * k + 5000) + Rpm(k); }},
      {"microseconds", "Time [us],Engine RPM", [](int k) { return FormatText("%d,", 100000 * k) + Rpm(k); }},
      {"clock time over midnight", "Time,RPM",
       [](int k) {
         const double ofDay = std::fmod(86399.5 + ReferenceSeconds(k), 86400.0);  // from half a second to midnight
         const int whole = static_cast<int>(ofDay);
         return FormatText("%02d:%02d:%06.3f,", whole / 3600, whole / 60 % 60, ofDay - whole / 60 * 60) + Rpm(k);
       }},
      {"ISO date-time", "timestamp,engine rpm",
       [](int k) { return FormatText("2024-05-01T12:00:%02d.%d00Z,", k / 10, k % 10) + Rpm(k); }},
      {"epoch milliseconds", "time,drehzahl",
       [](int k) { return FormatText("%lld,", 1714564800000LL + 100LL * k) + Rpm(k); }},
      {"byte-order mark, preamble, quoted header", "\"Time (s)\",\"Engine RPM (rpm)\",\"Note, quoted\"",
       [](int k) { return FormatText("%.2f,", ReferenceSeconds(k)) + Rpm(k) + ",\"a, b\""; },
       "\xEF\xBB\xBFOBD logger export\nVehicle,Hatchback,1.4\n\n"},
      {"sparse rows, held values", "Time (s),Engine RPM (rpm),Speed (km/h)",
       [](int k) {
         return FormatText("%.3f,", ReferenceSeconds(k)) + Rpm(k) + ",\n" +
                FormatText("%.3f,,%.1f\n", ReferenceSeconds(k) + 0.03, 10.0 + k) +
                FormatText("%.3f,", ReferenceSeconds(k) + 0.06) + Rpm(k) + ",";
       }},
  };
  for (const LogShape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    LogTable table;
    LogColumns columns;
    LogTimes times;
    SpeedUpdates updates;
    std::string error;
    ASSERT_TRUE(ReadLogTable(ShapeText(shape), table, error)) << error;
    ASSERT_TRUE(ChooseLogColumns(table, {}, RoadSpeedUnit::kAuto, columns, error)) << error;
    ASSERT_TRUE(columns.rpm.has_value());
    ASSERT_TRUE(ReadLogTimes(table, columns.time, LogTimeUnit::kAuto, times, error)) << error;
    ASSERT_TRUE(ReadSpeedUpdates(table, times, *columns.rpm, 1.0, updates, error)) << error;
    ASSERT_EQ(updates.rpm.size(), static_cast<std::size_t>(kSamples));
    for (int k = 0; k < kSamples; ++k) {
      EXPECT_NEAR(updates.seconds[k], ReferenceSeconds(k), 1e-6) << k;  // written to the microsecond
      EXPECT_EQ(updates.rpm[k], ReferenceRpm(k)) << k;                  // exact in binary
    }
  }
}

TEST(EngineSpeedLog, BadInputIsRefusedWithOneLineNamingWhereAndWhy) {
  // A rising log of 30 rows from line 2, each row "time,rpm"; rows can be replaced by line number.
  const auto rising = [](std::vector<std::pair<int, std::string>> replaced, std::string header = "Time (s),RPM") {
    std::string text = header + "\n";
    for (int line = 2; line < 32; ++line) {
      std::string row = FormatText("%.1f,%d", 0.1 * (line - 2), 1000 + 100 * line);
      for (const auto& [at, replacement] : replaced)
        if (at == line) row = replacement;
      text += row + "\n";
    }
    return text;
  };
  EngineSpeedLogOptions askBoost;
  askBoost.columns.rpm = "Boost";
  EngineSpeedLogOptions askSeventh;
  askSeventh.columns.rpm = "7";
  const struct {
    std::string text;
    EngineSpeedLogOptions options;
    std::string message;
  } cases[] = {
      {"", {}, "no rows of numbers in columns separated by commas, semicolons or tabs"},
      {std::string("RIFF\0\0\0\0WAVEfmt ", 16), {}, "binary data, not the text of an engine-speed log"},
      {"#Ruvo Log file\n#Ruvo RPM Calculate: run.wav\n#Initial RPM: 1000\n",
       {},
       "this is Ruvo's own calculation log (ruvo.log), not an engine-speed log"},
      {"0.0,1000\n0.1,1100\n", {}, "line 1: no header row naming the columns above it"},
      {rising({{7, "0.5,fast"}}), {}, "line 7: \"fast\" is not a number"},
      {rising({{7, "0.5,1700,9"}}), {}, "line 7: 3 fields, the header has 2"},
      {rising({{9, "0.3,1900"}}), {}, "line 9: time goes backwards, to 0.300 s after 0.600 s"},
      {rising({{9, ",1900"}}), {}, "line 9: no time"},
      {rising({{9, "0.7,45000"}}), {}, "line 9: 45000 is 45000 rpm, outside 0 to 30000 rpm"},
      {rising({{9, "0.7,-5"}}), {}, "line 9: -5 is -5 rpm, outside 0 to 30000 rpm"},
      {rising({{12, ""}, {13, ""}, {14, ""}, {15, ""}, {16, ""}, {17, ""}, {18, ""}, {19, ""}, {20, ""}, {21, ""}}),
       {},
       "line 22: no engine-speed update for 1.10 s before 2.000 s, inside the pull; at most 1.0 s can be bridged"},
      {"Time (s),RPM\n0,1000\n0.1,1100\n0.2,1200\n",
       {},
       "only 3 engine-speed updates in the whole log; a pull needs at least 10"},
      {rising({}, "Time (s),Oil temp (C)"),
       {},
       "no column of engine speed (rpm, engine speed, drehzahl) or road "
       "speed among \"Time (s)\", \"Oil temp (C)\""},
      {rising({}, "Clock,RPM"), {}, "no time column (time, timestamp, zeit) among \"Clock\", \"RPM\""},
      {rising({}, "Time (s),Speed (km/h)"),
       {},
       "the log holds road speed (\"Speed (km/h)\"), which needs a run document's gearing and tyre to become engine "
       "speed"},
      {rising({}, "Time (s),GPS Speed"), {}, "the road speed \"GPS Speed\" has no unit of km/h or mph in its header"},
      {rising({}), askBoost, "there is no column \"Boost\" among \"Time (s)\", \"RPM\""},
      {rising({}), askSeventh, "there is no column 7: the log has 2"},
  };
  for (const auto& bad : cases) {
    EngineSpeedLog log;
    std::string error;
    EXPECT_FALSE(ReadEngineSpeedLog(bad.text, bad.options, log, error)) << bad.message;
    EXPECT_EQ(error, bad.message);
  }
}

// A pull logged at 10 Hz as OBD adapters do: idle at 800 rpm, a rise at 1000 rpm/s to 6000 rpm with
// one 1-rpm dip, a lift-off, every update held on one more row, timestamps jittered by up to 20 ms.
TEST(EngineSpeedLog, FindsTheWholePullThroughADipAndMeasuresRateAndJitter) {
  const auto rpmAt = [](double t) {
    return t < 2.0 ? 800.0 : t < 7.2 ? 800.0 + 1000.0 * (t - 2.0) : 6000.0 - 3000.0 * (t - 7.2);
  };
  std::string text = "Time (s),Engine RPM (rpm)\n";
  double held = 0.0;
  for (int row = 0; row < 90; ++row) {
    const double t = 0.1 * row;
    if (row % 2 == 0) held = std::round(rpmAt(t)) - (row == 40 ? 101.0 : 0.0);  // the dip: 1 rpm below the last
    text += FormatText("%.3f,%.0f\n", t + 0.02 * std::sin(7.0 * row), held);
  }
  EngineSpeedLog log;
  std::string error;
  ASSERT_TRUE(ReadEngineSpeedLog(text, {}, log, error)) << error;
  const TrackFrame& first = log.frames[log.span.firstFrame];
  const TrackFrame& last = log.frames[log.span.lastFrame];
  EXPECT_NEAR(first.timeSeconds, 2.2, 0.25);  // where the rise leaves the idle, 3 % of the rise up
  EXPECT_NEAR(last.timeSeconds, 7.2, 0.1);
  EXPECT_NEAR(log.span.peakRpm, 6000.0, 20.0);
  EXPECT_NEAR(log.pull.updateRateHz, 5.0, 0.3);  // each update held on a second row
  EXPECT_NEAR(log.pull.jitterMs, 20.0, 2.0);     // the sine's 95th percentile, nearly its amplitude
  EXPECT_TRUE(log.warnings.empty());
  // The revolutions are the speed's integral: at 1000 rpm/s, 800 + 1000 t rpm.
  const double seconds = last.timeSeconds - first.timeSeconds;
  const double expected = (0.5 * (first.rpm + last.rpm) * seconds) / 60.0;
  EXPECT_TRUE(test::IsClose(last.revolutions - first.revolutions, expected, 0.01));  // rounding, dip and jitter
}

// Rows every 0.2 s: two seconds of idle, then a rise whose values are each held over four rows,
// then a limiter held as long. The idle and the limiter stay steady to their last rows; the holds
// within the rise leave only their first rows, so they do not become plateaus.
TEST(EngineSpeedLog, HeldValuesWithinARiseAreDroppedButASteadySpeedStays) {
  std::string text = "Time (s),RPM\n";
  const auto rpmOfRow = [](int row) { return row < 10 ? 800 : row < 30 ? 900 + 500 * ((row - 10) / 4) : 3500; };
  for (int row = 0; row < 40; ++row) text += FormatText("%.1f,%d\n", 0.2 * row, rpmOfRow(row));
  LogTable table;
  LogTimes times;
  SpeedUpdates updates;
  std::string error;
  ASSERT_TRUE(ReadLogTable(text, table, error) && ReadLogTimes(table, 0, LogTimeUnit::kAuto, times, error) &&
              ReadSpeedUpdates(table, times, 1, 1.0, updates, error))
      << error;
  const std::vector<double> seconds = {0.0, 1.8, 2.0, 2.8, 3.6, 4.4, 5.2, 6.0};
  const std::vector<double> rpm = {800, 800, 900, 1400, 1900, 2400, 2900, 3500};
  ExpectAllClose(updates.seconds, seconds, 0.0, 1e-9);
  EXPECT_EQ(updates.rpm, rpm);
  EXPECT_EQ(updates.rowSeconds.size(), 40u);  // the logger's rhythm keeps every row
}

TEST(EngineSpeedLog, WarnsOfACoarseOrJitteryLogWithItsMeasuredFigures) {
  // A rise from 1000 rpm at 400 rpm/s for 15 s after a second of idle, rows every `period` seconds
  // with their times off by up to `jitter` seconds.
  const auto logOf = [](double period, double jitter) {
    std::string text = "Time (s),RPM\n";
    for (int row = 0; row * period < 16.0; ++row) {
      const double t = row * period;
      text +=
          FormatText("%.3f,%.0f\n", t + jitter * std::sin(7.0 * row), t < 1.0 ? 1000.0 : 1000.0 + 400.0 * (t - 1.0));
    }
    return text;
  };
  EngineSpeedLog log;
  std::string error;
  ASSERT_TRUE(ReadEngineSpeedLog(logOf(0.25, 0.08), {}, log, error)) << error;
  EXPECT_NEAR(log.pull.jitterMs, 80.0, 3.0);  // the sine's amplitude, give or take the fitted line
  EXPECT_EQ(log.warnings, std::vector<std::string>{FormatText("the log's timestamps jitter by %.0f ms in the pull; "
                                                              "above 60 ms the peaks may be more than 2 %% off",
                                                              log.pull.jitterMs)});
  ASSERT_TRUE(ReadEngineSpeedLog(logOf(0.98, 0.0), {}, log, error)) << error;
  EXPECT_EQ(log.warnings, std::vector<std::string>{"the log updates the engine speed 1.0 times a second in the pull; "
                                                   "below 1.1 the peaks may be more than 2 % off"});
}

TEST(MonotoneCubic, KeepsTheShapeOfTheDataAndIntegratesItsCubicsExactly) {
  // Linear data is reproduced, and its integral is exact.
  const MonotoneCubic line({0.0, 0.5, 1.5, 2.0}, {1.0, 2.0, 4.0, 5.0});
  EXPECT_DOUBLE_EQ(line.Value(1.0), 3.0);
  EXPECT_NEAR(line.Integral(2.0), 6.0, 1e-12);
  EXPECT_NEAR(line.Integral(1.0), 2.0, 1e-12);
  // A step held twice and a peak: never above or below the neighbouring points, flat at the peak.
  const std::vector<double> x = {0.0, 1.0, 2.0, 3.0, 4.0, 5.0};
  const std::vector<double> y = {0.0, 0.0, 10.0, 10.0, 12.0, 3.0};
  const MonotoneCubic steps(x, y);
  for (double t = 0.0; t <= 5.0; t += 0.01) {
    const auto k = static_cast<std::size_t>(std::min(4.0, std::floor(t)));
    EXPECT_GE(steps.Value(t), std::min(y[k], y[k + 1]) - 1e-12) << t;
    EXPECT_LE(steps.Value(t), std::max(y[k], y[k + 1]) + 1e-12) << t;
  }
  // The integral against Simpson's rule on a fine grid.
  double simpson = 0.0;
  const int n = 5000;
  for (int i = 0; i < n; ++i) {
    const double a = 5.0 * i / n, b = 5.0 * (i + 1) / n;
    simpson += (b - a) / 6.0 * (steps.Value(a) + 4.0 * steps.Value(0.5 * (a + b)) + steps.Value(b));
  }
  EXPECT_NEAR(steps.Integral(5.0), simpson, 1e-9);
}

}  // namespace
}  // namespace ruvo
