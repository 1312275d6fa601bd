#include "plot/chart_options.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <string>

#include "core/text_scan.h"
#include "plot/results_panel.h"

namespace ruvo {
namespace {

constexpr const char* kPlotSection = "Plot";
constexpr const char* kMetricKey = "Metric";                    // "1": metric units
constexpr const char* kStackedKey = "StackedPanes";             // "0": tachometer quantities share one chart
constexpr const char* kQuantitiesKey = "TachometerQuantities";  // the TimeQuantity flags shown
constexpr const char* kCorrectionKey = "Correction";            // a standard's CorrectionKey, or "none"
constexpr const char* kNoCorrection = "none";
constexpr unsigned kDefaultQuantities = kTimeRpm | kTimeSpeed | kTimeAccel;
constexpr unsigned kAllQuantities = kTimeRpm | kTimeSpeed | kTimeAccel | kTimeDistance;

UnitSystem UnitsOf(unsigned stored) {
  return stored == 1 ? UnitSystem::kMetric : UnitSystem::kTable;
}

unsigned QuantitiesOf(unsigned stored) {
  const unsigned quantities = stored & kAllQuantities;
  return quantities == 0 ? kDefaultQuantities : quantities;
}

}  // namespace

ChartOptions::ChartOptions(SettingsStore& store, QObject* parent)
    : QObject(parent),
      settings(store),
      units(UnitsOf(Stored(kMetricKey, 0))),
      timeQuantities(QuantitiesOf(Stored(kQuantitiesKey, kDefaultQuantities))),
      stacked(Stored(kStackedKey, 1) != 0),
      correction(StoredCorrection()) {}

unsigned ChartOptions::Stored(const char* key, unsigned absent) {
  std::int32_t value = 0;
  const std::string text = settings.Read(kPlotSection, key);
  seen[key] = text;
  return !text.empty() && ScanInt(text, value) && value >= 0 ? static_cast<unsigned>(value) : absent;
}

std::optional<CorrectionStandard> ChartOptions::StoredCorrection() {
  const std::string text = settings.Read(kPlotSection, kCorrectionKey);
  seen[kCorrectionKey] = text;
  return CorrectionStandardNamed(text);
}

void ChartOptions::Store(const char* key, unsigned value, bool remember) {
  Store(key, std::to_string(value), remember);
}

void ChartOptions::Store(const char* key, const std::string& text, bool remember) {
  if (remember) {
    seen[key] = text;
    settings.Write(kPlotSection, key, text);
  }
  emit Changed();
}

void ChartOptions::SetUnits(UnitSystem chosen, bool remember) {
  units = chosen;
  ShowInMenu();
  Store(kMetricKey, units == UnitSystem::kMetric ? 1 : 0, remember);
}

void ChartOptions::SetCorrection(std::optional<CorrectionStandard> chosen, bool remember) {
  correction = chosen;
  ShowInMenu();
  Store(kCorrectionKey, correction ? std::string(CorrectionKey(*correction)) : std::string(kNoCorrection), remember);
}

void ChartOptions::Reread() {
  bool changed = false;
  const auto fresh = [&](const char* key) { return settings.Read(kPlotSection, key) != seen[key]; };
  if (fresh(kMetricKey)) {
    const UnitSystem stored = UnitsOf(Stored(kMetricKey, 0));
    changed = changed || stored != units;
    units = stored;
  }
  if (fresh(kQuantitiesKey)) {
    const unsigned stored = QuantitiesOf(Stored(kQuantitiesKey, kDefaultQuantities));
    changed = changed || stored != timeQuantities;
    timeQuantities = stored;
  }
  if (fresh(kStackedKey)) {
    const bool stored = Stored(kStackedKey, 1) != 0;
    changed = changed || stored != stacked;
    stacked = stored;
  }
  if (fresh(kCorrectionKey)) {
    const std::optional<CorrectionStandard> stored = StoredCorrection();
    changed = changed || stored != correction;
    correction = stored;
  }
  if (!changed) return;
  ShowInMenu();
  emit Changed();
}

void ChartOptions::ShowInMenu() {
  const auto check = [](QAction* action, bool on) {
    if (!action) return;
    const QSignalBlocker quiet(action);
    action->setChecked(on);
  };
  check(metricAction, units == UnitSystem::kMetric);
  check(stackedAction, stacked);
  for (const auto& [flag, action] : quantityActions) check(action, (timeQuantities & flag) != 0);
  for (const auto& [standard, action] : correctionActions) check(action, standard == correction);
}

void ChartOptions::AddTo(QMenu* menu) {
  metricAction = menu->addAction(tr("&Metric Units (kW, N\u00b7m, km/h, m/s\u00b2)"));
  metricAction->setObjectName(QStringLiteral("metricUnits"));
  metricAction->setCheckable(true);
  connect(metricAction, &QAction::toggled, this,
          [this](bool metric) { SetUnits(metric ? UnitSystem::kMetric : UnitSystem::kTable, true); });

  QMenu* quantities = menu->addMenu(tr("Tachometer &Quantities"));
  stackedAction = quantities->addAction(tr("&Stacked Panes"));
  stackedAction->setObjectName(QStringLiteral("stackedPanes"));
  stackedAction->setCheckable(true);
  connect(stackedAction, &QAction::toggled, this, [this](bool on) {
    stacked = on;
    Store(kStackedKey, on ? 1 : 0, true);
  });
  quantities->addSeparator();
  const std::pair<const char*, TimeQuantity> shown[] = {{QT_TR_NOOP("&RPM"), kTimeRpm},
                                                        {QT_TR_NOOP("S&peed"), kTimeSpeed},
                                                        {QT_TR_NOOP("&Acceleration"), kTimeAccel},
                                                        {QT_TR_NOOP("&Distance"), kTimeDistance}};
  for (const auto& [text, flag] : shown) {
    QAction* action = quantities->addAction(tr(text));
    action->setCheckable(true);
    quantityActions[flag] = action;
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

  // Power and torque corrected to a standard's air, by each document's conditions.
  QMenu* corrections = menu->addMenu(tr("&Correction"));
  auto* group = new QActionGroup(corrections);
  const auto add = [&](std::optional<CorrectionStandard> standard, const QString& text, const QString& name) {
    QAction* action = corrections->addAction(text);
    action->setObjectName(QStringLiteral("correction-") + name);
    action->setCheckable(true);
    group->addAction(action);
    correctionActions[standard] = action;
    connect(action, &QAction::toggled, this, [this, standard](bool on) {
      if (on) SetCorrection(standard, true);
    });
  };
  add(std::nullopt, tr("&None"), QString::fromLatin1(kNoCorrection));
  for (const CorrectionStandard standard : CorrectionStandards())
    add(standard, QString::fromStdString(std::string(CorrectionTitle(standard))),
        QString::fromStdString(std::string(CorrectionKey(standard))));
  ShowInMenu();
}

void ChartOptions::ApplyTo(ResultsPanel& panel) const {
  // The panel sets the chart's units, as the correction may change them (PS for DIN 70020).
  panel.SetCorrection(correction);
  panel.SetUnits(units);
  panel.Chart().SetTimeQuantities(timeQuantities);
  panel.Chart().SetStackedPanes(stacked);
}

void ChartOptions::ApplyTo(RunChart& chart) const {
  chart.SetUnits(units);
  chart.SetTimeQuantities(timeQuantities);
  chart.SetStackedPanes(stacked);
}

}  // namespace ruvo
