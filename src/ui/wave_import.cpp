#include "ui/wave_import.h"

#include <QApplication>
#include <QProgressDialog>
#include <system_error>

#include "audio/audio_decoder.h"
#include "audio/recording_import.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;  // shorter conversions show no dialog

QString FileNameOf(const std::string& path) {
  return QString::fromStdString(fs::path(path).filename().string());
}

// Converts path into folder under a free name behind the progress dialog.
std::optional<std::string> Convert(QWidget* parent, const std::string& path, const fs::path& folder) {
  QProgressDialog progress(QStringLiteral("Converting %1...").arg(FileNameOf(path)), QStringLiteral("Cancel"), 0,
                           kProgressSteps, parent);
  progress.setWindowTitle(QStringLiteral("Ruvo"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressDelayMs);
  ImportOptions options;
  options.existing = ExistingOutput::kFreeName;
  options.progress = [&progress](double fraction) {
    progress.setValue(static_cast<int>(fraction * kProgressSteps));
    QApplication::processEvents();
    return !progress.wasCanceled();
  };
  ImportReport report;
  if (ImportRecording(path, folder.string(), options, report) != ImportStatus::kDone) return std::nullopt;
  return report.outputPath;
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

std::optional<std::string> ConvertForCalculation(QWidget* parent, const std::string& path, const ConversionPlace& place) {
  const fs::path folder = place.FolderFor(path);
  if (std::optional<std::string> earlier = FindEarlierImport(path, folder)) return earlier;
  return Convert(parent, path, folder);
}

std::optional<std::string> ReadyForCalculation(QWidget* parent, const std::string& path, const ConversionPlace& place) {
  if (!NeedsConversion(path)) return path;
  const fs::path folder = place.FolderFor(path);
  if (std::optional<std::string> earlier = FindEarlierImport(path, folder)) return earlier;
  const QString question = QStringLiteral("Convert %1 to the 8-bit mono WAV %2 next to the %3?")
                               .arg(FileNameOf(path), FileNameOf(ImportNaming(path, folder).FirstFree()),
                                    place.besideDocument ? QStringLiteral("run document") : QStringLiteral("recording"));
  if (!Prompts().AskYesNo(parent, question)) return path;
  return Convert(parent, path, folder);
}

}  // namespace ruvo
