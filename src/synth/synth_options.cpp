#include "synth/synth_options.h"

#include <cmath>
#include <limits>
#include <variant>

#include "core/number_text.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

using RealField = double& (*)(SynthOptions&);
using IntegerField = std::int32_t& (*)(SynthOptions&);
using SeedField = std::uint64_t& (*)(SynthOptions&);
using TextField = std::string& (*)(SynthOptions&);
using Field = std::variant<RealField, IntegerField, SeedField, TextField>;

constexpr double kAny = std::numeric_limits<double>::infinity();
constexpr std::size_t kLongestDescription = 105;  // what one run-document line leaves for it

// The sound an option means something for; with the other sound it must keep its default.
enum class Applies { kAlways, kClicks, kEngine };

struct OptionEntry {
  const char* name;
  const char* unit;
  const char* help;
  Field field;
  double minimum = -kAny;  // inclusive range of numeric options
  double maximum = kAny;
  Applies applies = Applies::kAlways;
};

constexpr const char* kClicks = "clicks";
constexpr double kUsualBurstRingHz = 5000.0;  // the ring of the clicks unless asked otherwise
constexpr const char* kEngine = "engine";

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// Spelled out: clang 14 deduces no template arguments for aggregates.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// clang-format off
const std::vector<OptionEntry>& OptionTable() {
  static const std::vector<OptionEntry> kTable = {
      {"description", "", "title of the run in the run document (at most 105 characters)",
       TextField([](SynthOptions& o) -> std::string& { return o.vehicle.description; })},
      {"vehicle-weight", "lb", "test weight of the vehicle",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.vehicleWeight; }), 100.0, 50000.0},
      {"revs-per-ignition", "rev", "engine revolutions between two sparks",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.revsPerIgnition; }), 0.1, 16.0},
      {"axle-ratio", "", "final axle ratio",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.axleRatio; }), 0.1, 50.0},
      {"gear-ratio", "", "ratio of the test gear",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.gearRatio; }), 0.1, 50.0},
      {"wheel-diameter", "in", "wheel diameter; the whole rolling diameter when the tire width is 0",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.wheelDiameter; }), 1.0, 5000.0},
      {"tire-aspect-ratio", "%", "tire sidewall height as a percentage of the tire width",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.tireAspectRatio; }), 0.0, 100.0},
      {"tire-width", "mm", "tire section width",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.tireWidth; }), 0.0, 5000.0},
      {"drag-coefficient", "", "aerodynamic drag coefficient",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.dragCoefficient; }), 0.0, 50.0},
      {"frontal-area", "sq ft", "frontal area for aerodynamic drag",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.frontalArea; }), 0.0, 500.0},
      {"friction-loss-hp", "hp", "frictional power loss at --friction-loss-rpm",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.frictionLossHp; }), 0.0, 1000.0},
      {"friction-loss-rpm", "rpm", "engine speed at which --friction-loss-hp applies",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.vehicle.frictionLossRpm; }), 0.0, 30000.0},
      {"friction-loss-exponent", "", "exponent of road speed in the friction force",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.frictionLossExponent; }), 0.0, 4.0},
      {"smoothing-method", "", "0 none, 1 local smoothing, 2 curve segments, 3 exponential fit",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.vehicle.smoothingMethod; }), 0.0, 3.0},
      {"smoothing-level", "", "parameter of the smoothing method",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.vehicle.smoothingLevel; })},
      {"initial-rpm", "rpm", "estimated engine speed at the start; 0: the start rpm",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.initialRpm; })},
      {"final-rpm", "rpm", "estimated engine speed at the end; 0: the end rpm",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.finalRpm; })},
      {"max-pulse-length", "%", "pulse duration estimate, percent of the spark interval; 0: from the run",
       RealField([](SynthOptions& o) -> double& { return o.maxPulseLength; })},
      {"calculation-mode", "", "0 dynamometer, 1 tachometer",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.vehicle.calculationMode; }), 0.0, 1.0},
      {"rolling-coefficient", "", "rolling resistance coefficient",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.rollingCoefficient; }), 0.0, 1.0},
      {"drivetrain-loss", "%", "share of the wheel force lost in the drivetrain",
       RealField([](SynthOptions& o) -> double& { return o.vehicle.drivetrainLoss; }), 0.0, 90.0},
      {"smoothing-rpm", "rpm", "engine speed at the start of the decline (exponential fit)",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.vehicle.smoothingRpm; })},
      {"start-rpm", "rpm", "engine speed where full throttle begins",
       RealField([](SynthOptions& o) -> double& { return o.startRpm; }), 100.0, 20000.0},
      {"end-rpm", "rpm", "engine speed where the run ends (above --start-rpm)",
       RealField([](SynthOptions& o) -> double& { return o.endRpm; }), 100.0, 20000.0},
      {"sample-rate", "Hz", "samples per second of the recording",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.sampleRate; }), 8000.0, 48000.0},
      {"seed", "", "fixes every random choice: the same seed gives the same files",
       SeedField([](SynthOptions& o) -> std::uint64_t& { return o.seed; })},
      {"sound", "", "what the recording holds: clicks (the sparks) or engine (the engine firing)",
       TextField([](SynthOptions& o) -> std::string& { return o.sound; })},
      {"cylinders", "", "cylinders of the engine, fired evenly (--sound engine)",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.cylinders; }), 1.0, 16.0, Applies::kEngine},
      {"strokes", "", "strokes of the engine's cycle, 4 or 2 (--sound engine)",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.strokes; }), -kAny, kAny, Applies::kEngine},
      {"mic", "", "phone in the cabin (muffled, booming) or at the exhaust (bright) (--sound engine)",
       TextField([](SynthOptions& o) -> std::string& { return o.mic; }), -kAny, kAny, Applies::kEngine},
      {"silence-level", "", "sample value of silence",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.silenceLevel; }), 0.0, 255.0},
      {"noise", "", "standard deviation of the background noise, in sample steps",
       RealField([](SynthOptions& o) -> double& { return o.noise; }), 0.0, 100.0},
      {"spark-peak", "", "largest height of a spark's burst above silence, in sample steps (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.sparkPeak; }), 0.0, 255.0, Applies::kClicks},
      {"peak-variation", "", "bursts vary at random between (1 - this) x peak and the peak (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.peakVariation; }), 0.0, 1.0, Applies::kClicks},
      {"missing-sparks", "", "fraction of sparks the recording misses (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.missingSparks; }), 0.0, 1.0, Applies::kClicks},
      {"weak-sparks", "", "fraction of sparks heard weakly (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.weakSparks; }), 0.0, 1.0, Applies::kClicks},
      {"weak-level", "", "a weak spark's peak as a fraction of its normal peak (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.weakLevel; }), 0.0, 1.0, Applies::kClicks},
      {"clip-level", "", "largest deviation from silence the recorder keeps; 0: no clipping",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.clipLevel; }), 0.0, 255.0},
      {"dc-offset", "", "baseline drift reached at the end of the recording, growing from 0",
       RealField([](SynthOptions& o) -> double& { return o.dcOffset; }), -255.0, 255.0},
      {"idle-seconds", "s", "steady stretch at the start rpm before the run",
       RealField([](SynthOptions& o) -> double& { return o.idleSeconds; }), 0.0, 60.0},
      {"lift-off-seconds", "s", "coasting stretch after the run, speed falling",
       RealField([](SynthOptions& o) -> double& { return o.liftOffSeconds; }), 0.0, 60.0},
      {"lift-off-torque", "ft-lb", "engine torque while lifted off (engine braking is negative)",
       RealField([](SynthOptions& o) -> double& { return o.liftOffTorque; }), -1000.0, 0.0},
      {"hum-hz", "Hz", "frequency of the mains hum",
       RealField([](SynthOptions& o) -> double& { return o.humHz; }), 1.0, 1000.0},
      {"hum-level", "", "amplitude of the mains hum, in sample steps",
       RealField([](SynthOptions& o) -> double& { return o.humLevel; }), 0.0, 255.0},
      {"static-level", "", "standard deviation of band-limited static, in sample steps",
       RealField([](SynthOptions& o) -> double& { return o.staticLevel; }), 0.0, 100.0},
      {"static-hz", "Hz", "cut-off of the one-pole low-pass that shapes the static",
       RealField([](SynthOptions& o) -> double& { return o.staticHz; }), 10.0, 100000.0},
      {"echo-delay-ms", "ms", "delay of the echo that follows each burst (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.echoDelayMs; }), 0.1, 1000.0, Applies::kClicks},
      {"echo-ratio", "", "peak of each burst's echo as a fraction of the burst's peak; 0: no echo (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.echoRatio; }), 0.0, 1.0, Applies::kClicks},
      {"ring-hz", "Hz", "frequency each burst rings at, at most a sixth of the sample rate; 0: 5000 or that sixth (--sound clicks)",
       RealField([](SynthOptions& o) -> double& { return o.ringHz; }), 0.0, 20000.0, Applies::kClicks},
      {"gain-step-seconds", "s", "time from the first sample at which the recorder's gain steps; 0: never",
       RealField([](SynthOptions& o) -> double& { return o.gainStepSeconds; }), 0.0, 600.0},
      {"gain-step-factor", "", "factor on the sound (not silence or drift) from the gain step on",
       RealField([](SynthOptions& o) -> double& { return o.gainStepFactor; }), 0.0, 100.0},
      {"log-rate", "Hz", "rows per second of an engine-speed log NAME.log.csv beside the recording; 0: none",
       RealField([](SynthOptions& o) -> double& { return o.logRateHz; }), 0.0, 1000.0},
      {"log-rpm-step", "rpm", "the log's engine speed is rounded to multiples of this",
       RealField([](SynthOptions& o) -> double& { return o.logRpmStep; }), 0.001, 1000.0},
      {"log-jitter-ms", "ms", "the log's timestamps are off by up to this either way, at random",
       RealField([](SynthOptions& o) -> double& { return o.logJitterMs; }), 0.0, 1000.0},
      {"log-hold", "", "rows of the log that repeat each update before the next, as OBD adapters do",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.logHold; }), 0.0, 100.0},
      {"bits", "", "bits per sample: 8 unsigned, or 16 signed at 256 x finer scale; 0: 8 for clicks, 16 for engine",
       IntegerField([](SynthOptions& o) -> std::int32_t& { return o.bits; })},
  };
  return kTable;
}
// clang-format on

const OptionEntry* FindOption(std::string_view name) {
  for (const OptionEntry& entry : OptionTable())
    if (name == entry.name) return &entry;
  return nullptr;
}

std::string RangeText(const OptionEntry& entry) {
  if (!std::isfinite(entry.minimum) || !std::isfinite(entry.maximum)) return {};
  if (std::holds_alternative<IntegerField>(entry.field))
    return FormatText("%d to %d", static_cast<int>(entry.minimum), static_cast<int>(entry.maximum));
  return FormatText("%g to %g", entry.minimum, entry.maximum);
}

std::string ValueText(const OptionEntry& entry, SynthOptions& options) {
  return std::visit(
      Overloaded{[&](RealField f) { return FormatText("%g", f(options)); },
                 [&](IntegerField f) { return FormatText("%d", f(options)); },
                 [&](SeedField f) { return FormatText("%llu", static_cast<unsigned long long>(f(options))); },
                 [&](TextField f) { return f(options); }},
      entry.field);
}

// Whether a numeric option lies in its range (NaN never does); texts and seeds always pass.
bool InRange(const OptionEntry& entry, SynthOptions& options) {
  const auto check = [&](double value) { return value >= entry.minimum && value <= entry.maximum; };
  return std::visit(Overloaded{[&](RealField f) { return std::isfinite(f(options)) && check(f(options)); },
                               [&](IntegerField f) { return check(f(options)); }, [](SeedField) { return true; },
                               [](TextField) { return true; }},
                    entry.field);
}

// The first option that the chosen sound does not use but that was changed from its default.
const OptionEntry* OptionOfTheOtherSound(SynthOptions& values) {
  SynthOptions defaults;
  const Applies unused = IsEngineSound(values) ? Applies::kClicks : Applies::kEngine;
  for (const OptionEntry& entry : OptionTable())
    if (entry.applies == unused && ValueText(entry, values) != ValueText(entry, defaults)) return &entry;
  return nullptr;
}

}  // namespace

