#include "plot/chart_options.h"

#include <QAction>
#include <QMenu>
#include <string>

#include "core/text_scan.h"

namespace ruvo {
namespace {

constexpr const char* kPlotSection = "Plot";
constexpr const char* kMetricKey = "Metric";                    // "1": metric units
constexpr const char* kStackedKey = "StackedPanes";             // "0": tachometer quantities share one chart
constexpr const char* kQuantitiesKey = "TachometerQuantities";  // the TimeQuantity flags shown
constexpr unsigned kDefaultQuantities = kTimeRpm | kTimeSpeed | kTimeAccel;
constexpr unsigned kAllQuantities = kTimeRpm | kTimeSpeed | kTimeAccel | kTimeDistance;

unsigned StoredNumber(const SettingsStore& settings, const char* key, unsigned absent) {
  std::int32_t value = 0;
  const std::string text = settings.Read(kPlotSection, key);
  return !text.empty() && ScanInt(text, value) && value >= 0 ? static_cast<unsigned>(value) : absent;
}

}  // namespace

ChartOptions::ChartOptions(SettingsStore& store, QObject* parent)
    : QObject(parent),
      settings(store),
      units(StoredNumber(store, kMetricKey, 0) == 1 ? UnitSystem::kMetric : UnitSystem::kTable),
      timeQuantities(StoredNumber(store, kQuantitiesKey, kDefaultQuantities) & kAllQuantities),
      stacked(StoredNumber(store, kStackedKey, 1) != 0) {
  if (timeQuantities == 0) timeQuantities = kDefaultQuantities;
}

void ChartOptions::Store(const char* key, unsigned value, bool remember) {
  if (remember) settings.Write(kPlotSection, key, std::to_string(value));
  emit Changed();
}

void ChartOptions::SetUnits(UnitSystem chosen, bool remember) {
  units = chosen;
  if (metricAction) {
    const QSignalBlocker quiet(metricAction);
    metricAction->setChecked(units == UnitSystem::kMetric);
  }
  Store(kMetricKey, units == UnitSystem::kMetric ? 1 : 0, remember);
}

void ChartOptions::AddTo(QMenu* menu) {
  metricAction = menu->addAction(QStringLiteral("&Metric Units (kW, N\u00b7m, km/h, m/s\u00b2)"));
  metricAction->setObjectName(QStringLiteral("metricUnits"));
  metricAction->setCheckable(true);
  metricAction->setChecked(units == UnitSystem::kMetric);
  connect(metricAction, &QAction::toggled, this,
          [this](bool metric) { SetUnits(metric ? UnitSystem::kMetric : UnitSystem::kTable, true); });

  QMenu* quantities = menu->addMenu(QStringLiteral("Tachometer &Quantities"));
  QAction* stackedAction = quantities->addAction(QStringLiteral("&Stacked Panes"));
  stackedAction->setObjectName(QStringLiteral("stackedPanes"));
  stackedAction->setCheckable(true);
  stackedAction->setChecked(stacked);
  connect(stackedAction, &QAction::toggled, this, [this](bool on) {
    stacked = on;
    Store(kStackedKey, on ? 1 : 0, true);
  });
  quantities->addSeparator();
  const std::pair<const char*, TimeQuantity> shown[] = {
      {"&RPM", kTimeRpm}, {"S&peed", kTimeSpeed}, {"&Acceleration", kTimeAccel}, {"&Distance", kTimeDistance}};
  for (const auto& [text, flag] : shown) {
    QAction* action = quantities->addAction(QString::fromLatin1(text));
    action->setCheckable(true);
    action->setChecked(timeQuantities & flag);
    connect(action, &QAction::toggled, this, [this, action, flag = flag](bool on) {
      const unsigned chosen = on ? timeQuantities | flag : timeQuantities & ~unsigned(flag);
      if (chosen == 0) {  // one quantity at least
        const QSignalBlocker quiet(action);
        action->setChecked(true);
        return;
      }
      timeQuantities = chosen;
      Store(kQuantitiesKey, timeQuantities, true);
    });
  }
}

void ChartOptions::ApplyTo(RunChart& chart) const {
  chart.SetUnits(units);
  chart.SetTimeQuantities(timeQuantities);
  chart.SetStackedPanes(stacked);
}

}  // namespace ruvo
