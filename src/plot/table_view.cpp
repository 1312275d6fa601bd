#include "plot/table_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <set>

namespace ruvo {
namespace {

// A number shown with the decimals of its column and sorted by its value.
class NumberItem : public QTableWidgetItem {
 public:
  NumberItem(double value, int decimals) : QTableWidgetItem(QString::number(value, 'f', decimals)) {
    setData(Qt::UserRole, value);
    setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  bool operator<(const QTableWidgetItem& other) const override {
    return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
  }
};

}  // namespace

TableView::TableView(QWidget* parent) : QTableWidget(parent) {
  setObjectName(QStringLiteral("resultTable"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  verticalHeader()->setVisible(false);
  setAlternatingRowColors(true);
}

void TableView::SetTable(const ResultTable& table, UnitSystem units, const std::string& correctedTo) {
  const ShownTable shown = InUnits(table, units, correctedTo);
  setSortingEnabled(false);
  clear();
  setColumnCount(static_cast<int>(shown.headings.size()));
  setRowCount(static_cast<int>(shown.rows.size()));
  QStringList names;
  for (const std::string& heading : shown.headings) names << QString::fromStdString(heading);
  setHorizontalHeaderLabels(names);
  for (int r = 0; r < rowCount(); ++r) {
    const std::vector<double>& row = shown.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < columnCount(); ++c)
      setItem(r, c, new NumberItem(row[static_cast<std::size_t>(c)], shown.decimals[static_cast<std::size_t>(c)]));
  }
  setSortingEnabled(true);
  resizeColumnsToContents();
}

QString TableView::CopyText() const {
  std::set<int> rows, cols;
  for (const QModelIndex& index : selectedIndexes()) rows.insert(index.row()), cols.insert(index.column());
  if (rows.empty()) {
    for (int r = 0; r < rowCount(); ++r) rows.insert(r);
    for (int c = 0; c < columnCount(); ++c) cols.insert(c);
  }
  QStringList lines, header;
  for (const int c : cols) header << horizontalHeaderItem(c)->text();
  lines << header.join(u'\t');
  for (const int r : rows) {
    QStringList cells;
    for (const int c : cols) cells << (item(r, c) ? item(r, c)->text() : QString());
    lines << cells.join(u'\t');
  }
  return lines.join(u'\n') + u'\n';
}

void TableView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    QApplication::clipboard()->setText(CopyText());
    return;
  }
  QTableWidget::keyPressEvent(event);
}

}  // namespace ruvo
