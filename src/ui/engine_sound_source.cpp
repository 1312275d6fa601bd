#include "ui/engine_sound_source.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

#include "audio/audio_decoder.h"
#include "audio/engine_sound_conversion.h"
#include "core/wave_encoding.h"
#include "plot/recording_view.h"
#include "tracking/spectrogram.h"

namespace ruvo {
namespace {

// The spectrogram reaches this many times the firing frequency at the top of the band, so the
// harmonics above and below the one followed can be seen beside it.
constexpr double kShownOrders = 2.5;
constexpr double kSecondsPerMinute = 60.0;

struct SourceResult {
  std::shared_ptr<const EngineSoundPicture> picture;
  QString note;
};

// Decodes the source as the import did (its default channel and whole length), then makes its
// spectrogram and tracks it again. Runs on a worker thread: no messages, only the result.
SourceResult ReadSource(const std::string& sourcePath,
                        const EngineSoundOriginFields& origin,
                        const RunParameters& params) {
  const QString name = QFileInfo(QString::fromStdString(sourcePath)).fileName();
  DecodedAudio audio;
  PreparedSound prepared;
  std::string error;
  if (DecodeAudioFile(sourcePath, audio, error, {}) != DecodeStatus::kDecoded ||
      !PrepareSound(audio, ConversionOptions{}, false, prepared, error))
    return {nullptr,
            QCoreApplication::translate("ruvo::EngineSoundSources", "The engine sound %1 could not be read again: %2")
                .arg(name, QString::fromStdString(error))};
  auto picture = std::make_shared<EngineSoundPicture>();
  picture->firingsPerRevolution = FiringsPerRevolution(origin.tracker.cylinders, origin.tracker.strokes);
  picture->pullFromSeconds = origin.pullFromSeconds;
  picture->pullToSeconds = origin.pullToSeconds;
  const double topHz = kShownOrders * origin.tracker.highRpm / kSecondsPerMinute * picture->firingsPerRevolution;
  picture->spectrogram = ComputeSpectrogram(prepared.sound, prepared.rate, std::min(topHz, prepared.rate / 2.0));
  EngineOrderSettings settings = origin.tracker;
  settings.expectedStartRpm = params.initialRpm;
  settings.expectedEndRpm = params.finalRpm;
  EngineTrack track = TrackEngineOrder(prepared.sound, prepared.rate, settings);
  if (!track.ok)
    return {picture,
            QCoreApplication::translate("ruvo::EngineSoundSources", "The firing order of %1 was not found again: %2")
                .arg(name, QString::fromStdString(track.failure))};
  picture->frames = std::move(track.frames);
  return {picture, QString()};
}

}  // namespace

EngineSoundSources::EngineSoundSources(QObject* parent) : QObject(parent) {}

EngineSoundSources::~EngineSoundSources() {
  for (QThread* thread : findChildren<QThread*>()) thread->wait();
}

void EngineSoundSources::Show(RecordingView& view,
                              const std::vector<RecordingEvidence>& evidence,
                              const RunParameters& params) {
  const std::uint64_t current = ++generation;
  pending = 0;
  for (std::size_t k = 0; k < evidence.size(); ++k) {
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(evidence[k].wavePath);
    const std::optional<EngineSoundOriginFields> fields =
        origin ? ReadEngineSoundOrigin(origin->comment) : std::nullopt;
    if (!fields) continue;
    const int index = static_cast<int>(k);
    const QString name = QFileInfo(QString::fromStdString(origin->source)).fileName();
    std::error_code error;
    if (!std::filesystem::is_regular_file(origin->source, error)) {
      view.SetEngineSound(index, nullptr,
                          tr("The engine sound this pulse track was made from, %1, is missing.")
                              .arg(QString::fromStdString(origin->source)));
      continue;
    }
    view.SetEngineSound(index, nullptr, tr("Reading the engine sound %1...").arg(name));
    ++pending;
    QThread* worker = QThread::create([this, current, index, target = QPointer<RecordingView>(&view),
                                       source = origin->source, engine = *fields, params] {
      SourceResult result = ReadSource(source, engine, params);
      QMetaObject::invokeMethod(
          this,
          [this, current, index, target, result = std::move(result)] {
            if (current != generation) return;
            --pending;
            if (target) target->SetEngineSound(index, result.picture, result.note);
          },
          Qt::QueuedConnection);
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
  }
}

}  // namespace ruvo
