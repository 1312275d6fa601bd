#pragma once

class QDoubleSpinBox;
class QWidget;

namespace ruvo {

// The box for the revolutions between a pulse track's pulses (0.01 to 100, two decimals), named
// "revsPerPulse", showing value.
QDoubleSpinBox* RevsPerPulseBox(QWidget& parent, double value);

}  // namespace ruvo
