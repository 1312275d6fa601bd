#include "ui/wave_import.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressDialog>
#include <memory>
#include <system_error>

#include "audio/audio_decoder.h"
#include "audio/log_import.h"
#include "audio/recording_import.h"
#include "core/message.h"
#include "desktop/conditioned_copy.h"
#include "ui/condition_dlg.h"
#include "ui/engine_log_dlg.h"
#include "ui/engine_sound_dlg.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;  // shorter conversions show no dialog

QString FileNameOf(const std::string& path) {
  return QString::fromStdString(fs::path(path).filename().string());
}

// Imports path into folder under a free name behind the progress dialog, labelled with what it does.
std::optional<std::string> Import(QWidget* parent,
                                  const std::string& path,
                                  const fs::path& folder,
                                  const QString& doing,
                                  ImportOptions options,
                                  ImportReport& report) {
  QProgressDialog progress(doing.arg(FileNameOf(path)), QCoreApplication::translate("ruvo::WaveImport", "Cancel"), 0,
                           kProgressSteps, parent);
  progress.setWindowTitle(QCoreApplication::translate("ruvo::WaveImport", "Ruvo"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressDelayMs);
  options.existing = ExistingOutput::kFreeName;
  options.progress = [&progress](double fraction) {
    progress.setValue(static_cast<int>(fraction * kProgressSteps));
    QApplication::processEvents();
    return !progress.wasCanceled();
  };
  if (!ShowMessages(ImportRecording(path, folder.string(), options, report))) return std::nullopt;
  return report.outputPath;
}

// Shows the warnings of an import in one message: sentence (e.g. "%1 was read, but %2.") with
// the file's name and the warnings joined: "WARNING; and WARNING".
void ShowWarnings(const std::string& path, const QString& sentence, const std::vector<std::string>& warnings) {
  if (warnings.empty()) return;
  QStringList parts;
  for (const std::string& warning : warnings) parts << QString::fromStdString(warning);
  ShowMessage(sentence.arg(FileNameOf(path), parts.join(QCoreApplication::translate("ruvo::WaveImport", "; and ")))
                  .toStdString());
}

// How the run's estimates read an engine-speed log: the vehicle turns a road speed into engine
// speed, the pull starts at Initial RPM and the pulses are Rev/Spark apart, so the track agrees
// with the document.
EngineSpeedLogOptions DocumentLogOptions(const RunParameters& estimates) {
  EngineSpeedLogOptions log;
  log.vehicle = estimates;
  log.startRpm = estimates.initialRpm;
  log.revsPerPulse = estimates.revsPerIgnition;
  return log;
}

std::optional<std::string> Convert(QWidget* parent,
                                   const std::string& path,
                                   const fs::path& folder,
                                   const RunParameters& estimates) {
  ImportOptions options;
  options.engineSpeedLog = DocumentLogOptions(estimates);  // should the file be a log
  ImportReport report;
  return Import(parent, path, folder, QCoreApplication::translate("ruvo::WaveImport", "Converting %1..."), options,
                report);
}

}  // namespace

fs::path ConversionPlace::FolderFor(const std::string& recordingPath) const {
  if (!folder.empty()) return folder;
  std::error_code error;
  const fs::path absolute = fs::absolute(recordingPath, error);
  return (error ? fs::path(recordingPath) : absolute).parent_path();
}

bool NeedsConversion(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) && !IsEightBitMonoWave(path);
}

std::optional<std::string> ConvertForCalculation(QWidget* parent,
                                                 const std::string& path,
                                                 const ConversionPlace& place,
                                                 const RunParameters& estimates) {
  const fs::path folder = place.FolderFor(path);
  if (std::optional<std::string> earlier = FindEarlierImport(path, folder)) return earlier;
  return Convert(parent, path, folder, estimates);
}

std::optional<ReadyRecording> TrackEngineSound(QWidget* parent,
                                               const std::string& path,
                                               const ConversionPlace& place,
                                               const RunParameters& estimates) {
  ImportOptions options;
  options.engineSound.emplace();
  TakeDocumentEstimates(estimates, false, false, *options.engineSound);
  CEngineSoundDlg dialog(FileNameOf(path), *options.engineSound, parent);
  if (!dialog.Ask(*options.engineSound)) return std::nullopt;
  ImportReport report;
  const std::optional<std::string> written =
      Import(parent, path, place.FolderFor(path),
             QCoreApplication::translate("ruvo::WaveImport", "Tracking the engine in %1..."), options, report);
  if (!written) return std::nullopt;
  if (report.engineSound)
    ShowWarnings(path, QCoreApplication::translate("ruvo::WaveImport", "%1 was tracked, but %2."),
                 report.engineSound->warnings);
  return ReadyRecording{*written, options.engineSound->revsPerPulse};
}

