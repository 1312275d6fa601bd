#include "calc/result_tables.h"

#include <algorithm>

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

void WriteHeader(std::ostream& out, const std::string& description, const char* variables) {
  const std::string title = QuotedText(description);
  out << "Title=\"" << title << "\"\n";
  out << "Variables=\n";
  out << variables;
  out << "Zone T=\"" << title.substr(0, kZoneNameLength) << "\"\n";
}

}  // namespace

void WritePowerTable(std::ostream& out, const std::string& description, const CalculationResults& results) {
  WriteHeader(out, description,
              "  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\"  \"Froll\"  "
              "\"Force\"\n");
  for (std::size_t k = 0; k < results.rpm.size() && k < results.force.size(); ++k)
    out << FormatText("%6.0f %8.2f %8.2f %8.2f %8.5f %8.2f %8.2f %8.2f %8.2f %8.2f\n", results.rpm[k],
                      results.horsepower[k], results.torque[k], results.speed[k], results.acceleration[k],
                      results.accelForce[k], results.dragForce[k], results.frictionForce[k], results.rollingForce,
                      results.force[k]);
}

void WriteTimeTable(std::ostream& out, const std::string& description, const CalculationResults& results) {
  if (results.spark.sparkFractions[0] > 0.0) out << results.spark.sparkFractionsLine << results.spark.sparkErrorLine;
  WriteHeader(out, description,
              "    \"Time\"   \"CumRev\"   \"Dist\"    \"RPM\"     \"Speed\"   \"Accel\"\n");
  const std::size_t rows = std::min({results.rpm.size(), results.distance.size(), results.pulseTimes.size(),
                                     results.cumulativeRevs.size()});
  for (std::size_t k = 0; k < rows; ++k)
    out << FormatText("%10.4f %9.1f %9.4f %9.2f %9.2f %9.4f\n", results.pulseTimes[k], results.cumulativeRevs[k],
                      results.distance[k], results.rpm[k], results.speed[k], results.acceleration[k]);
}

}  // namespace ruvo
