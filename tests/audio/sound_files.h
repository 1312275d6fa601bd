#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruvo::test {

// Interleaved frames of channels channels at rate Hz: a click (a 3 kHz ring decaying over 0.3 ms)
// every 0.1 s from 0.05 s on, of height amplitude, in clickChannel only (-1: in every one), over
// a little noise and the constant offset in every channel.
std::vector<float> ClickTrack(
    int rate, int channels, double seconds, int clickChannel, double amplitude, double offset);

// Mono engine sound of a 4-stroke with cylinders cylinders at rate Hz: idle at fromRpm for one
// second, a steady pull to toRpm over pullSeconds, then half a second at toRpm. The firing
// frequency (rpm / 60 * cylinders / 2) and three of its harmonics, over a little noise.
std::vector<float> EngineSweep(int rate, int cylinders, double fromRpm, double toRpm, double pullSeconds);

// Writes frames with libsndfile as format (SF_FORMAT_* container | encoding); false when this
// libsndfile cannot write that format.
bool WriteSoundFile(const std::string& path, int format, int rate, int channels, const std::vector<float>& frames);

// The samples of an 8-bit mono WAV with the canonical 44-byte header; fails the test (and returns
// nothing) when the header is not exactly that, for rate samples per second.
std::vector<std::uint8_t> ReadEightBitWave(const std::string& path, int rate);

}  // namespace ruvo::test
