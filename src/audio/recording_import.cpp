#include "audio/recording_import.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "audio/audio_decoder.h"
#include "core/text_format.h"
#include "core/wave_encoding.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr int kMostEarlierImports = 1000;  // names looked at for an earlier import of one recording
constexpr double kDecodedShare = 0.8;      // of an import's progress; converting and writing take the rest

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::exists(b, error) && fs::equivalent(a, b, error)) return true;
  const fs::path first = fs::weakly_canonical(a, error), second = fs::weakly_canonical(b, error);
  return !error && first == second;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::weakly_canonical(fs::absolute(path, error), error);
  return error ? path : absolute.string();
}

std::string ExistsMessage(const std::string& path) {
  return "Could not write " + path + ": a file of that name exists";
}

// Writes the converted file as options.existing allows; the path written, or nothing with the
// reason in outcome.
std::optional<std::string> WriteImport(const std::string& outputPath,
                                       const std::vector<std::uint8_t>& bytes,
                                       const ImportOptions& options,
                                       const std::string& inputPath,
                                       Outcome& outcome) {
  std::string reason;
  switch (options.existing) {
    case ExistingOutput::kReplace:
      if (WriteFileAtomically(outputPath, bytes, reason)) return outputPath;
      break;
    case ExistingOutput::kRefuse:
      switch (WriteNewFile(outputPath, bytes, reason)) {
        case NewFileStatus::kWritten:
          return outputPath;
        case NewFileStatus::kExists:
          outcome.Fail(ExistsMessage(outputPath));
          return std::nullopt;
        case NewFileStatus::kFailed:
          break;
      }
      break;
    case ExistingOutput::kFreeName: {
      const OutputNaming naming = ImportNaming(inputPath, outputPath);
      if (std::optional<std::string> written = WriteUnderFreeName(naming, bytes, reason)) return written;
      outcome.Fail("Could not write " + naming.FirstFree() + ": " + reason);
      return std::nullopt;
    }
  }
  outcome.Fail("Could not write " + outputPath + ": " + reason);
  return std::nullopt;
}

// The first lines of both reports: what was read and which channel was taken.
std::string SourceLines(const ImportReport& report) {
  std::string text =
      FormatText("Read %s: %s, %d channel%s, %d Hz, %.3f s\n", report.inputPath.c_str(), report.formatName.c_str(),
                 report.channels, report.channels == 1 ? "" : "s", report.sampleRate, report.durationSeconds);
  return text + "Channel: " + report.conversion.channel + "\n";
}

// Writes the converted samples at report.conversion.rate with their origin, as options allow.
Outcome WriteConverted(const std::vector<std::uint8_t>& samples,
                       const WaveOrigin& origin,
                       const ImportOptions& options,
                       ImportReport& report) {
  if (options.progress && !options.progress(kDecodedShare + (1.0 - kDecodedShare) / 2.0)) return Outcome::Failure();
  Outcome outcome;
  const std::optional<std::string> written =
      WriteImport(report.outputPath, EncodeEightBitWave(samples, report.conversion.rate, origin), options,
                  report.inputPath, outcome);
  if (!written) return outcome;
  report.outputPath = *written;
  report.sampleCount = samples.size();
  if (options.progress) options.progress(1.0);
  return outcome;
}

}  // namespace

Outcome ImportRecording(const std::string& inputPath,
                        const std::string& outputPath,
                        const ImportOptions& options,
                        ImportReport& report) {
  report = ImportReport{};
  report.inputPath = inputPath;
  report.outputPath = outputPath;
  const auto failed = [&inputPath](const std::string& reason) {
    return Outcome::Failure("Could not import " + inputPath + ": " + reason);
  };
  std::error_code error;
  if (!fs::is_regular_file(inputPath, error))
    return failed(fs::exists(inputPath, error) ? "not a file" : "no such file");
  if (options.existing != ExistingOutput::kFreeName) {
    if (SameFile(inputPath, outputPath)) return failed("the output would overwrite the recording itself");
    // Said before the decoding rather than after it; the write checks again.
    if (options.existing == ExistingOutput::kRefuse && fs::exists(fs::symlink_status(outputPath, error)))
      return Outcome::Failure(ExistsMessage(outputPath));
  }

  std::string reason;
  std::vector<std::uint8_t> samples;
  WaveOrigin origin{AbsolutePath(inputPath), ""};
  if (!options.engineSound && (options.expectLog || IsTextFile(inputPath))) {
    EngineSpeedLogImport log;
    if (!ConvertLogFile(inputPath, options.engineSpeedLog, samples, log, origin, reason)) return failed(reason);
    report.formatName = "engine-speed log";
    report.conversion.rate = log.sampleRate;
    report.engineSpeedLog = std::move(log);
    return WriteConverted(samples, origin, options, report);
  }

  DecodedAudio audio;
  const ImportProgress decodeProgress = [&options](double fraction) {
    return !options.progress || options.progress(kDecodedShare * fraction);
  };
  switch (DecodeAudioFile(inputPath, audio, reason, decodeProgress)) {
    case DecodeStatus::kDecoded:
      break;
    case DecodeStatus::kUnrecognised:
      return failed("unknown or unreadable audio format (" + reason + ")");
    case DecodeStatus::kFailed:
      return failed(reason);
    case DecodeStatus::kCancelled: {
      return Outcome::Failure();
    }
    case DecodeStatus::kMissingLibrary:
      return Outcome::Failure(reason);
  }
  report.formatName = audio.formatName;
  report.channels = audio.channels;
  report.sampleRate = audio.sampleRate;
  report.durationSeconds = audio.DurationSeconds();

  if (options.engineSound) {
    EngineSoundReport sound;
    if (!ConvertEngineSound(audio, options.conversion, *options.engineSound, samples, report.conversion, sound, reason))
      return failed(reason);
    origin.comment = EngineSoundOrigin(*options.engineSound, sound, report.conversion.rate);
    report.engineSound = std::move(sound);
  } else {
    if (!ConvertRecording(audio, options.conversion, samples, report.conversion, reason)) return failed(reason);
    std::vector<std::string> fields = {"channel " + report.conversion.channel, "filters: " + report.conversion.filters};
    if (!report.conversion.conditioning.empty())
      fields.push_back("conditioning: automatic " + report.conversion.conditioning);
    origin.comment = OriginComment("Converted", fields);
  }
  audio = DecodedAudio{};  // the frames are no longer needed
  return WriteConverted(samples, origin, options, report);
}

