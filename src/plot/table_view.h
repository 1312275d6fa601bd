#pragma once

#include <QString>
#include <QTableWidget>

#include "core/result_table.h"
#include "plot/plot_units.h"

namespace ruvo {

// A result table in a sortable grid (click a column title; numbers sort as numbers), its columns
// titled with their units (and the standard its power is corrected to) and its values in the units
// chosen (InUnits). Ctrl+C
// copies the selected cells, or the whole table when nothing is selected, as tab-separated text
// with the column names first, ready to paste into a spreadsheet.
class TableView : public QTableWidget {
  Q_OBJECT

 public:
  explicit TableView(QWidget* parent = nullptr);

  void SetTable(const ResultTable& table, UnitSystem units, const std::string& correctedTo = std::string());
  // The text Ctrl+C puts on the clipboard.
  QString CopyText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ruvo
