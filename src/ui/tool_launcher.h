#pragma once

#include <string>

#include "core/settings.h"

namespace ruvo {

// Starts the external tool stored under key ("EXE1" to "EXE5") with fileName (possibly empty)
// substituted for its "<file>" placeholder or appended, without waiting for it. The program is
// looked up along PATH (a name with '/' runs as given) and inherits the working directory; the
// arguments go to it as a list, never through a shell. A command that names no program shows
// "Must use Tools Setup to define action of this button"; a program that cannot be started is
// not reported.
void LaunchTool(const SettingsStore& settings, const std::string& key, const std::string& fileName);

}  // namespace ruvo