OutputNaming ImportNaming(const std::string& inputPath, const fs::path& folder) {
  return {folder, fs::path(inputPath).stem().string(), ".wav", "8bit"};
}

std::optional<std::string> FindEarlierImport(const std::string& inputPath, const fs::path& folder) {
  const OutputNaming naming = ImportNaming(inputPath, folder);
  const std::string source = AbsolutePath(inputPath);
  std::error_code error;
  const fs::file_time_type recorded = fs::last_write_time(inputPath, error);
  if (error) return std::nullopt;
  // The names are taken in order, so the earlier imports stand before the first free one.
  for (int index = 0; index < kMostEarlierImports; ++index) {
    const std::string candidate = naming.Candidate(index);
    if (!fs::exists(candidate, error)) return std::nullopt;
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(candidate);
    if (origin && origin->source == source && fs::last_write_time(candidate, error) >= recorded && !error &&
        IsEightBitMonoWave(candidate))
      return candidate;
  }
  return std::nullopt;
}

std::string FormatImportReport(const ImportReport& report) {
  const ConversionReport& done = report.conversion;
  std::string text = SourceLines(report);
  if (done.fromSeconds > 0.0 || done.toSeconds < report.durationSeconds)
    text += FormatText("Trimmed to: %.3f to %.3f s\n", done.fromSeconds, done.toSeconds);
  if (done.rate != report.sampleRate) text += FormatText("Resampled: %d Hz to %d Hz\n", report.sampleRate, done.rate);
  if (!done.conditioning.empty()) text += "conditioning: " + done.conditioning + "\n";
  text += "Filters: " + done.filters + "\n";
  text += FormatText("Peak: %d steps from 128 (gain %.4g)\n", done.peakSteps, done.gain);
  text += FormatText("Wrote %s: 8-bit mono PCM, %d Hz, %zu samples\n", report.outputPath.c_str(), done.rate,
                     report.sampleCount);
  return text;
}

std::string FormatEngineSoundImport(const ImportReport& report, const EngineSoundOptions& options) {
  const EngineSoundReport& sound = *report.engineSound;
  const EngineOrderSettings& engine = options.tracker;
  const std::vector<TrackFrame>& frames = sound.track.frames;
  const PullSpan& pull = sound.pull;
  std::string text = SourceLines(report);
  text += FormatText("Engine: %d cylinders, %d-stroke, searched %.0f to %.0f rpm\n", engine.cylinders, engine.strokes,
                     engine.lowRpm, engine.highRpm);
  text += FormatText("Pull: %.3f to %.3f s, %.0f to %.0f rpm\n", frames[pull.firstFrame].timeSeconds,
                     frames[pull.lastFrame].timeSeconds, pull.startRpm, pull.peakRpm);
  text += FormatText("Low-confidence frames: %.1f %% of the pull\n", 100.0 * pull.lowConfidenceShare);
  for (const LostStretch& lost : pull.lostStretches)
    text += FormatText("Track lost: %.3f to %.3f s\n", lost.fromSeconds, lost.toSeconds);
  text += "Octave check: " + sound.track.octave.verdict + "\n";
  for (const std::string& warning : sound.warnings) text += "warning: " + warning + "\n";
  text += FormatText("Wrote %s: 8-bit mono PCM, %d Hz, %zu samples, %d pulses, one every %g revolutions\n",
                     report.outputPath.c_str(), report.conversion.rate, report.sampleCount, sound.pulseCount,
                     options.revsPerPulse);
  text += FormatText("Set Rev/Spark to %g in the run document that lists it\n", options.revsPerPulse);
  return text;
}

}  // namespace ruvo
