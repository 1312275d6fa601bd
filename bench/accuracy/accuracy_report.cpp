#include "accuracy_report.h"

#include <algorithm>
#include <cmath>

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
  std::vector<std::pair<std::string, std::string>> groups;  // (smoothing, sound) in order of appearance
  for (const AccuracyResult& result : results)
    if (std::find(groups.begin(), groups.end(), std::pair(result.smoothing, result.sound)) == groups.end())
      groups.emplace_back(result.smoothing, result.sound);

  std::string text = FormatText("%-10s %-6s %7s | %-15s | %-15s | %-15s | %-15s\n", "smoothing", "sound", "ran",
                                "power rms %", "torque rms %", "|peak hp| %", "|peak hp rpm|");
  text += FormatText("%-10s %-6s %7s | %-15s | %-15s | %-15s | %-15s\n", "", "", "", "median   worst", "median   worst",
                     "median   worst", "median   worst");
  for (const auto& [smoothing, sound] : groups) {
    int total = 0;
    std::vector<double> hpRms, torqueRms, peakHp, peakRpm;
    for (const AccuracyResult& result : results) {
      if (result.smoothing != smoothing || result.sound != sound) continue;
      ++total;
      if (!result.figures) continue;
      hpRms.push_back(result.figures->horsepower.rmsPercent);
      torqueRms.push_back(result.figures->torque.rmsPercent);
      peakHp.push_back(std::fabs(result.figures->horsepower.peakPercent));
      peakRpm.push_back(std::fabs(result.figures->horsepower.peakRpmError));
    }
    text += FormatText("%-10s %-6s %3d/%-3d", smoothing.c_str(), sound.c_str(), static_cast<int>(hpRms.size()), total);
    if (hpRms.empty()) {
      text += " | none calculated\n";
      continue;
    }
    for (const std::vector<double>* values : {&hpRms, &torqueRms, &peakHp})
      text += FormatText(" | %6.2f %8.2f", Median(*values), Worst(*values));
    text += FormatText(" | %6.0f %8.0f\n", Median(peakRpm), Worst(peakRpm));
  }
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
