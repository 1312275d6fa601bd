#include "accuracy_report.h"

#include <algorithm>
#include <cmath>

#include "accuracy_cases.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// Middle value of a non-empty list; the mean of the two middle values for an even count.
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t half = values.size() / 2;
  return values.size() % 2 == 1 ? values[half] : 0.5 * (values[half - 1] + values[half]);
}

double Worst(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

// The middle and the largest of a group's values.
struct Spread {
  double median = 0.0;
  double worst = 0.0;
};

// One smoothing method on one sound, over its runs; the spreads are of magnitudes, over the runs
// that calculated.
struct MethodSummary {
  std::string smoothing;
  std::string sound;
  int runs = 0;
  int calculated = 0;
  Spread hpRms, torqueRms, peakHp, peakRpm;
};

// Per smoothing method and sound, in the order they first appear.
std::vector<MethodSummary> SummarizeByMethod(const std::vector<AccuracyResult>& results) {
  std::vector<MethodSummary> groups;
  for (const AccuracyResult& result : results) {
    const auto same = [&result](const MethodSummary& group) {
      return group.smoothing == result.smoothing && group.sound == result.sound;
    };
    if (std::any_of(groups.begin(), groups.end(), same)) continue;
    groups.emplace_back();
    groups.back().smoothing = result.smoothing;
    groups.back().sound = result.sound;
  }
  for (MethodSummary& group : groups) {
    std::vector<double> hpRms, torqueRms, peakHp, peakRpm;
    for (const AccuracyResult& result : results) {
      if (result.smoothing != group.smoothing || result.sound != group.sound) continue;
      ++group.runs;
      if (!result.figures) continue;
      hpRms.push_back(result.figures->horsepower.rmsPercent);
      torqueRms.push_back(result.figures->torque.rmsPercent);
      peakHp.push_back(std::fabs(result.figures->horsepower.peakPercent));
      peakRpm.push_back(std::fabs(result.figures->horsepower.peakRpmError));
    }
    group.calculated = static_cast<int>(hpRms.size());
    if (group.calculated == 0) continue;
    group.hpRms = {Median(hpRms), Worst(hpRms)};
    group.torqueRms = {Median(torqueRms), Worst(torqueRms)};
    group.peakHp = {Median(peakHp), Worst(peakHp)};
    group.peakRpm = {Median(peakRpm), Worst(peakRpm)};
  }
  return groups;
}

// The smoothing choice's label; its name when no choice has that name.
std::string SmoothingLabel(const std::string& name) {
  for (const SmoothingChoice& choice : SmoothingChoices())
    if (choice.name == name) return choice.label;
  return name;
}

std::string QuotedCsv(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string FormatAccuracyTable(const std::vector<AccuracyResult>& results) {
  std::string text =
      FormatText("%-22s %-10s %4s %11s | %-24s | %-24s | %-14s | %-14s\n", "run", "smoothing", "rows", "rpm",
                 "torque %: rms  max @ rpm", "power %: rms  max @ rpm", "peak hp %  rpm", "peak tq %  rpm");
  for (const AccuracyResult& result : results) {
    text += FormatText("%-22s %-10s ", result.caseName.c_str(), result.smoothing.c_str());
    if (!result.figures) {
      text += "failed: " + result.failure + "\n";
      continue;
    }
    const AccuracyFigures& f = *result.figures;
    text +=
        FormatText("%4d %5.0f-%-5.0f | %6.2f %7.2f @ %-6.0f | %6.2f %7.2f @ %-6.0f | %6.2f %+6.0f | %6.2f %+6.0f\n",
                   f.comparedRows, f.firstRpm, f.lastRpm, f.torque.rmsPercent, f.torque.maxPercent, f.torque.maxAtRpm,
                   f.horsepower.rmsPercent, f.horsepower.maxPercent, f.horsepower.maxAtRpm, f.horsepower.peakPercent,
                   f.horsepower.peakRpmError, f.torque.peakPercent, f.torque.peakRpmError);
  }
  return text;
}

std::string FormatAccuracyCsv(const std::vector<AccuracyResult>& results) {
  std::string text =
      "run,sound,smoothing,rows,first_rpm,last_rpm,torque_rms_pct,torque_max_pct,torque_max_rpm,hp_rms_pct,"
      "hp_max_pct,hp_max_rpm,peak_hp_pct,peak_hp_rpm_error,peak_torque_pct,peak_torque_rpm_error,failure\n";
  for (const AccuracyResult& result : results) {
    text += result.caseName + "," + result.sound + "," + result.smoothing + ",";
    if (!result.figures) {
      text += ",,,,,,,,,,,,," + QuotedCsv(result.failure) + "\n";
      continue;
    }
    const AccuracyFigures& f = *result.figures;
    text += FormatText("%d,%.0f,%.0f,%.4f,%.4f,%.0f,%.4f,%.4f,%.0f,%.4f,%.0f,%.4f,%.0f,\n", f.comparedRows, f.firstRpm,
                       f.lastRpm, f.torque.rmsPercent, f.torque.maxPercent, f.torque.maxAtRpm, f.horsepower.rmsPercent,
                       f.horsepower.maxPercent, f.horsepower.maxAtRpm, f.horsepower.peakPercent,
                       f.horsepower.peakRpmError, f.torque.peakPercent, f.torque.peakRpmError);
  }
  return text;
}

std::string FormatAccuracySummary(const std::vector<AccuracyResult>& results) {
  std::string text = FormatText("%-10s %-6s %7s | %-15s | %-15s | %-15s | %-15s\n", "smoothing", "sound", "ran",
                                "power rms %", "torque rms %", "|peak hp| %", "|peak hp rpm|");
  text += FormatText("%-10s %-6s %7s | %-15s | %-15s | %-15s | %-15s\n", "", "", "", "median   worst", "median   worst",
                     "median   worst", "median   worst");
  for (const MethodSummary& group : SummarizeByMethod(results)) {
    text +=
        FormatText("%-10s %-6s %3d/%-3d", group.smoothing.c_str(), group.sound.c_str(), group.calculated, group.runs);
    if (group.calculated == 0) {
      text += " | none calculated\n";
      continue;
    }
    for (const Spread* spread : {&group.hpRms, &group.torqueRms, &group.peakHp})
      text += FormatText(" | %6.2f %8.2f", spread->median, spread->worst);
    text += FormatText(" | %6.0f %8.0f\n", group.peakRpm.median, group.peakRpm.worst);
  }
  return text;
}

std::string ShortFigure(double value) {
  // The bounds are where rounding would carry into one more digit: 0.996 is "1.0", 9.96 is "10".
  const double magnitude = std::fabs(value);
  return FormatText(magnitude < 0.995 ? "%.2f" : magnitude < 9.95 ? "%.1f" : "%.0f", value);
}

std::string FormatAccuracySummaryMarkdown(const std::vector<AccuracyResult>& results) {
  std::vector<MethodSummary> groups = SummarizeByMethod(results);
  std::vector<std::string> methods;  // in order of first appearance, so each method's sounds stand together
  for (const MethodSummary& group : groups)
    if (std::find(methods.begin(), methods.end(), group.smoothing) == methods.end()) methods.push_back(group.smoothing);
  std::stable_sort(groups.begin(), groups.end(), [&methods](const MethodSummary& a, const MethodSummary& b) {
    return std::find(methods.begin(), methods.end(), a.smoothing) <
           std::find(methods.begin(), methods.end(), b.smoothing);
  });

  std::string text =
      "| smoothing | sound | calculated | power RMS error | peak power error | peak power rpm error |\n"
      "|---|---|---|---|---|---|\n";
  for (const MethodSummary& group : groups) {
    text += FormatText("| %s | %s | %d of %d |", SmoothingLabel(group.smoothing).c_str(), group.sound.c_str(),
                       group.calculated, group.runs);
    if (group.calculated == 0) {
      text += " - | - | - |\n";
      continue;
    }
    for (const Spread* spread : {&group.hpRms, &group.peakHp})
      text += FormatText(" %s %% (%s %%) |", ShortFigure(spread->median).c_str(), ShortFigure(spread->worst).c_str());
    text += FormatText(" %.0f (%.0f) rpm |\n", group.peakRpm.median, group.peakRpm.worst);
  }

  // A run that failed alike with several methods in a row takes one line.
  struct Failure {
    std::string run, methods, reason;
  };
  std::vector<Failure> failures;
  bool previousFailed = false;
  for (const AccuracyResult& result : results) {
    const bool sameAsPrevious =
        previousFailed && failures.back().run == result.caseName && failures.back().reason == result.failure;
    previousFailed = !result.figures;
    if (result.figures) continue;
    if (sameAsPrevious)
      failures.back().methods += ", " + SmoothingLabel(result.smoothing);
    else
      failures.push_back({result.caseName, SmoothingLabel(result.smoothing), result.failure});
  }
  if (!failures.empty()) text += "\nNot calculated:\n\n";
  for (const Failure& failure : failures)
    text += "- `" + failure.run + "` with " + failure.methods + ": " + failure.reason + "\n";
  return text;
}

std::string FormatPlotData(const std::vector<PlotCurve>& curves) {
  std::string text;
  for (std::size_t k = 0; k < curves.size(); ++k) {
    if (k > 0) text += "\n\n";
    text += curves[k].name + " torque_ftlb hp\n";
    for (const PowerRow& row : curves[k].rows)
      text += FormatText("%.0f %.4f %.4f\n", row.rpm, row.torqueFtLb, row.horsepower);
  }
  return text;
}

}  // namespace ruvo
