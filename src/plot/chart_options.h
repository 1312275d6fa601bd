#pragma once

#include <QObject>

#include "core/settings.h"
#include "plot/run_chart.h"

class QAction;
class QMenu;

namespace ruvo {

// The View choices of a run chart, kept in settings (section "Plot"): metric units, the
// tachometer quantities and whether they share one chart or stack in panes. One per window; the
// settings must outlive it. Single-threaded.
class ChartOptions : public QObject {
  Q_OBJECT

 public:
  ChartOptions(SettingsStore& settings, QObject* parent);

  // Adds the choices to menu: "Metric Units", "Stacked Panes" and the "Tachometer Quantities" submenu.
  void AddTo(QMenu* menu);
  // Gives chart the current choices.
  void ApplyTo(RunChart& chart) const;

  UnitSystem Units() const { return units; }
  // Chooses the units; remember keeps the choice in the settings for the next start.
  void SetUnits(UnitSystem chosen, bool remember);

 signals:
  void Changed();

 private:
  void Store(const char* key, unsigned value, bool remember);

  SettingsStore& settings;
  UnitSystem units;
  unsigned timeQuantities;
  bool stacked;
  QAction* metricAction = nullptr;
};

}  // namespace ruvo
