#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <span>
#include <string>

#include "core/outcome.h"

namespace ruvo {

// A recording as a wave list names it (in messages and the log) and the file it is read from.
struct ListedRecording {
  std::string name;
  std::string path;
};

// One 8-bit mono PCM WAV recording, opened for one analysis. Construction reads and checks the
// header (the "fmt " and "data" chunks, found by walking the RIFF chunks) and keeps the message of
// the first check that fails in outcome(); LoadSamples copies the sample bytes into the caller's buffer (or
// ReadSamples into memory the recording keeps), closes the file and measures the
// mean level and the amplitude. The caller tests ok() after each step.
class WaveRecording {
 public:
  static constexpr std::int32_t kMaxSampleCount = 9'999'999;

  explicit WaveRecording(std::string fileName);
  // Reads listed.path; listed.name names it in messages.
  explicit WaveRecording(const ListedRecording& listed);
  // Reads the recording from stream instead of a file; fileName only names it in messages.
  WaveRecording(std::string fileName, std::unique_ptr<std::istream> stream);

  // Reads sampleCount() bytes into buffer (which must hold at least that many), closes the file
  // and computes the level statistics. The samples are read in pieces; eachPiece, when given, sees
  // every piece in order just after it is read, while it is still in the cache. Does nothing and
  // returns false when ok() is already false.
  bool LoadSamples(std::span<std::uint8_t> buffer,
                   const std::function<void(std::span<const std::uint8_t>)>& eachPiece = nullptr);

  // The same as LoadSamples (bytes, levels, pieces, messages, result) into a buffer the recording
  // keeps: samples stays valid while the recording lives.
  bool ReadSamples(std::span<const std::uint8_t>& samples,
                   const std::function<void(std::span<const std::uint8_t>)>& eachPiece = nullptr);

  bool ok() const { return readOutcome.ok(); }
  // Success so far, or the first failure with its message ("Invalid wave file - NAME", ...).
  const Outcome& outcome() const { return readOutcome; }
  std::int32_t sampleRate() const { return rate; }  // samples per second
  std::int32_t sampleCount() const { return count; }
  double duration() const { return durationSeconds; }       // seconds
  std::uint8_t meanLevel() const { return mean; }           // mean sample, truncated toward zero
  std::uint8_t amplitude() const { return peakDeviation; }  // largest deviation from meanLevel()

 private:
  bool Reject(const char* prefix);
  bool ReadHeader();
  // The mean level and the amplitude from the samples' sum, smallest and largest.
  void SetLevels(std::uint64_t sum, std::uint8_t minimum, std::uint8_t maximum);

  std::string fileName;
  std::unique_ptr<std::istream> file;          // open from construction until loading ends
  std::unique_ptr<std::uint8_t[]> ownSamples;  // the samples, after ReadSamples
  Outcome readOutcome;
  std::int32_t rate = 0;
  std::int32_t count = 0;
  std::uint64_t dataOffset = 0;  // bytes from the start of the file to the first sample
  double durationSeconds = 0.0;
  std::uint8_t mean = 0;
  std::uint8_t peakDeviation = 0;
};

}  // namespace ruvo