bool IsEngineSound(const SynthOptions& options) {
  return options.sound == kEngine;
}

std::int32_t SampleBits(const SynthOptions& options) {
  if (options.bits != 0) return options.bits;
  return IsEngineSound(options) ? 16 : 8;
}

double BurstRingHz(const SynthOptions& options) {
  if (options.ringHz > 0.0) return options.ringHz;
  return std::fmin(kUsualBurstRingHz, options.sampleRate / kRingSamplesPerCycle);
}

std::vector<SynthOptionInfo> ListSynthOptions() {
  SynthOptions defaults;
  std::vector<SynthOptionInfo> list;
  for (const OptionEntry& entry : OptionTable())
    list.push_back({entry.name, entry.unit, entry.help, ValueText(entry, defaults), RangeText(entry)});
  return list;
}

bool SetSynthOption(SynthOptions& options, std::string_view name, std::string_view value, std::string& error) {
  const OptionEntry* entry = FindOption(name);
  if (!entry) {
    error = "Unknown option --" + std::string(name) + " (ruvo-synth --help lists them)";
    return false;
  }
  const bool ok = std::visit(Overloaded{[&](RealField f) { return ParseReal(value, f(options)); },
                                        [&](IntegerField f) { return ParseInteger(value, f(options)); },
                                        [&](SeedField f) { return ParseSeed(value, f(options)); },
                                        [&](TextField f) {
                                          f(options) = std::string(value);
                                          return true;
                                        }},
                             entry->field);
  if (!ok) {
    const char* expected = std::holds_alternative<RealField>(entry->field) ? "a number" : "a whole number";
    error = "Option --" + std::string(name) + ": \"" + std::string(value) + "\" is not " + expected;
  }
  return ok;
}

