#include "calc/run_calculation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>

#include "analysis/pulse_analysis.h"
#include "calc/curve_model_factory.h"
#include "calc/input_checks.h"
#include "calc/result_tables.h"
#include "calc/run_diagnosis.h"
#include "calc/spark_timing.h"
#include "calc/tachometer.h"
#include "core/text_format.h"
#include "core/vehicle_model.h"

namespace ruvo {
namespace {

constexpr double kNoFinalRpmYet = 100000.0;  // above any engine speed

bool AllFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
}

// Speed of every timeline interval, measured from the interval and fitted at its midpoint.
std::vector<SpeedSample> IntervalSpeeds(const std::vector<double>& times,
                                        double revsPerSpark,
                                        const CurveModel& model) {
  std::vector<SpeedSample> speeds;
  for (std::size_t k = 1; k < times.size(); ++k) {
    const double middle = 0.5 * (times[k - 1] + times[k]);
    speeds.push_back({middle, kSecondsPerMinute * revsPerSpark / (times[k] - times[k - 1]),
                      model.Derivative(middle) * kSecondsPerMinute});
  }
  return speeds;
}

// The lock of a folder's ruvo.log. Folders share a few locks by the hash of their path: two
// calculations in one folder always wait for each other, two in different folders almost never.
std::mutex& FolderLock(const std::string& folder) {
  static std::array<std::mutex, 16> locks;
  std::error_code error;
  const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
  const std::string key = error ? folder : canonical.string();
  return locks[std::hash<std::string>{}(key) % locks.size()];
}

}  // namespace

RunCalculation::RunCalculation(const RunParameters& heldParams, const AnalysisConfig& heldConfig)
    : params(heldParams), config(heldConfig) {}

Outcome RunCalculation::Calculate(const std::string& folder) {
  results.succeeded = false;
  results.ReleaseResults();
  evidence.clear();
  findings.clear();
  const std::string problem = FindInputProblem(params);
  if (!problem.empty()) return Outcome::Failure(problem);
  mode = *CalculationModeOf(params.calculationMode);
  method = *SmoothingMethodOf(params.smoothingMethod);
  const std::scoped_lock logInUse(FolderLock(folder));
  if (!log.Open((std::filesystem::path(folder) / CalculationLog::kFileName).string()))
    return Outcome::Failure("Could not open Log file - ruvo.log");
  said = {};
  if (params.waveFiles.size() > kMaxRecordings)
    said.Note(FormatText("Only the first %d wave files are used - the other %d were ignored",
                         static_cast<int>(kMaxRecordings), static_cast<int>(params.waveFiles.size() - kMaxRecordings)));

  results.succeeded = true;
  highestStartRpm = 0.0;
  lowestFinalRpm = kNoFinalRpmYet;
  curves.clear();
  const std::size_t fileCount = std::min(params.waveFiles.size(), kMaxRecordings);
  for (std::size_t i = 0;
       i < fileCount && ProcessRecording({params.waveFiles[i], ListedWavePath(folder, params.waveFiles[i])}); ++i) {
  }

  if (curves.empty()) {
    results.succeeded = false;
  } else {
    ComputeResults();
  }
  // A failure is explained from what its recordings showed.
  findings = results.succeeded ? CheckRun(evidence, results, params) : DiagnoseFailure(evidence, params);
  curves.clear();
  log.Close();
  if (!results.succeeded) said.Fail();
  return std::exchange(said, {});
}

