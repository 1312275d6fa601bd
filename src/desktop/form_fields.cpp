#include "desktop/form_fields.h"

#include <array>

#include "core/number_text.h"
#include "desktop/field_text.h"

namespace ruvo {
namespace {

constexpr FormField Real(const char* name, double RunParameters::*member) {
  return {.objectName = name, .real = member};
}

constexpr FormField Ranged(const char* name, double RunParameters::*member, double low, double high) {
  return {.objectName = name, .real = member, .ranged = true, .low = low, .high = high};
}

constexpr FormField Integer(const char* name, std::int32_t RunParameters::*member) {
  return {.objectName = name, .integer = member};
}

constexpr FormField Text(const char* name, std::string RunParameters::*member) {
  return {.objectName = name, .text = member};
}

constexpr std::array kFields{
    Ranged("axleRatio", &RunParameters::axleRatio, 0.1, 50.0),
    Ranged("gearRatio", &RunParameters::gearRatio, 0.1, 50.0),
    Ranged("vehicleWeight", &RunParameters::vehicleWeight, 100.0, 50000.0),  // pounds
    Real("revsPerIgnition", &RunParameters::revsPerIgnition),
    Integer("initialRpm", &RunParameters::initialRpm),
    Integer("finalRpm", &RunParameters::finalRpm),
    Real("maxPulseLength", &RunParameters::maxPulseLength),
    Ranged("wheelDiameter", &RunParameters::wheelDiameter, 1.0, 5000.0),  // inches
    Ranged("frontalArea", &RunParameters::frontalArea, 0.0, 500.0),       // square feet
    Ranged("dragCoefficient", &RunParameters::dragCoefficient, 0.0, 50.0),
    Ranged("tireWidth", &RunParameters::tireWidth, 0.0, 5000.0),  // millimetres
    Ranged("tireAspectRatio", &RunParameters::tireAspectRatio, 0.0, 100.0),  // percent
    Text("description", &RunParameters::description),
    Real("rollingCoefficient", &RunParameters::rollingCoefficient),
    Real("drivetrainLoss", &RunParameters::drivetrainLoss),
};

}  // namespace

std::span<const FormField> FormFields() { return kFields; }

std::string ShowField(const FormField& field, const RunParameters& params) {
  if (field.real) return FormatReal(params.*field.real);
  if (field.integer) return FormatInteger(params.*field.integer);
  return params.*field.text;
}

std::string TakeField(const FormField& field, std::string_view boxText, RunParameters& params) {
  if (field.text) {
    params.*field.text = std::string(boxText);
    return {};
  }
  if (field.integer) return ParseInteger(boxText, params.*field.integer) ? std::string() : ExpectedIntegerMessage();
  if (!ParseReal(boxText, params.*field.real)) return ExpectedNumberMessage();
  const double value = params.*field.real;
  if (field.ranged && (value < field.low || value > field.high)) return ExpectedRangeMessage(field.low, field.high);
  return {};
}

}  // namespace ruvo