std::optional<ReadyRecording> ImportEngineSpeedLog(QWidget* parent,
                                                   const std::string& path,
                                                   const ConversionPlace& place,
                                                   const RunParameters& estimates) {
  std::string text;
  std::string error;
  LogTable table;
  if (!ReadLogFile(path, text, error) || !ReadLogTable(text, table, error)) {
    ShowMessage(FileNameOf(path).toStdString() + ": " + error);
    return std::nullopt;
  }
  ImportOptions options;
  options.expectLog = true;
  EngineSpeedLogOptions& log = options.engineSpeedLog = DocumentLogOptions(estimates);
  CEngineLogDlg dialog(FileNameOf(path), std::move(text), table, log, parent);
  if (!dialog.Ask(log)) return std::nullopt;
  ImportReport report;
  const std::optional<std::string> written =
      Import(parent, path, place.FolderFor(path),
             QCoreApplication::translate("ruvo::WaveImport", "Reading the log %1..."), options, report);
  if (!written) return std::nullopt;
  if (report.engineSpeedLog)
    ShowWarnings(path, QCoreApplication::translate("ruvo::WaveImport", "%1 was read, but %2."),
                 report.engineSpeedLog->log.warnings);
  return ReadyRecording{*written, log.revsPerPulse};
}

std::optional<std::string> ConditionRecording(QWidget* parent,
                                              const std::string& path,
                                              const fs::path& documentFolder) {
  auto audio = std::make_shared<DecodedAudio>();
  std::string error;
  switch (DecodeAudioFile(path, *audio, error, {})) {
    case DecodeStatus::kDecoded:
      break;
    case DecodeStatus::kMissingLibrary:  // error is the sentence to show
      ShowMessage(error);
      return std::nullopt;
    default:
      ShowMessage(QCoreApplication::translate("ruvo::WaveImport", "Could not read %1: %2")
                      .arg(QString::fromStdString(path), QString::fromStdString(error))
                      .toStdString());
      return std::nullopt;
  }
  ImportOptions options;
  {
    CConditionDlg dialog(FileNameOf(path), audio, parent);
    if (!dialog.Ask(options.conversion.filters)) return std::nullopt;
  }
  audio.reset();  // the import reads the recording again
  ImportReport report;
  return Import(parent, path, ConditionedCopyFolder(path, documentFolder),
                QCoreApplication::translate("ruvo::WaveImport", "Conditioning %1..."), options, report);
}

std::optional<ReadyRecording> ReadyForCalculation(QWidget* parent,
                                                  const std::string& path,
                                                  const ConversionPlace& place,
                                                  const RunParameters& estimates) {
  if (!NeedsConversion(path)) return ReadyRecording{path, {}};
  const fs::path folder = place.FolderFor(path);
  if (std::optional<std::string> earlier = FindEarlierImport(path, folder)) return ReadyRecording{*earlier, {}};
  if (IsTextFile(path)) return ImportEngineSpeedLog(parent, path, place, estimates);
  enum Answer { kClicks, kEngineSound, kKeep };
  const int answer = Prompts().AskChoice(
      parent,
      QCoreApplication::translate("ruvo::WaveImport", "%1 is not an 8-bit mono WAV. What does it hold?")
          .arg(FileNameOf(path)),
      {QCoreApplication::translate("ruvo::WaveImport", "Ignition clicks"),
       QCoreApplication::translate("ruvo::WaveImport", "Engine sound"),
       QCoreApplication::translate("ruvo::WaveImport", "Keep it as it is")});
  if (answer == kEngineSound) return TrackEngineSound(parent, path, place, estimates);
  if (answer != kClicks) return ReadyRecording{path, {}};
  const QString question =
      (place.besideDocument ? QCoreApplication::translate(
                                  "ruvo::WaveImport", "Convert %1 to the 8-bit mono WAV %2 next to the run document?")
                            : QCoreApplication::translate("ruvo::WaveImport",
                                                          "Convert %1 to the 8-bit mono WAV %2 next to the recording?"))
          .arg(FileNameOf(path), FileNameOf(ImportNaming(path, folder).FirstFree()));
  if (!Prompts().AskYesNo(parent, question)) return ReadyRecording{path, {}};
  const std::optional<std::string> converted = Convert(parent, path, folder, estimates);
  if (!converted) return std::nullopt;
  return ReadyRecording{*converted, {}};
}

}  // namespace ruvo
