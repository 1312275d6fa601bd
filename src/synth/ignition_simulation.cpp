#include "synth/ignition_simulation.h"

#include <cmath>

#include "core/text_format.h"
#include "core/vehicle_model.h"
#include "synth/hermite_step.h"
#include "synth/vehicle_motion.h"

namespace ruvo {
namespace {

constexpr double kStepSeconds = 0.0005;
constexpr double kLongestRunSeconds = 120.0;
constexpr double kCheckRpmStep = 1.0;           // speeds at which the run's feasibility is checked
constexpr double kLiftOffFloor = 0.5;           // lift-off ends at this fraction of the start speed
constexpr double kShortestStepSeconds = 1e-12;  // a remainder below this ends a stretch

enum class Phase { kSteady, kFullThrottle, kLiftOff };

struct State {
  double revolutions;
  double revsPerSecond;
};

class Simulation {
 public:
  Simulation(const SynthOptions& runOptions, IgnitionMotion& result)
      : options(runOptions),
        vehicle(runOptions.vehicle),
        motion(result),
        startRevsPerSecond(runOptions.startRpm / kSecondsPerMinute),
        sparkInterval(runOptions.vehicle.revsPerIgnition),
        nextSparkRevolutions(0.5 * sparkInterval) {}

  bool Run(std::string& error) {
    motion = IgnitionMotion();
    state = {0.0, startRevsPerSecond};
    const Phase first = options.idleSeconds > 0.0 ? Phase::kSteady : Phase::kFullThrottle;
    acceleration = Acceleration(first, state);
    Record(first);
    RunPhase(Phase::kSteady, options.idleSeconds, NAN, true);
    motion.runStartSeconds = time;

    if (!CheckRunReachesTheEnd(error)) return false;
    acceleration = Acceleration(Phase::kFullThrottle, state);
    if (!RunPhase(Phase::kFullThrottle, kLongestRunSeconds, options.endRpm / kSecondsPerMinute, true))
      return CannotAccelerate(state.revsPerSecond * kSecondsPerMinute, error);
    motion.runEndSeconds = time;

    acceleration = Acceleration(Phase::kLiftOff, state);
    RunPhase(Phase::kLiftOff, options.liftOffSeconds, kLiftOffFloor * startRevsPerSecond, false);
    motion.endSeconds = time;
    return true;
  }

 private:
  double Torque(Phase phase, double revsPerSecond) const {
    switch (phase) {
      case Phase::kSteady: {
        const double resisting = vehicle.ResistingForce(vehicle.FeetPerRevolution() * revsPerSecond);
        return resisting / (1.0 - kPercent * options.vehicle.drivetrainLoss) * vehicle.FeetPerRevolution() /
               (2.0 * kPi);
      }
      case Phase::kFullThrottle:
        return options.torque.TorqueAt(revsPerSecond * kSecondsPerMinute);
      case Phase::kLiftOff:
        return options.liftOffTorque;
    }
    return 0.0;
  }

  double Acceleration(Phase phase, const State& s) const {
    if (phase == Phase::kSteady) return 0.0;  // held exactly, whatever the rounding of the forces
    return vehicle.AngularAcceleration(s.revsPerSecond, Torque(phase, s.revsPerSecond));
  }

  State Rk4(Phase phase, const State& s, double h) const {
    const auto derivative = [&](const State& at) { return State{at.revsPerSecond, Acceleration(phase, at)}; };
    const auto advance = [&](const State& d, double fraction) {
      return State{s.revolutions + fraction * d.revolutions, s.revsPerSecond + fraction * d.revsPerSecond};
    };
    const State k1 = derivative(s);
    const State k2 = derivative(advance(k1, 0.5 * h));
    const State k3 = derivative(advance(k2, 0.5 * h));
    const State k4 = derivative(advance(k3, h));
    return {s.revolutions + h / 6.0 * (k1.revolutions + 2.0 * k2.revolutions + 2.0 * k3.revolutions + k4.revolutions),
            s.revsPerSecond +
                h / 6.0 * (k1.revsPerSecond + 2.0 * k2.revsPerSecond + 2.0 * k3.revsPerSecond + k4.revsPerSecond)};
  }

