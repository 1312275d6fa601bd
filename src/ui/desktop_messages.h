#pragma once

namespace ruvo {

// Routes ShowMessage to a modal box captioned "Ruvo" over the active window, through the
// installed prompts.
void InstallDesktopMessages();

}  // namespace ruvo