std::string ValidateSynthOptions(const SynthOptions& options) {
  SynthOptions values = options;  // the field accessors need a modifiable record
  for (const OptionEntry& entry : OptionTable()) {
    if (InRange(entry, values)) continue;
    const std::string range = RangeText(entry);
    return "Option --" + std::string(entry.name) + " must be " + (range.empty() ? "a finite number" : range) +
           (entry.unit[0] && !range.empty() ? std::string(" ") + entry.unit : std::string()) + ", not " +
           ValueText(entry, values);
  }
  if (options.bits != 0 && options.bits != 8 && options.bits != 16)
    return FormatText("Option --bits must be 8 or 16, not %d", options.bits);
  if (options.sound != kClicks && options.sound != kEngine)
    return "Option --sound must be clicks or engine, not \"" + options.sound + "\"";
  if (options.mic != "cabin" && options.mic != "exhaust")
    return "Option --mic must be cabin or exhaust, not \"" + options.mic + "\"";
  if (options.strokes != 2 && options.strokes != 4)
    return FormatText("Option --strokes must be 4 or 2, not %d", options.strokes);
  if (const OptionEntry* entry = OptionOfTheOtherSound(values))
    return FormatText("Option --%s applies to --sound %s only", entry->name,
                      entry->applies == Applies::kEngine ? kEngine : kClicks);
  if (options.vehicle.description.size() > kLongestDescription)
    return FormatText("Option --description may hold at most %d characters", static_cast<int>(kLongestDescription));
  // Above a sixth of the rate the first sample of a burst may miss its rising half; the ring asked
  // for is refused rather than lowered, so a sweep over it measures what it names.
  if (options.ringHz > options.sampleRate / kRingSamplesPerCycle)
    return FormatText("Option --ring-hz must be at most a sixth of --sample-rate (%g Hz at %d Hz), not %g",
                      options.sampleRate / kRingSamplesPerCycle, options.sampleRate, options.ringHz);
  if (!(options.endRpm > options.startRpm))
    return FormatText("Option --end-rpm (%g) must be above --start-rpm (%g)", options.endRpm, options.startRpm);
  const SynthOptions defaults;
  if (options.logRateHz == 0.0 && (options.logRpmStep != defaults.logRpmStep ||
                                   options.logJitterMs != defaults.logJitterMs || options.logHold != defaults.logHold))
    return "Options --log-rpm-step, --log-jitter-ms and --log-hold need --log-rate";
  if (options.vehicle.frictionLossHp > 0.0 && options.vehicle.frictionLossRpm <= 0)
    return "Option --friction-loss-rpm must be above 0 when --friction-loss-hp is set";
  return {};
}

}  // namespace ruvo
