#pragma once

#include <string>
#include <vector>

namespace ruvo {

// Resamples one channel from fromHz to toHz with libsoxr at its high quality (band-limited, linear
// phase, pass band to about 91 % of the lower Nyquist frequency). Returns false with a reason in
// error when libsoxr fails or is not installed (it is opened at the first call); sound is then unchanged.
bool ResampleSound(std::vector<float>& sound, double fromHz, double toHz, std::string& error);

}  // namespace ruvo
