#pragma once

#include <string>
#include <vector>

namespace ruvo {

struct TorquePoint {
  double rpm = 0.0;
  double torqueFtLb = 0.0;
};

// Engine torque in foot-pounds against engine speed, through a list of points joined by a
// shape-preserving piecewise cubic: it passes through every point, has a continuous slope, and
// never overshoots between two points (monotone data stays monotone, a flat stretch stays flat).
// Below the first and above the last point the end values hold. Immutable once made; copyable.
class TorqueCurve {
 public:
  // A realistic road engine: about 130 ft-lb at 4000 rpm, falling off towards 500 and 8000 rpm.
  TorqueCurve();

  // The same torque at every speed.
  static TorqueCurve Constant(double torqueFtLb);

  // Builds the curve through points, which need at least two entries with finite values and
  // strictly increasing rpm. On bad points returns false with a message in error and leaves
  // curve unchanged.
  static bool FromPoints(std::vector<TorquePoint> points, TorqueCurve& curve, std::string& error);

  // Torque in foot-pounds at rpm.
  double TorqueAt(double rpm) const;

  const std::vector<TorquePoint>& Points() const { return points; }

 private:
  explicit TorqueCurve(std::vector<TorquePoint> curvePoints);

  std::vector<TorquePoint> points;
  std::vector<double> slopes;  // ft-lb per rpm at each point
};

// Reads a torque curve from a CSV file of "rpm,torque" lines (foot-pounds). A first line that
// does not start with a number is a header; blank lines and lines starting with "#" are
// skipped; "\r\n" line ends are accepted. On failure returns false with a message naming the
// file (and the line, where one is at fault) and leaves curve unchanged.
bool ReadTorqueCsv(const std::string& path, TorqueCurve& curve, std::string& error);

}  // namespace ruvo
