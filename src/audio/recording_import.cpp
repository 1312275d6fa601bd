#include "audio/recording_import.h"

#include <filesystem>
#include <system_error>

#include "audio/audio_decoder.h"
#include "audio/wave_writer.h"
#include "core/message.h"
#include "core/text_format.h"
#include "core/wave_encoding.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr double kDecodedShare = 0.8;  // of an import's progress; converting and writing take the rest

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::exists(b, error) && fs::equivalent(a, b, error)) return true;
  const fs::path first = fs::weakly_canonical(a, error), second = fs::weakly_canonical(b, error);
  return !error && first == second;
}

ImportStatus Fail(const std::string& text) {
  ShowMessage(text);
  return ImportStatus::kFailed;
}

}  // namespace

ImportStatus ImportRecording(const std::string& inputPath,
                             const std::string& outputPath,
                             const ImportOptions& options,
                             ImportReport& report) {
  report = ImportReport{};
  report.inputPath = inputPath;
  report.outputPath = outputPath;
  const auto failed = [&inputPath](const std::string& reason) {
    return Fail("Could not import " + inputPath + ": " + reason);
  };
  std::error_code error;
  if (!fs::is_regular_file(inputPath, error))
    return failed(fs::exists(inputPath, error) ? "not a file" : "no such file");
  if (SameFile(inputPath, outputPath)) return failed("the output would overwrite the recording itself");

  DecodedAudio audio;
  std::string reason;
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
    case DecodeStatus::kCancelled:
      return ImportStatus::kCancelled;
  }
  report.formatName = audio.formatName;
  report.channels = audio.channels;
  report.sampleRate = audio.sampleRate;
  report.durationSeconds = audio.DurationSeconds();

  std::vector<std::uint8_t> samples;
  if (!ConvertRecording(audio, options.conversion, samples, report.conversion, reason)) return failed(reason);
  audio = DecodedAudio{};  // the frames are no longer needed
  if (options.progress && !options.progress(kDecodedShare + (1.0 - kDecodedShare) / 2.0))
    return ImportStatus::kCancelled;
  if (!WriteFileAtomically(outputPath, EncodeEightBitWave(samples, report.conversion.rate), reason))
    return Fail("Could not write " + outputPath + ": " + reason);
  report.sampleCount = samples.size();
  if (options.progress) options.progress(1.0);
  return ImportStatus::kDone;
}

std::string DefaultImportPath(const std::string& inputPath) {
  fs::path output(inputPath);
  output.replace_extension(".wav");
  if (SameFile(inputPath, output)) output.replace_filename(fs::path(inputPath).stem().string() + "-8bit.wav");
  return output.string();
}

std::string FormatImportReport(const ImportReport& report) {
  const ConversionReport& done = report.conversion;
  std::string text =
      FormatText("Read %s: %s, %d channel%s, %d Hz, %.3f s\n", report.inputPath.c_str(), report.formatName.c_str(),
                 report.channels, report.channels == 1 ? "" : "s", report.sampleRate, report.durationSeconds);
  text += "Channel: " + done.channel + "\n";
  if (done.fromSeconds > 0.0 || done.toSeconds < report.durationSeconds)
    text += FormatText("Trimmed to: %.3f to %.3f s\n", done.fromSeconds, done.toSeconds);
  if (done.rate != report.sampleRate) text += FormatText("Resampled: %d Hz to %d Hz\n", report.sampleRate, done.rate);
  text += "Filters: " + done.filters + "\n";
  text += FormatText("Peak: %d steps from 128 (gain %.4g)\n", done.peakSteps, done.gain);
  text += FormatText("Wrote %s: 8-bit mono PCM, %d Hz, %zu samples\n", report.outputPath.c_str(), done.rate,
                     report.sampleCount);
  return text;
}

}  // namespace ruvo
