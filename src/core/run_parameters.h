#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ruvo {

// The weather of a run, for correcting power to standard air. Each value is optional; the run
// document carries a line for each one that is set, after the specified parameter lines.
struct AirConditions {
  std::optional<double> temperatureC;     // intake (ambient) air, degrees Celsius
  std::optional<double> pressureHpa;      // barometric: at the station, or at sea level when altitudeM is set
  std::optional<double> humidityPercent;  // relative humidity, 0..100
  std::optional<double> altitudeM;        // metres above sea level; set only for a sea-level pressure

  bool IsEmpty() const { return !temperatureC && !pressureHpa && !humidityPercent && !altitudeM; }
  bool operator==(const AirConditions&) const = default;
};

// Every input of one calculation, with the initial values of a freshly started program. The
// record checks nothing: the form validates what the user types, and a run document may set
// any value. Fields are in the order the run document stores them.
struct RunParameters {
  std::string description;
  double vehicleWeight = 2400.0;   // pounds; mass with g = 32.2 ft/s^2 and rolling load
  double revsPerIgnition = 2.0;    // engine revolutions between two ignition pulses
  double axleRatio = 4.0;          // final axle ratio
  double gearRatio = 2.5;          // ratio of the test gear
  double wheelDiameter = 29.3;     // inches; the whole rolling diameter when tireWidth is 0
  double tireAspectRatio = 100.0;  // percent of tireWidth
  double tireWidth = 0.0;          // millimetres
  double dragCoefficient = 0.5;
  double frontalArea = 35.0;          // square feet
  double frictionLossHp = 0.0;        // horsepower lost to friction at frictionLossRpm
  std::int32_t frictionLossRpm = 0;   // rpm
  double frictionLossExponent = 0.0;  // exponent of road speed in the friction force law
  std::int32_t smoothingMethod = 2;   // the file's number: SmoothingMethodOf (core/run_modes.h)
  std::int32_t smoothingLevel = 3;
  std::int32_t initialRpm = 1000;      // estimated engine speed at the start of the recording
  std::int32_t finalRpm = 5000;        // estimated engine speed at the end of the recording
  double maxPulseLength = 20.0;        // percent of the pulse period
  std::vector<std::string> waveFiles;  // absolute, or relative to the working directory
  std::int32_t calculationMode = 0;    // the file's number: CalculationModeOf (core/run_modes.h)
  double rollingCoefficient = 0.01;    // rolling force = vehicleWeight * coefficient
  double drivetrainLoss = 0.0;         // percent of the wheel force
  std::int32_t smoothingRpm = 0;       // rpm at the start of the decline (exponential fit)
  AirConditions conditions;            // not an input of the calculation: used to correct its power

  bool operator==(const RunParameters&) const = default;
};

}  // namespace ruvo
