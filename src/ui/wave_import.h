#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/run_parameters.h"

class QWidget;

namespace ruvo {

// Where the desktop puts a converted recording: the run document's folder, or the recording's own
// while the document has none yet (never a folder the user did not choose).
struct ConversionPlace {
  std::filesystem::path folder;  // empty: beside each recording
  bool besideDocument = false;

  std::filesystem::path FolderFor(const std::string& recordingPath) const;
};

// Whether path names an existing file the calculation cannot read as it is (not an 8-bit mono WAV).
bool NeedsConversion(const std::string& path);

// Converts the recording at path with the default conditioning under the first free name of
// NAME.wav, NAME-8bit.wav, ... in place's folder, behind a progress dialog with Cancel for
// conversions of more than half a second; an earlier conversion of the same recording found there
// is used instead; an engine-speed log is read as the estimates say (see ImportEngineSpeedLog), so
// its pulses are Rev/Spark apart. The converted file's path; nothing when the conversion failed
// (its message shown) or was cancelled.
std::optional<std::string> ConvertForCalculation(QWidget* parent,
                                                 const std::string& path,
                                                 const ConversionPlace& place,
                                                 const RunParameters& estimates);

// A recording made ready for the calculation: the path to list, and for a pulse track made from
// engine sound the revolutions between its pulses (what Rev/Spark must be).
struct ReadyRecording {
  std::string path;
  std::optional<double> revsPerPulse;
};

// Tracks the engine sound of the recording at path: asks about the engine (band and revolutions per
// pulse first taken from estimates, the run document's Initial and Final RPM and Rev/Spark) and
// writes the pulse track under the first free name of NAME.wav, NAME-8bit.wav, ... in place's
// folder, behind the progress dialog. Warnings of the tracking are shown in one message. Nothing
// when the user cancelled or the import failed (its message shown, nothing written).
std::optional<ReadyRecording> TrackEngineSound(QWidget* parent,
                                               const std::string& path,
                                               const ConversionPlace& place,
                                               const RunParameters& estimates);

// Makes a pulse track of the engine-speed log at path: asks how to read it (see CEngineLogDlg; Rev/
// Spark, Initial RPM and, for a road speed, the vehicle taken from estimates) and writes the track
// under the first free name of NAME.wav, NAME-8bit.wav, ... in place's folder. Warnings of the
// reading are shown in one message. Nothing when the user cancelled or the log cannot be read (its
// message shown, nothing written).
std::optional<ReadyRecording> ImportEngineSpeedLog(QWidget* parent,
                                                   const std::string& path,
                                                   const ConversionPlace& place,
                                                   const RunParameters& estimates);

// Conditions the listed recording at path: asks how (see CConditionDlg, which shows it before and
// after) and writes the conditioned copy under the first free name of NAME.wav, NAME-8bit.wav, ...
// beside the recording, or in documentFolder when the recording's folder takes no files, behind the
// progress dialog. Nothing when the user cancelled or the recording cannot be read or written (its
// message shown, nothing written).
std::optional<std::string> ConditionRecording(QWidget* parent,
                                              const std::string& path,
                                              const std::filesystem::path& documentFolder);

// Makes a recording the user adds ready for the calculation. For a file that needs converting, an
// earlier conversion is reused without asking; a file of text is an engine-speed log (see
// ImportEngineSpeedLog); otherwise the user says what it holds: ignition
// clicks (converted after one question naming the file it will become), engine sound (see
// TrackEngineSound), or neither (kept as it is). Returns path itself when nothing needed converting
// or the user kept the file as it is; nothing when a conversion failed or was cancelled.
std::optional<ReadyRecording> ReadyForCalculation(QWidget* parent,
                                                  const std::string& path,
                                                  const ConversionPlace& place,
                                                  const RunParameters& estimates);

}  // namespace ruvo