  // Integrates for at most seconds; stops early, and returns true, where the speed rises (or
  // falls) to stopRevsPerSecond (NaN: never). A full-throttle stretch also ends, returning
  // false, should the torque no longer accelerate between the speeds checked beforehand.
  bool RunPhase(Phase phase, double seconds, double stopRevsPerSecond, bool rising) {
    // Step ends are counted from the start of the stretch, so that times do not drift by rounding.
    const double phaseStart = time;
    const double phaseEnd = time + seconds;
    for (double steps = 1.0; phaseEnd - time > kShortestStepSeconds; steps += 1.0) {
      double stepEnd = phaseStart + steps * kStepSeconds;
      if (stepEnd > phaseEnd - kShortestStepSeconds) stepEnd = phaseEnd;
      double h = stepEnd - time;
      State next = Rk4(phase, state, h);
      double nextAcceleration = Acceleration(phase, next);
      const bool stops = rising ? next.revsPerSecond >= stopRevsPerSecond : next.revsPerSecond <= stopRevsPerSecond;
      if (stops) {
        const HermiteStep speed{state.revsPerSecond, next.revsPerSecond, acceleration, nextAcceleration, h};
        h = speed.Solve(stopRevsPerSecond);
        next = Rk4(phase, state, h);
        nextAcceleration = Acceleration(phase, next);
      }
      PlaceSparks(next, nextAcceleration, h);
      time = stops ? time + h : stepEnd;
      state = next;
      acceleration = nextAcceleration;
      Record(phase);
      if (stops) return true;
      if (phase == Phase::kFullThrottle && !(acceleration > 0.0)) return false;
    }
    return false;
  }

  void PlaceSparks(const State& next, double nextAcceleration, double h) {
    const HermiteStep revolutions{state.revolutions, next.revolutions, state.revsPerSecond, next.revsPerSecond, h};
    const HermiteStep speed{state.revsPerSecond, next.revsPerSecond, acceleration, nextAcceleration, h};
    while (nextSparkRevolutions <= next.revolutions) {
      const double tau = revolutions.Solve(nextSparkRevolutions);
      motion.sparks.push_back({time + tau, nextSparkRevolutions, speed.Value(tau) * kSecondsPerMinute, 0.0});
      nextSparkRevolutions = static_cast<double>(motion.sparks.size()) * sparkInterval + 0.5 * sparkInterval;
    }
  }

  void Record(Phase phase) {
    motion.steps.push_back(
        {time, state.revolutions, state.revsPerSecond, acceleration, Torque(phase, state.revsPerSecond)});
  }

  // The acceleration depends on the speed alone, so full throttle reaches the end speed exactly
  // when the acceleration stays positive on the way there, and takes the integral of dn / accel.
  // Checked every rpm at most, before integrating, so that a stall is reported at once.
  bool CheckRunReachesTheEnd(std::string& error) const {
    const double span = options.endRpm - options.startRpm;
    const double slices = std::ceil(span / kCheckRpmStep);
    double seconds = 0.0;
    for (double i = 0.0; i <= slices; i += 1.0) {
      const double rpm = options.startRpm + span * i / slices;
      const double rate = Acceleration(Phase::kFullThrottle, {0.0, rpm / kSecondsPerMinute});
      if (!(rate > 0.0)) return CannotAccelerate(rpm, error);
      if (i > 0.0) seconds += span / slices / kSecondsPerMinute / rate;
    }
    if (seconds <= kLongestRunSeconds) return true;
    error = FormatText(
        "The run from %g to %g rpm would take about %.0f s, longer than %g s; lower --end-rpm or "
        "raise the torque",
        options.startRpm, options.endRpm, seconds, kLongestRunSeconds);
    return false;
  }

  bool CannotAccelerate(double rpm, std::string& error) const {
    error = FormatText(
        "At %.0f rpm the engine's torque of %.1f ft-lb no longer accelerates the vehicle, short of the end rpm %g; "
        "lower --end-rpm or raise the torque",
        rpm, Torque(Phase::kFullThrottle, rpm / kSecondsPerMinute), options.endRpm);
    return false;
  }

  const SynthOptions& options;
  const VehicleMotion vehicle;
  IgnitionMotion& motion;
  const double startRevsPerSecond;
  const double sparkInterval;
  double nextSparkRevolutions;
  double time = 0.0;
  State state{};
  double acceleration = 0.0;
};

}  // namespace

bool SimulateIgnition(const SynthOptions& options, IgnitionMotion& motion, std::string& error) {
  return Simulation(options, motion).Run(error);
}

}  // namespace ruvo
