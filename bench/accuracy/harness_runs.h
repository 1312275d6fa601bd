#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace ruvo {

// Writes every run the harness calculates into folder as a document and its recording, so other
// programs can calculate the very same inputs: NAME-CHOICE.dat and .wav for each accuracy case and
// smoothing choice, sweep-IMPAIRMENT-LEVEL-RATE-SEED.dat and .wav for each sweep case (the clean
// runs without a level). Returns how many runs could not be written, after a line each on err.
std::int32_t WriteHarnessRuns(const std::string& folder, std::ostream& err);

}  // namespace ruvo
