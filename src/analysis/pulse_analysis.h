#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/pulse_scan.h"
#include "analysis/pulse_timeline.h"
#include "analysis/recording_levels.h"
#include "analysis/wave_recording.h"
#include "core/analysis_config.h"
#include "core/calculation_log.h"
#include "core/outcome.h"
#include "core/run_modes.h"

namespace ruvo {

// What the detection saw in one recording, kept after the analysis for checking its result and for
// showing it. Filled as far as the analysis got.
struct PulseEvidence {
  std::int32_t sampleRate = 0;  // samples per second
  std::int32_t sampleCount = 0;
  std::uint8_t amplitude = 0;  // largest deviation from the mean level, 8-bit steps
  RecordingLevels levels;
  InitialScanShape initialScan;
  DetectedPulses pulses;               // every array holds the pulseCount counted pulses only
  std::int64_t zeroCutoffSample = -1;  // where the scan stopped on a cutoff of 0, or -1
  std::int32_t lastCutoff = 0;         // the threshold the scans used last, 8-bit steps (0: no scan)
  std::vector<double> times;           // every pulse, seconds
  TimelineRange timeline;              // the pulses that form the timeline
};

// The analysis of one recording: opens the WAV file, finds its ignition pulses in two scans and
// builds its pulse timeline (times in seconds and cumulative engine revolutions), trimmed to the
// acceleration run in dynamometer mode. Every step writes its working to the calculation log and
// Run returns the messages of every step. The samples and the per-pulse arrays live only during Run; the
// untrimmed timeline lives as long as the analysis. The log is borrowed and must outlive it.
// Created for one recording, single-threaded.
class PulseAnalysis {
 public:
  // pulseDurationPercent: pulse length as a percentage of the spark interval. In tachometer mode
  // the timeline keeps every pulse. Nothing is read yet.
  PulseAnalysis(ListedRecording listedRecording,
                std::int32_t initialRpmEstimate,
                std::int32_t finalRpmEstimate,
                double revolutionsPerSpark,
                double pulseDurationPercent,
                CalculationMode calculationMode,
                const AnalysisConfig& analysisConfig,
                CalculationLog& calculationLog);

  // The whole analysis. Succeeds when a timeline is ready; fails when the calculation must stop.
  // Carries every explaining message in order (a recording too quiet to analyse fails without
  // one, and a scan's warning may come with a success).
  Outcome Run();

  // Fresh copies of the timeline's times (s) and cumulative revolutions, one value per timeline
  // point (none until Run succeeds). Revolutions count from the first pulse detected, so the first
  // value need not be 0.
  std::vector<double> CopyTimes() const;
  std::vector<double> CopyRevolutions() const;

  // What the last Run saw, with every pulse's time and the timeline range.
  PulseEvidence Evidence() const;

  // Writes the "#Final Derivatives:" section from the fitted revolutions, RPM and angular
  // acceleration (rev/s^2) at the timeline points.
  void WriteFinalDerivatives(std::span<const double> revFit,
                             std::span<const double> rpmFit,
                             std::span<const double> accelFit);

 private:
  Outcome CheckEstimates() const;

  ListedRecording recordingFile;
  std::int32_t initialRpm;
  std::int32_t finalRpm;
  double revsPerSpark;
  double pulseFraction;  // pulse length as a fraction of the spark interval
  CalculationMode mode;
  AnalysisConfig config;
  CalculationLog& log;
  std::vector<double> times;        // untrimmed, seconds
  std::vector<double> revolutions;  // untrimmed, cumulative engine revolutions
  TimelineRange range;              // the timeline within times and revolutions
  PulseEvidence evidence;           // without times and timeline, which Evidence() adds
};

}  // namespace ruvo