bool RunCalculation::ProcessRecording(const ListedRecording& recording) {
  PulseAnalysis analysis(recording, params.initialRpm, params.finalRpm, params.revsPerIgnition, params.maxPulseLength,
                         mode, config, log);
  const Outcome analysed = analysis.Run();
  said.AddMessagesOf(analysed);
  evidence.push_back({recording.name, recording.path, analysis.Evidence(), {}});
  if (!analysed) {
    results.succeeded = false;
    return false;
  }
  std::vector<double> times = analysis.CopyTimes();
  std::vector<double> revolutions = analysis.CopyRevolutions();
  const std::size_t n = times.size();

  const std::unique_ptr<const CurveModel> model =
      CreateCurveModel(method, times, revolutions, params.smoothingLevel, params.smoothingRpm / kSecondsPerMinute, log);
  results.succeeded = model != nullptr;
  RecordingCurves sampled{std::vector<double>(n), std::vector<double>(n)};
  std::vector<double> fittedRevolutions(n);
  if (results.succeeded) {
    for (std::size_t k = 0; k < n; ++k) {
      const CurveModel::Evaluation at = model->EvaluateAll(times[k]);
      fittedRevolutions[k] = at.value;
      sampled.rpm[k] = at.derivative * kSecondsPerMinute;
      sampled.angularAcceleration[k] = at.secondDerivative;
    }
    // A curve that is not finite everywhere would put infinities or NaN into the results.
    if (n == 0 || !AllFinite(fittedRevolutions) || !AllFinite(sampled.rpm) || !AllFinite(sampled.angularAcceleration))
      results.succeeded = false;
  }
  if (!results.succeeded) {
    said.Note("Calculation failed during smoothing");
    return false;
  }
  evidence.back().speeds = IntervalSpeeds(times, params.revsPerIgnition, *model);

  highestStartRpm = std::max(highestStartRpm, sampled.rpm.front());
  lowestFinalRpm = std::min(lowestFinalRpm, sampled.rpm.back());
  if (mode == CalculationMode::kDynamometer && !(sampled.rpm.back() > sampled.rpm.front())) {
    results.succeeded = false;
    said.Note("Calculation failed RPM not increasing");
  }
  AnalyzeSparkTiming(params.revsPerIgnition, times, revolutions, sampled.angularAcceleration, results.spark, log);
  analysis.WriteFinalDerivatives(fittedRevolutions, sampled.rpm, sampled.angularAcceleration);
  results.pulseTimes = std::move(times);
  results.cumulativeRevs = std::move(revolutions);
  curves.push_back(std::move(sampled));
  return results.succeeded;
}

void RunCalculation::ComputeResults() {
  if (mode == CalculationMode::kDynamometer) {
    const bool recordingsSucceeded = results.succeeded;
    ComputeDynamometer(params, curves, highestStartRpm, lowestFinalRpm, results);
    // Without this the user would see a failed calculation and no reason for it.
    if (recordingsSucceeded && !results.succeeded)
      said.Note("Calculation failed RPM range too short - the recordings share less than 50 rpm");
  } else {
    const RecordingCurves& last = curves.back();
    results.rowCount = static_cast<std::int32_t>(last.rpm.size());
    ComputeTachometer(params, results.cumulativeRevs, last.rpm, last.angularAcceleration, results);
  }
  results.resultMode = mode;
  if (results.succeeded && !ResultsAreFinite()) {
    results.succeeded = false;
    said.Note("Calculation failed - the results are not finite numbers; check the vehicle data");
  }
}

bool RunCalculation::ResultsAreFinite() const {
  for (const std::vector<double>* array :
       {&results.rpm, &results.acceleration, &results.speed, &results.force, &results.accelForce, &results.dragForce,
        &results.frictionForce, &results.horsepower, &results.torque, &results.distance})
    if (!AllFinite(*array)) return false;
  return std::isfinite(results.rollingForce);
}

bool RunCalculation::AppendResultTable(std::ostream& out) {
  if (!results.succeeded) return false;
  if (results.resultMode == CalculationMode::kDynamometer)
    WritePowerTable(out, params.description, results);
  else
    WriteTimeTable(out, params.description, results);
  return true;
}

void RunCalculation::DiscardResults() {
  results.succeeded = false;
  results.ReleaseResults();
  evidence.clear();
  findings.clear();
}

}  // namespace ruvo
