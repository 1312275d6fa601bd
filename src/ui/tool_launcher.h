#pragma once

#include <string>

#include "core/settings.h"

namespace ruvo {

// Starts the external tool stored under key ("EXE1" to "EXE5") with fileName (possibly empty)
// substituted for its "<file>" placeholder or appended, without waiting for it. Ruvo's own
// programs are looked up beside the running program first, every bare name along PATH (a name
// with '/' runs as given); the program inherits the working directory and gets the arguments as a
// list, never through a shell. A command that names no program shows "Must use Tools Setup to
// define action of this button" with a Tool Setup button beside OK, which opens the tool setup
// dialog on settings at once; a program that cannot be started shows "Could not start PROGRAM -
// not found or not executable".
void LaunchTool(SettingsStore& settings, const std::string& key, const std::string& fileName);

}  // namespace ruvo
