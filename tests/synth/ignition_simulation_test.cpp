#include "synth/ignition_simulation.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>

#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

// The results' own constants, restated so the tests check the simulation against them.
constexpr double kPi = 3.14159;
constexpr double kG = 32.2;

double FeetPerRev(const RunParameters& v) {
  const double diameter = 0.02 * v.tireAspectRatio * v.tireWidth / 25.4 + v.wheelDiameter;
  return kPi * diameter / 12.0 / (v.gearRatio * v.axleRatio);
}

IgnitionMotion Simulate(const SynthOptions& options) {
  IgnitionMotion motion;
  std::string error;
  EXPECT_TRUE(SimulateIgnition(options, motion, error)) << error;
  return motion;
}

// One sample at the highest sample rate, the limit the spark times must beat by far.
constexpr double kSampleSeconds = 1.0 / 48000.0;

TEST(IgnitionSimulation, ConstantForceGivesConstantAccelerationAndClosedFormSparks) {
  // torque, drivetrain loss, rolling coefficient, revolutions per spark, tire width
  for (const auto& [torque, loss, rolling, revsPerIgnition, tireWidth] :
       {std::array{130.0, 0.0, 0.0, 2.0, 0.0}, std::array{90.0, 15.0, 0.0, 0.5, 0.0},
        std::array{200.0, 0.0, 0.02, 1.0, 205.0}, std::array{60.0, 10.0, 0.015, 3.0, 185.0}}) {
    SCOPED_TRACE(testing::Message() << "torque " << torque << " revs/spark " << revsPerIgnition);
    SynthOptions options;  // no drag: the force stays constant
    options.torque = TorqueCurve::Constant(torque);
    RunParameters& v = options.vehicle;
    std::tie(v.dragCoefficient, v.drivetrainLoss, v.rollingCoefficient, v.revsPerIgnition, v.tireWidth,
             v.tireAspectRatio) = std::tuple(0.0, loss, rolling, revsPerIgnition, tireWidth, 60.0);
    const double f = FeetPerRev(v);
    const double net = 2.0 * kPi * torque / f * (1.0 - 0.01 * loss) - v.vehicleWeight * rolling;
    const double alpha = net / (v.vehicleWeight / kG) / f;  // rev/s^2
    const double w0 = options.startRpm / 60.0;

    const IgnitionMotion motion = Simulate(options);
    for (const MotionStep& step : motion.steps) ASSERT_TRUE(IsClose(step.angularAcceleration, alpha, 1e-12));
    EXPECT_TRUE(IsClose(motion.runEndSeconds, (options.endRpm / 60.0 - w0) / alpha, 1e-12));
    ASSERT_GT(motion.sparks.size(), 20u);
    for (std::size_t k = 0; k < motion.sparks.size(); ++k) {
      const SparkEvent& spark = motion.sparks[k];
      const double revs = (static_cast<double>(k) + 0.5) * revsPerIgnition;
      const double t = (-w0 + std::sqrt(w0 * w0 + 2.0 * alpha * revs)) / alpha;
      ASSERT_EQ(spark.revolutions, revs);
      ASSERT_NEAR(spark.timeSeconds, t, 1e-6 * kSampleSeconds) << "spark " << k;
      ASSERT_TRUE(IsClose(spark.rpm, 60.0 * (w0 + alpha * t), 1e-10)) << "spark " << k;
    }
    EXPECT_LE(motion.sparks.back().timeSeconds, motion.runEndSeconds);
    EXPECT_GT(motion.sparks.back().revolutions + revsPerIgnition, motion.steps.back().revolutions);
  }
}

// Engine power after the drivetrain loss = power against drag, friction and rolling + the rate
// of change of kinetic energy, with the acceleration taken from the integrated speeds alone.
TEST(IgnitionSimulation, PowerBalanceHoldsAtEveryStep) {
  SynthOptions options;
  RunParameters& v = options.vehicle;
  std::tie(v.frictionLossHp, v.frictionLossRpm, v.frictionLossExponent, v.drivetrainLoss, v.tireWidth,
           v.tireAspectRatio) = std::tuple(8.0, 4000, 1.5, 12.0, 195.0, 65.0);
  const double f = FeetPerRev(v);
  const double kd = 0.5 * v.dragCoefficient * v.frontalArea * 0.0735 / kG;
  const double vRef = v.frictionLossRpm * f / 60.0;
  const double kf = 550.0 * v.frictionLossHp / std::pow(vRef, v.frictionLossExponent + 1.0);

  const IgnitionMotion motion = Simulate(options);
  int checked = 0;
  for (std::size_t i = 1; i + 1 < motion.steps.size(); ++i) {
    const MotionStep& before = motion.steps[i - 1];
    const MotionStep& at = motion.steps[i];
    const MotionStep& after = motion.steps[i + 1];
    const double h = at.timeSeconds - before.timeSeconds;
    if (std::fabs(after.timeSeconds - at.timeSeconds - h) > 1e-9 * h || at.timeSeconds >= motion.runEndSeconds)
      continue;  // central differences need equal steps inside the full-throttle stretch
    const double speed = f * at.revsPerSecond;
    const double dvdt = f * (after.revsPerSecond - before.revsPerSecond) / (2.0 * h);
    const double torque = options.torque.TorqueAt(60.0 * at.revsPerSecond);
    const double powerIn = 2.0 * kPi * torque * at.revsPerSecond * (1.0 - 0.01 * v.drivetrainLoss);
    const double losses = kd * speed * speed + kf * std::pow(speed, v.frictionLossExponent) + v.vehicleWeight * 0.01;
    const double powerOut = losses * speed + v.vehicleWeight / kG * speed * dvdt;
    ASSERT_TRUE(IsClose(powerOut, powerIn, 1e-7)) << "at " << at.timeSeconds << " s";
    ++checked;
  }
  EXPECT_GT(checked, 5000);
}

TEST(IgnitionSimulation, IdleHoldsTheStartSpeedAndLiftOffSlowsTheEngine) {
  SynthOptions options;
  options.idleSeconds = 1.5;
  options.liftOffSeconds = 2.0;
  options.vehicle.revsPerIgnition = 1.0;
  const IgnitionMotion motion = Simulate(options);
  EXPECT_DOUBLE_EQ(motion.runStartSeconds, 1.5);
  EXPECT_NEAR(motion.endSeconds - motion.runEndSeconds, 2.0, 1e-9);
  // 1.5 s at 1000 rpm and one revolution per spark: 25 idle sparks, the first after half an
  // interval; every lift-off spark slower than the one before.
  int liftOffSparks = 0;
  for (std::size_t k = 0; k < motion.sparks.size(); ++k) {
    const SparkEvent& spark = motion.sparks[k];
    if (k < 25) {
      EXPECT_NEAR(spark.timeSeconds, (static_cast<double>(k) + 0.5) * 0.06, 1e-9);
      EXPECT_NEAR(spark.rpm, options.startRpm, 1e-9);
    } else if (motion.sparks[k - 1].timeSeconds > motion.runEndSeconds) {
      ++liftOffSparks;
      EXPECT_LT(spark.rpm, motion.sparks[k - 1].rpm);
    }
  }
  EXPECT_GE(motion.sparks[25].timeSeconds, motion.runStartSeconds);
  EXPECT_GT(liftOffSparks, 150);
}

}  // namespace
}  // namespace ruvo
