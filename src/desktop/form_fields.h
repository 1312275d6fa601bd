#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/run_parameters.h"

namespace ruvo {

// One box of the main form and the run parameter it edits. Exactly one of the three member
// pointers is set. A ranged real is stored before its range is checked, so a value outside the
// range stays held even though the box is rejected.
struct FormField {
  const char* objectName;
  const char* label;  // as the form shows it beside the box, e.g. "Test Weight:"
  double RunParameters::*real = nullptr;
  std::int32_t RunParameters::*integer = nullptr;
  std::string RunParameters::*text = nullptr;
  bool ranged = false;
  double low = 0.0;  // inclusive limits of a ranged real
  double high = 0.0;
};

// The form's boxes in the order their entries are taken (and shown).
std::span<const FormField> FormFields();

// The text the box shows for the held value.
std::string ShowField(const FormField& field, const RunParameters& params);

// Takes the box's text into the held value. Returns the message that names the box and tells what
// it expects when the text is rejected, empty when it was taken.
std::string TakeField(const FormField& field, std::string_view boxText, RunParameters& params);

}  // namespace ruvo
