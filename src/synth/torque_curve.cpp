#include "synth/torque_curve.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string_view>
#include <utility>

#include "core/line_reader.h"
#include "core/text_format.h"
#include "core/number_text.h"

namespace ruvo {
namespace {

const std::vector<TorquePoint>& DefaultPoints() {
  static const std::vector<TorquePoint> kPoints = {{500.0, 70.0},   {1000.0, 88.0},  {1500.0, 100.0}, {2000.0, 110.0},
                                                   {2500.0, 118.0}, {3000.0, 124.0}, {3500.0, 128.0}, {4000.0, 130.0},
                                                   {4500.0, 129.0}, {5000.0, 125.0}, {5500.0, 118.0}, {6000.0, 108.0},
                                                   {6500.0, 96.0},  {7000.0, 82.0},  {7500.0, 66.0},  {8000.0, 50.0}};
  return kPoints;
}

// Slopes of the monotone piecewise cubic Hermite interpolant: zero at a local extremum, else the
// weighted harmonic mean of the neighbouring secant slopes; the secant slope at both ends.
// Reference: F. N. Fritsch and J. Butland (1984), as presented in C. Moler, Numerical Computing
// with MATLAB, 3.4 ("pchip").
std::vector<double> MonotoneSlopes(const std::vector<TorquePoint>& points) {
  const std::size_t n = points.size();
  std::vector<double> secant(n - 1), width(n - 1), slopes(n, 0.0);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    width[k] = points[k + 1].rpm - points[k].rpm;
    secant[k] = (points[k + 1].torqueFtLb - points[k].torqueFtLb) / width[k];
  }
  slopes.front() = secant.front();
  slopes.back() = secant.back();
  for (std::size_t k = 1; k + 1 < n; ++k) {
    if (secant[k - 1] * secant[k] <= 0.0) continue;
    const double before = 2.0 * width[k] + width[k - 1];
    const double after = width[k] + 2.0 * width[k - 1];
    slopes[k] = (before + after) / (before / secant[k - 1] + after / secant[k]);
  }
  return slopes;
}

std::string CheckPoints(const std::vector<TorquePoint>& points) {
  if (points.size() < 2) return "a torque curve needs at least two points";
  for (std::size_t k = 0; k < points.size(); ++k) {
    if (!std::isfinite(points[k].rpm) || !std::isfinite(points[k].torqueFtLb))
      return FormatText("torque point %d is not a finite number", static_cast<int>(k + 1));
    if (k > 0 && !(points[k].rpm > points[k - 1].rpm))
      return FormatText("torque point %d: rpm %g does not increase", static_cast<int>(k + 1), points[k].rpm);
  }
  return {};
}

// Splits "rpm,torque" into two numbers; false unless the line holds exactly that.
bool ParsePointLine(std::string_view line, TorquePoint& point) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return false;
  return ParseReal(line.substr(0, comma), point.rpm) && ParseReal(line.substr(comma + 1), point.torqueFtLb);
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

TorqueCurve::TorqueCurve() : TorqueCurve(DefaultPoints()) {}

TorqueCurve::TorqueCurve(std::vector<TorquePoint> curvePoints)
    : points(std::move(curvePoints)), slopes(MonotoneSlopes(points)) {}

TorqueCurve TorqueCurve::Constant(double torqueFtLb) {
  return TorqueCurve({{0.0, torqueFtLb}, {1.0, torqueFtLb}});
}

bool TorqueCurve::FromPoints(std::vector<TorquePoint> newPoints, TorqueCurve& curve, std::string& error) {
  error = CheckPoints(newPoints);
  if (!error.empty()) return false;
  curve = TorqueCurve(std::move(newPoints));
  return true;
}

double TorqueCurve::TorqueAt(double rpm) const {
  if (!(rpm > points.front().rpm)) return points.front().torqueFtLb;
  if (!(rpm < points.back().rpm)) return points.back().torqueFtLb;
  const auto after = std::upper_bound(points.begin(), points.end(), rpm,
                                      [](double value, const TorquePoint& point) { return value < point.rpm; });
  const std::size_t k = static_cast<std::size_t>(after - points.begin()) - 1;
  const double h = points[k + 1].rpm - points[k].rpm;
  const double s = (rpm - points[k].rpm) / h;
  const double s2 = s * s;
  const double s3 = s2 * s;
  // Cubic Hermite basis on [0, 1].
  const double h00 = 2.0 * s3 - 3.0 * s2 + 1.0;
  const double h10 = s3 - 2.0 * s2 + s;
  const double h01 = -2.0 * s3 + 3.0 * s2;
  const double h11 = s3 - s2;
  return h00 * points[k].torqueFtLb + h10 * h * slopes[k] + h01 * points[k + 1].torqueFtLb + h11 * h * slopes[k + 1];
}

bool ReadTorqueCsv(const std::string& path, TorqueCurve& curve, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Could not open torque file - " + path;
    return false;
  }
  std::vector<TorquePoint> points;
  std::string line;
  int lineNumber = 0;
  bool headerAllowed = true;
  while (ReadLine(in, line)) {
    ++lineNumber;
    if (IsBlank(line) || line.front() == '#') continue;
    TorquePoint point;
    if (!ParsePointLine(line, point)) {
      if (headerAllowed) {
        double firstNumber = 0.0;
        if (!ParseReal(std::string_view(line).substr(0, line.find(',')), firstNumber)) {
          headerAllowed = false;
          continue;
        }
      }
      error = FormatText("Torque file %s, line %d: expected \"rpm,torque\" with two numbers", path.c_str(), lineNumber);
      return false;
    }
    headerAllowed = false;
    points.push_back(point);
  }
  std::string pointError;
  if (!TorqueCurve::FromPoints(std::move(points), curve, pointError)) {
    error = "Torque file " + path + ": " + pointError;
    return false;
  }
  return true;
}

}  // namespace ruvo
