#include "calc/result_tables.h"

#include <algorithm>
#include <span>

#include "core/result_table.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr std::size_t kZoneNameLength = 32;

// The description inside the table's quotes: a double quote would end the text for the plotter.
std::string QuotedText(std::string text) {
  std::replace(text.begin(), text.end(), '"', '\'');
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

// A name of the variables line, quoted and right-aligned in width characters.
struct HeaderName {
  ResultColumn column;
  std::size_t width;
};

// The widths give the variables lines the spacing every run document carries, byte for byte.
constexpr HeaderName kPowerHeader[] = {{ResultColumn::kRpm, 7},          {ResultColumn::kHorsepower, 8},
                                       {ResultColumn::kTorque, 10},      {ResultColumn::kSpeed, 9},
                                       {ResultColumn::kAcceleration, 9}, {ResultColumn::kAccelForce, 9},
                                       {ResultColumn::kDragForce, 9},    {ResultColumn::kFrictionForce, 9},
                                       {ResultColumn::kRollingForce, 9}, {ResultColumn::kForce, 9}};
constexpr HeaderName kTimeHeader[] = {{ResultColumn::kTime, 10},    {ResultColumn::kCumulativeRevs, 11},
                                      {ResultColumn::kDistance, 9}, {ResultColumn::kRpm, 9},
                                      {ResultColumn::kSpeed, 12},   {ResultColumn::kAcceleration, 10}};

void WriteHeader(std::ostream& out, const std::string& description, std::span<const HeaderName> variables) {
  const std::string title = QuotedText(description);
  out << "Title=\"" << title << "\"\n";
  out << "Variables=\n";
  for (const HeaderName& variable : variables) {
    const std::string quoted = '"' + std::string(ColumnName(variable.column)) + '"';
    out << std::string(variable.width - std::min(variable.width, quoted.size()), ' ') << quoted;
  }
  out << '\n';
  out << "Zone T=\"" << title.substr(0, kZoneNameLength) << "\"\n";
}

}  // namespace

void WritePowerTable(std::ostream& out, const std::string& description, const CalculationResults& results) {
  WriteHeader(out, description, kPowerHeader);
  for (std::size_t k = 0; k < results.rpm.size() && k < results.force.size(); ++k)
    out << FormatText("%6.0f %8.2f %8.2f %8.2f %8.5f %8.2f %8.2f %8.2f %8.2f %8.2f\n", results.rpm[k],
                      results.horsepower[k], results.torque[k], results.speed[k], results.acceleration[k],
                      results.accelForce[k], results.dragForce[k], results.frictionForce[k], results.rollingForce,
                      results.force[k]);
}

void WriteTimeTable(std::ostream& out, const std::string& description, const CalculationResults& results) {
  if (results.spark.sparkFractions[0] > 0.0) out << results.spark.sparkFractionsLine << results.spark.sparkErrorLine;
  WriteHeader(out, description, kTimeHeader);
  const std::size_t rows =
      std::min({results.rpm.size(), results.distance.size(), results.pulseTimes.size(), results.cumulativeRevs.size()});
  for (std::size_t k = 0; k < rows; ++k)
    out << FormatText("%10.4f %9.1f %9.4f %9.2f %9.2f %9.4f\n", results.pulseTimes[k], results.cumulativeRevs[k],
                      results.distance[k], results.rpm[k], results.speed[k], results.acceleration[k]);
}

}  // namespace ruvo
