#include "accuracy_cases.h"

namespace ruvo {
namespace {

struct Vehicle {
  std::string name;
  SynthOptions options;  // vehicle, torque curve and rpm span
};

TorqueCurve CurveThrough(std::vector<TorquePoint> points) {
  TorqueCurve curve;
  std::string error;
  TorqueCurve::FromPoints(std::move(points), curve, error);  // the fixed points below are valid
  return curve;
}

// A small hatchback in third gear on the built-in road-engine curve (peak torque mid-range).
Vehicle Hatchback() {
  SynthOptions o;
  o.vehicle.vehicleWeight = 2400.0;
  o.vehicle.axleRatio = 4.0;
  o.vehicle.gearRatio = 1.3;
  o.vehicle.wheelDiameter = 14.0;
  o.vehicle.tireWidth = 185.0;
  o.vehicle.tireAspectRatio = 65.0;
  o.vehicle.dragCoefficient = 0.33;
  o.vehicle.frontalArea = 21.0;
  o.vehicle.rollingCoefficient = 0.012;
  o.startRpm = 1000.0;
  o.endRpm = 6500.0;
  return {"hatchback", o};
}

// A heavy pickup whose big engine pulls hardest low down and fades early.
Vehicle Pickup() {
  SynthOptions o;
  o.vehicle.vehicleWeight = 5200.0;
  o.vehicle.revsPerIgnition = 1.0;
  o.vehicle.axleRatio = 3.73;
  o.vehicle.gearRatio = 1.0;
  o.vehicle.wheelDiameter = 31.0;
  o.vehicle.dragCoefficient = 0.45;
  o.vehicle.frontalArea = 32.0;
  o.vehicle.rollingCoefficient = 0.015;
  o.torque = CurveThrough(
      {{800.0, 240.0}, {1500.0, 290.0}, {2500.0, 330.0}, {3500.0, 320.0}, {4500.0, 280.0}, {5500.0, 220.0}});
  o.startRpm = 1200.0;
  o.endRpm = 5200.0;
  return {"pickup", o};
}

// A light sports car with a peaky engine: torque still rising at 6000 rpm, power peaking late.
Vehicle SportsCar() {
  SynthOptions o;
  o.vehicle.vehicleWeight = 2800.0;
  o.vehicle.axleRatio = 4.1;
  o.vehicle.gearRatio = 1.0;
  o.vehicle.wheelDiameter = 25.0;
  o.vehicle.dragCoefficient = 0.30;
  o.vehicle.frontalArea = 19.0;
  o.torque = CurveThrough({{1000.0, 80.0},
                           {2500.0, 105.0},
                           {4000.0, 135.0},
                           {5500.0, 158.0},
                           {6500.0, 162.0},
                           {7500.0, 150.0},
                           {8500.0, 118.0}});
  o.startRpm = 2000.0;
  o.endRpm = 8200.0;
  return {"sports", o};
}

}  // namespace

std::vector<AccuracyCase> AccuracyCases() {
  std::vector<AccuracyCase> cases;
  std::uint64_t seed = 1;
  for (const Vehicle& vehicle : {Hatchback(), Pickup(), SportsCar()}) {
    for (std::int32_t rate : {11025, 22050, 44100}) {
      for (bool noisy : {false, true}) {
        const std::string sound = noisy ? "noisy" : "clean";
        AccuracyCase run{vehicle.name + "-" + std::to_string(rate) + "-" + sound, sound, vehicle.options};
        SynthOptions& o = run.options;
        o.vehicle.description = run.name;
        o.sampleRate = rate;
        o.seed = seed++;
        o.idleSeconds = 0.5;
        o.liftOffSeconds = 1.0;
        // Above the idle, so the table starts where the run rises, as a user would set it.
        o.initialRpm = static_cast<std::int32_t>(1.2 * o.startRpm);
        // Clean: no background noise, bursts of nearly equal height. Noisy: a hiss like a phone
        // microphone's next to the engine bay, bursts varying by nearly a third.
        o.noise = noisy ? 3.0 : 0.0;
        o.peakVariation = noisy ? 0.3 : 0.1;
        cases.push_back(std::move(run));
      }
    }
  }
  return cases;
}

std::vector<SmoothingChoice> SmoothingChoices() {
  return {{"none", "none", 0, 3},
          {"local-3", "local smoothing", 1, 3},
          {"segments-3", "curve segments (default)", 2, 3},
          {"expfit-3", "exponential fit", 3, 3}};
}

}  // namespace ruvo
