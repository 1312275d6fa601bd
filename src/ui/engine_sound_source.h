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
// picture handed to the view when done. Tracking again with the same settings and the document's
// estimates follows the path the import followed, since the tracker is deterministic; no file
// beside the pulse track has to be kept for it. A source that is missing or no longer reads leaves
// a one-line note instead. Results of an earlier Show are dropped. Destroying it waits for work
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
