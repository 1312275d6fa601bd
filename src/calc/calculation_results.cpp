#include "calc/calculation_results.h"

namespace ruvo {

void CalculationResults::AllocateResults(CalculationMode mode) {
  ReleaseResults();
  const auto rows = static_cast<std::size_t>(rowCount > 0 ? rowCount : 0);
  for (std::vector<double>* array : {&rpm, &acceleration, &speed}) array->assign(rows, 0.0);
  if (mode == CalculationMode::kDynamometer)
    for (std::vector<double>* array : {&force, &accelForce, &dragForce, &frictionForce, &horsepower, &torque})
      array->assign(rows, 0.0);
  else
    distance.assign(rows, 0.0);
  resultMode = mode;
  arraysAllocated = true;
}

void CalculationResults::ReleaseResults() {
  if (!arraysAllocated) return;
  for (std::vector<double>* array : {&pulseTimes, &cumulativeRevs, &rpm, &acceleration, &speed, &force, &accelForce,
                                     &dragForce, &frictionForce, &horsepower, &torque, &distance})
    std::vector<double>().swap(*array);
  arraysAllocated = false;
}

}  // namespace ruvo
