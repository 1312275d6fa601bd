// The whole calculation of the largest recording against one plain pass over its file: the
// calculation's cost in units of merely reading the recording.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "calc/run_calculation.h"
#include "calc/run_checks.h"
#include "core/analysis_config.h"
#include "core/run_document.h"
#include "core/settings.h"
#include "max_recording_files.h"

namespace ruvo {
namespace {

// Reads the whole wave file into memory and sums its bytes: the least any calculation must do.
void BM_PlainPass(benchmark::State& state) {
  const MaxRecordingFiles& files = MaxRecordingOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  std::int64_t bytes = 0;
  for (auto _ : state) {
    std::ifstream in(files.wavePath, std::ios::binary | std::ios::ate);
    std::vector<unsigned char> buffer(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (in.gcount() != static_cast<std::streamsize>(buffer.size())) return state.SkipWithError("short read");
    std::uint64_t sum = 0;
    for (const unsigned char byte : buffer) sum += byte;
    benchmark::DoNotOptimize(sum);
    bytes = static_cast<std::int64_t>(buffer.size());
  }
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PlainPass)->Unit(benchmark::kMillisecond);

// What `ruvo-cli calculate DOC --no-save` does, without starting a process: open the document,
// read ruvo.cfg beside it, calculate (ruvo.log is written into the document's scratch folder), and
// format the summary lines and the findings.
void BM_CalculateMaxRecording(benchmark::State& state) {
  const MaxRecordingFiles& files = MaxRecordingOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  std::int32_t rows = 0;
  for (auto _ : state) {
    RunParameters params;
    AnalysisConfig config;
    RunCalculation calculation(params, config);
    RunDocument document(params, std::filesystem::path(files.documentPath).parent_path().string(), &calculation);
    if (!document.OpenRunDocument(files.documentPath)) return state.SkipWithError("the document did not open");
    config = ReadAnalysisConfig((std::filesystem::path(document.Folder()) / kConfigFileName).string());
    if (!calculation.Calculate(document.Folder())) return state.SkipWithError("the calculation failed");
    std::ostringstream out;
    out << calculation.Results().summaryLine1 << '\n' << calculation.Results().summaryLine2 << '\n';
    for (const RunFinding& finding : calculation.Findings()) out << FindingLine(finding) << '\n';
    benchmark::DoNotOptimize(out.str().size());
    rows = calculation.Results().rowCount;
  }
  state.counters["rows"] = rows;
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_CalculateMaxRecording)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ruvo
