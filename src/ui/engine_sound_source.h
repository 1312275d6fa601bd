#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

#include "calc/run_checks.h"
#include "core/run_parameters.h"

namespace ruvo {

class RecordingView;

// Shows, in the Recording tab, where each pulse track made from engine sound came from: its origin
// comment names the source recording and the engine, the source is decoded, its spectrogram made
// and its firing order tracked again on a worker thread (seconds for a long recording), and the
// picture handed to the view when done. The tracker is deterministic, so tracking the whole source
// again with the comment's engine and band and the document's Initial and Final RPM follows the
// path the desktop's import followed, and no file beside the pulse track has to be kept for it (an
// import of a trimmed stretch, or after the estimates were changed, may be drawn differently). A
// source that is missing or no longer reads leaves a one-line note instead. Results of an earlier Show are dropped. Destroying it waits for work
// still running. Lives on the interface thread.
class EngineSoundSources : public QObject {
  Q_OBJECT

 public:
  explicit EngineSoundSources(QObject* parent = nullptr);
  ~EngineSoundSources() override;

  void Show(RecordingView& view, const std::vector<RecordingEvidence>& evidence, const RunParameters& params);

  // Work started and not yet handed to the view.
  int Pending() const { return pending; }

 private:
  std::uint64_t generation = 0;
  int pending = 0;
};

}  // namespace ruvo
