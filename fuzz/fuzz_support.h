#pragma once


namespace ruvo::fuzz {

// Silences ShowMessage for the whole fuzzing run: messages are expected output, not findings.
void SilenceMessages();

// Stops the run with a finding when a property does not hold.
void Require(bool condition, const char* what);

}  // namespace ruvo::fuzz
