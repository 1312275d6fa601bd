#include "ui/wave_import.h"

#include <QApplication>
#include <QProgressDialog>
#include <filesystem>
#include <system_error>

#include "audio/audio_decoder.h"
#include "audio/recording_import.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

constexpr int kProgressSteps = 1000;
constexpr int kProgressDelayMs = 500;  // shorter conversions show no dialog

}  // namespace

std::optional<std::string> ReadyForCalculation(QWidget* parent, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_regular_file(path, error) || IsEightBitMonoWave(path)) return path;
  const QString name = QString::fromStdString(fs::path(path).filename().string());
  if (!Prompts().AskYesNo(parent,
                          QStringLiteral("Convert %1 to an 8-bit mono WAV next to the run document?").arg(name)))
    return path;

  const fs::path beside = fs::path(DefaultImportPath(path)).filename();
  const std::string output = (fs::current_path(error) / beside).string();
  QProgressDialog progress(QStringLiteral("Converting %1...").arg(name), QStringLiteral("Cancel"), 0, kProgressSteps,
                           parent);
  progress.setWindowTitle(QStringLiteral("Ruvo"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressDelayMs);
  ImportOptions options;
  options.progress = [&progress](double fraction) {
    progress.setValue(static_cast<int>(fraction * kProgressSteps));
    QApplication::processEvents();
    return !progress.wasCanceled();
  };
  ImportReport report;
  if (ImportRecording(path, output, options, report) != ImportStatus::kDone) return std::nullopt;
  return output;
}

}  // namespace ruvo
