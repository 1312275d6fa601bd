#pragma once

#include <QObject>
#include <map>
#include <optional>
#include <string>

#include "calc/power_correction.h"
#include "core/settings.h"
#include "plot/run_chart.h"

class QAction;
class QMenu;

namespace ruvo {

class ResultsPanel;

// The View choices of a run chart, kept in settings (section "Plot"): metric units, the
// tachometer quantities and whether they share one chart or stack in panes, and the standard power
// is corrected to. One per window; the
// settings must outlive it. Every Ruvo window keeps its own copy of the choices: Reread takes up
// what another window (or program) stored since. Single-threaded.
class ChartOptions : public QObject {
  Q_OBJECT

 public:
  ChartOptions(SettingsStore& settings, QObject* parent);

  // Adds the choices to menu: "Metric Units", the "Tachometer Quantities" submenu with "Stacked
  // Panes", and the "Correction" submenu ("None" and each standard).
  void AddTo(QMenu* menu);
  // Gives panel (its chart, peaks and table) the current choices.
  void ApplyTo(ResultsPanel& panel) const;
  void ApplyTo(RunChart& chart) const;

  UnitSystem Units() const { return units; }
  // Chooses the units; remember keeps the choice in the settings for the next start.
  void SetUnits(UnitSystem chosen, bool remember);
  std::optional<CorrectionStandard> Correction() const { return correction; }
  // Chooses the standard power is corrected to, or none; remember as for SetUnits.
  void SetCorrection(std::optional<CorrectionStandard> chosen, bool remember);
  // Takes up each choice whose stored value changed since this window last read or wrote it (so a
  // choice made for this window only, such as ruvo-plot's --metric, stands until one is stored).
  // Emits Changed when a choice changed.
  void Reread();

 signals:
  void Changed();

 private:
  void Store(const char* key, unsigned value, bool remember);
  void Store(const char* key, const std::string& text, bool remember);
  // The stored value of key, or absent; remembers it as seen.
  unsigned Stored(const char* key, unsigned absent);
  std::optional<CorrectionStandard> StoredCorrection();
  void ShowInMenu();

  SettingsStore& settings;
  std::map<std::string, std::string> seen;  // the stored text of each key as this window last saw it
  UnitSystem units;
  unsigned timeQuantities;
  bool stacked;
  std::optional<CorrectionStandard> correction;
  QAction* metricAction = nullptr;
  QAction* stackedAction = nullptr;
  std::map<unsigned, QAction*> quantityActions;  // by TimeQuantity flag
  std::map<std::optional<CorrectionStandard>, QAction*> correctionActions;
};

}  // namespace ruvo
