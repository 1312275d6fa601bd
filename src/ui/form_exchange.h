#pragma once

#include <string>

#include "core/run_parameters.h"
#include "ui/view_controls.h"

namespace ruvo {

// Shows the held values in the form's boxes (reals in the shortest notation up to 15 digits) and
// checks the radio button of the calculation mode; a mode outside 0 and 1 checks neither.
void ShowHeldValues(const ViewControls& controls,
                    const RunParameters& params,
                    const std::string& summaryLine1,
                    const std::string& summaryLine2);

// Takes every box into the held values in the exchange order. At the first rejected box it shows
// what the box expects, puts the focus on it and returns false; the values after it are not
// taken. The mode is the checked radio button's position, -1 when none is checked.
bool TakeEntries(const ViewControls& controls, RunParameters& params);

}  // namespace ruvo
