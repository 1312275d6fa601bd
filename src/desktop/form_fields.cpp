#include "desktop/form_fields.h"

#include <array>

#include "core/number_text.h"
#include "core/translation_marker.h"
#include "desktop/field_text.h"

namespace ruvo {
namespace {

// The labels are translated where the form shows them, in the form's context.
constexpr FormField Real(const char* name, const char* label, double RunParameters::*member) {
  return {.objectName = name, .label = label, .real = member};
}

constexpr FormField Ranged(
    const char* name, const char* label, double RunParameters::*member, double low, double high) {
  return {.objectName = name, .label = label, .real = member, .ranged = true, .low = low, .high = high};
}

constexpr FormField Integer(const char* name, const char* label, std::int32_t RunParameters::*member) {
  return {.objectName = name, .label = label, .integer = member};
}

constexpr FormField Text(const char* name, const char* label, std::string RunParameters::*member) {
  return {.objectName = name, .label = label, .text = member};
}

constexpr std::array kFields{
    Ranged("axleRatio",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Final Axle Ratio:"),
           &RunParameters::axleRatio,
           0.1,
           50.0),
    Ranged(
        "gearRatio", QT_TRANSLATE_NOOP("ruvo::ViewControls", "Test Gear Ratio:"), &RunParameters::gearRatio, 0.1, 50.0),
    Ranged("vehicleWeight",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Test Weight:"),
           &RunParameters::vehicleWeight,
           100.0,
           50000.0),  // pounds
    Real("revsPerIgnition", QT_TRANSLATE_NOOP("ruvo::ViewControls", "Rev/Spark:"), &RunParameters::revsPerIgnition),
    Integer("initialRpm", QT_TRANSLATE_NOOP("ruvo::ViewControls", "Initial RPM:"), &RunParameters::initialRpm),
    Integer("finalRpm", QT_TRANSLATE_NOOP("ruvo::ViewControls", "Final RPM:"), &RunParameters::finalRpm),
    Real("maxPulseLength",
         QT_TRANSLATE_NOOP("ruvo::ViewControls", "Pulse Duration (%):"),
         &RunParameters::maxPulseLength),
    Ranged("wheelDiameter",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Wheel Diameter (in):"),
           &RunParameters::wheelDiameter,
           1.0,
           5000.0),
    Ranged("frontalArea",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Frontal Area (sq ft):"),
           &RunParameters::frontalArea,
           0.0,
           500.0),
    Ranged("dragCoefficient",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Drag Coefficient:"),
           &RunParameters::dragCoefficient,
           0.0,
           50.0),
    Ranged("tireWidth",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Tire Width (mm):"),
           &RunParameters::tireWidth,
           0.0,
           5000.0),
    Ranged("tireAspectRatio",
           QT_TRANSLATE_NOOP("ruvo::ViewControls", "Tire Aspect Ratio (%):"),
           &RunParameters::tireAspectRatio,
           0.0,
           100.0),
    Text("description", QT_TRANSLATE_NOOP("ruvo::ViewControls", "Description:"), &RunParameters::description),
    Real("rollingCoefficient",
         QT_TRANSLATE_NOOP("ruvo::ViewControls", "Rolling Coefficient:"),
         &RunParameters::rollingCoefficient),
    Real("drivetrainLoss",
         QT_TRANSLATE_NOOP("ruvo::ViewControls", "Drivetrain Loss (%):"),
         &RunParameters::drivetrainLoss),
};

}  // namespace

std::span<const FormField> FormFields() {
  return kFields;
}

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
  if (field.integer)
    return ParseInteger(boxText, params.*field.integer) ? std::string() : ExpectedIntegerMessage(field.label);
  if (!ParseReal(boxText, params.*field.real)) return ExpectedNumberMessage(field.label);
  const double value = params.*field.real;
  if (field.ranged && (value < field.low || value > field.high))
    return ExpectedRangeMessage(field.label, field.low, field.high);
  return {};
}

}  // namespace ruvo
