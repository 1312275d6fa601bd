#pragma once

#include <string>
#include <vector>

#include "core/outcome.h"
#include "synth/synth_run.h"

namespace ruvo {

// "rpm,torque_ftlb,hp", then one line per truth row.
std::string FormatTruthCsv(const std::vector<TruthRow>& truth);

// "index,time_s,revolutions,rpm", then one line per spark (heard or missed), index from 0.
std::string FormatSparksCsv(const std::vector<SparkEvent>& sparks);

// Writes folder/name.wav, folder/name.dat (the run document, naming name.wav beside it),
// folder/name.truth.csv, folder/name.sparks.csv and, with a logger's CSV, folder/name.log.csv,
// creating folder when needed. All are
// written to temporary files first and renamed into place only when all are complete; on any
// failure the temporary files and any already renamed are removed and the failure carries one
// message. Files that existed before are replaced.
Outcome WriteSynthFiles(const SynthResult& run, const std::string& folder, const std::string& name);

}  // namespace ruvo
