#include "ui/revs_per_pulse_box.h"

#include <QDoubleSpinBox>

namespace ruvo {
namespace {

constexpr double kFewestRevsPerPulse = 0.01;
constexpr double kMostRevsPerPulse = 100.0;

}  // namespace

QDoubleSpinBox* RevsPerPulseBox(QWidget& parent, double value) {
  auto* box = new QDoubleSpinBox(&parent);
  box->setObjectName(QStringLiteral("revsPerPulse"));
  box->setRange(kFewestRevsPerPulse, kMostRevsPerPulse);
  box->setDecimals(2);
  box->setSingleStep(0.5);
  box->setValue(value);
  return box;
}

}  // namespace ruvo
