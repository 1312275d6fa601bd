// Redraw of the recording view on the largest recording the reader accepts (9,999,999 samples):
// zooming and panning must stay under 30 ms per frame.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "analysis/wave_recording.h"
#include "plot/recording_view.h"

namespace {

constexpr int kRate = 44100;        // samples per second
constexpr int kPulseSpacing = 441;  // samples between sparks: 6000 rpm at 2 revolutions per spark
constexpr int kPulseLength = 40;    // samples

ruvo::RecordingTrace LargestTrace() {
  ruvo::RecordingTrace trace;
  trace.name = QStringLiteral("largest.wav");
  trace.samples.resize(ruvo::WaveRecording::kMaxSampleCount);
  std::uint32_t noise = 12345;
  for (std::size_t k = 0; k < trace.samples.size(); ++k) {
    noise = noise * 1664525u + 1013904223u;
    const bool spark = k % kPulseSpacing < kPulseLength;
    trace.samples[k] = static_cast<std::uint8_t>(128 + (spark ? 90 : 4) * std::sin(0.7 * double(k)) + (noise >> 30));
  }
  ruvo::PulseEvidence& d = trace.evidence.detection;
  d.sampleRate = kRate;
  d.sampleCount = ruvo::WaveRecording::kMaxSampleCount;
  for (std::int32_t start = 0; start + kPulseLength < d.sampleCount; start += kPulseSpacing) {
    d.pulses.starts.push_back(start);
    d.pulses.ends.push_back(start + kPulseLength - 1);
    d.pulses.cutoffs.push_back(30);
    const double time = (start + kPulseSpacing / 2.0) / kRate;
    trace.evidence.speeds.push_back({time, 6000.0 + 50.0 * std::sin(double(start)), 6000.0});
  }
  d.pulses.pulseCount = static_cast<std::int32_t>(d.pulses.starts.size());
  return trace;
}

// One frame per iteration at each zoom: the whole recording, a tenth, a thousandth; panned a little each time.
void BM_RecordingViewRedraw(benchmark::State& state) {
  static const ruvo::RecordingTrace trace = LargestTrace();
  ruvo::RecordingPlot plot;
  plot.resize(1600, 600);
  plot.SetTrace(&trace, {});
  QImage frame(plot.size(), QImage::Format_ARGB32_Premultiplied);
  const double duration = double(trace.samples.size()) / kRate;
  const double width = duration / std::pow(10.0, double(state.range(0)));
  double first = 0.0;
  for (auto _ : state) {
    first = std::fmod(first + width * 0.01, duration - width);
    plot.ZoomTo(first, first + width);
    QPainter painter(&frame);
    plot.Render(painter, frame.size());
  }
  state.SetLabel("1/" + std::to_string(static_cast<int>(std::pow(10.0, double(state.range(0))))) + " of 226.8 s");
}
BENCHMARK(BM_RecordingViewRedraw)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
