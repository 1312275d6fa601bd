#pragma once

#include <string>
#include <vector>

#include "synth/synth_options.h"

namespace ruvo {

// One ignition spark of the simulated engine. Times and revolutions count from the first sample
// of the recording.
struct SparkEvent {
  double timeSeconds = 0.0;
  double revolutions = 0.0;  // engine revolutions turned when the spark fires
  double rpm = 0.0;          // engine speed at the spark
  double peak = 0.0;         // height of its burst in sample steps; 0 when the recording misses it
};

// The simulated state at the start and after every integration step.
struct MotionStep {
  double timeSeconds = 0.0;
  double revolutions = 0.0;
  double revsPerSecond = 0.0;
  double angularAcceleration = 0.0;  // revolutions per second squared
  double torqueFtLb = 0.0;           // engine torque acting at this state
};

struct IgnitionMotion {
  std::vector<SparkEvent> sparks;  // in time order; peaks are filled in by the sound
  std::vector<MotionStep> steps;
  double runStartSeconds = 0.0;  // full throttle begins (the end of the idle stretch)
  double runEndSeconds = 0.0;    // the engine reaches the end rpm
  double endSeconds = 0.0;       // the simulation ends (after the lift-off stretch)
};

// Simulates the engine and vehicle of options: a steady stretch of options.idleSeconds at the
// start rpm (the engine delivering just the torque that holds the speed), full throttle on the
// torque curve until the engine reaches the end rpm, then options.liftOffSeconds under the
// lift-off torque (ended early should the speed fall to half the start rpm).
//
// The motion (revolutions, revolutions per second) is integrated with the classical fourth-
// order Runge-Kutta method in fixed steps of 0.5 ms, shortened to end each stretch exactly.
// Inside a step the revolutions follow the cubic Hermite interpolant of the step's two states
// and their derivatives, and the speed the one of the speeds and accelerations; the spark
// every options.vehicle.revsPerIgnition revolutions (the first after half an interval) and the
// end of the run are placed by solving these cubics, not rounded to the step. Reference:
// J. C. Butcher, Numerical Methods for Ordinary Differential Equations, 3rd ed., 2016, 3.2.
//
// Preconditions: ValidateSynthOptions(options) is empty. Returns false with a message in error
// when the torque cannot carry the vehicle to the end rpm within two minutes; motion then
// holds what was simulated before the failure.
bool SimulateIgnition(const SynthOptions& options, IgnitionMotion& motion, std::string& error);

}  // namespace ruvo
