#pragma once

namespace ruvo::fuzz {

// Stops the run with a finding when a property does not hold.
void Require(bool condition, const char* what);

}  // namespace ruvo::fuzz
