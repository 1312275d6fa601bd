// The dyno sheet: one PDF page with the chart, the peaks and what the runs were made with.
#include "plot/dyno_sheet.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <fstream>

#include "core/run_document.h"
#include "plot/dyno_sheet_text.h"
#include "plot/run_correction.h"
#include "ruvo_version.h"

namespace ruvo {
namespace {

constexpr int kDotsPerInch = 600;  // the page's drawing units; fine enough for text metrics
constexpr double kMillimetresPerInch = 25.4;
constexpr double kMarginMm = 15.0;           // on every side
constexpr double kLabelColumnMm = 34.0;      // the table's first column
constexpr double kCellPaddingMm = 1.2;       // above and below a table line's text
constexpr double kCellGapMm = 2.5;           // between two columns' texts
constexpr double kGapMm = 5.0;               // between the header, the chart, the table and the footer
constexpr double kLargestChartShare = 0.42;  // of the page's height inside the margins
constexpr double kSmallestChartMm = 65.0;    // before the table's text is made smaller
constexpr double kChartLayoutWidth = 850.0;  // pixels: sets the chart's text and lines against its width
constexpr double kSmallestTextScale = 0.6;   // of the table's text, when many runs crowd it

constexpr std::array kTitlePoints{17.0, 15.0, 13.0, 11.0};  // the sizes the title may take

const QColor kInk(0x1d, 0x24, 0x2c);
const QColor kMuted(0x5f, 0x6b, 0x78);
const QColor kRule(0xd3, 0xd9, 0xe0);
const QColor kBand(0xec, 0xf0, 0xf4);

double Mm(double millimetres) {
  return millimetres * kDotsPerInch / kMillimetresPerInch;
}

QFont Font(double points, bool bold = false) {
  QFont font(QStringLiteral("Sans Serif"));
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The height text takes when wrapped to width.
double TextHeight(QPaintDevice& device, const QFont& font, double width, const QString& text) {
  return QFontMetricsF(font, &device).boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
}

// The table of the sheet as laid out and drawn at one text scale.
class SheetTable {
 public:
  SheetTable(QPaintDevice& pageDevice,
             const std::vector<SheetEntry>& sheetEntries,
             const std::vector<SheetSection>& sheetSections,
             const QStringList& fileNames,
             double tableWidth,
             double textScale)
      : device(pageDevice),
        entries(sheetEntries),
        sections(sheetSections),
        files(fileNames),
        width(tableWidth),
        scale(textScale) {
    valueWidth = (width - Mm(kLabelColumnMm)) / static_cast<double>(std::max<std::size_t>(entries.size(), 1));
    // Four columns and more leave a peak too little room on one line at the larger size.
    peakPoints = entries.size() > 3 ? 8.5 : 10.0;
  }

  // Draws at top (painter set) or only measures (none); returns the height taken.
  double Draw(QPainter* painter, double top) const {
    double y = top;
    // The runs' heads: the colour of their curves, the description and the file.
    double head = 0.0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const QRectF cell = Cell(i, y + Mm(2.0), 0.0);
      const double title = TextHeight(device, Font(9.0 * scale, true), cell.width(), Title(i));
      const double file = TextHeight(device, Font(7.0 * scale), cell.width(), File(i));
      head = std::max(head, Mm(2.0) + title + file);
      if (!painter) continue;
      painter->fillRect(QRectF(cell.left(), y, std::min(cell.width(), Mm(12.0)), Mm(1.0)), RunColor(i));
      Text(*painter, Font(9.0 * scale, true), kInk, QRectF(cell.left(), cell.top(), cell.width(), title), Title(i));
      Text(*painter, Font(7.0 * scale), kMuted, QRectF(cell.left(), cell.top() + title, cell.width(), file), File(i));
    }
    y += head + Mm(1.5);
    for (const SheetSection& section : sections) {
      const QFont headingFont = Font(8.0 * scale, true);
      const double band = TextHeight(device, headingFont, width, QString()) + 2 * Mm(kCellPaddingMm);
      if (painter) {
        painter->fillRect(QRectF(0, y, width, band), kBand);
        Text(*painter, headingFont, kInk, QRectF(Mm(1.5), y + Mm(kCellPaddingMm), width, band),
             QString::fromStdString(section.heading).toUpper());
      }
      y += band;
      for (const SheetLine& line : section.lines) {
        const QFont label = Font(8.0 * scale),
                    value = Font((line.emphasized ? peakPoints : 8.0) * scale, line.emphasized);
        const QString labelText = QString::fromStdString(line.label);
        double height = TextHeight(device, label, Mm(kLabelColumnMm) - Mm(kCellGapMm), labelText);
        for (std::size_t i = 0; i < line.values.size(); ++i)
          height = std::max(height,
                            TextHeight(device, value, Cell(i, 0, 0).width(), QString::fromStdString(line.values[i])));
        height += 2 * Mm(kCellPaddingMm);
        if (painter) {
          const double textTop = y + Mm(kCellPaddingMm);
          const double textHeight = height - 2 * Mm(kCellPaddingMm);
          Text(*painter, label, kMuted, QRectF(Mm(1.5), textTop, Mm(kLabelColumnMm) - Mm(kCellGapMm), textHeight),
               labelText, Qt::AlignVCenter);
          for (std::size_t i = 0; i < line.values.size(); ++i)
            Text(*painter, value, kInk, Cell(i, textTop, textHeight), QString::fromStdString(line.values[i]),
                 Qt::AlignVCenter);
          painter->setPen(QPen(kRule, Mm(0.15)));
          painter->drawLine(QPointF(0, y + height), QPointF(width, y + height));
        }
        y += height;
      }
    }
    return y - top;
  }

 private:
  QRectF Cell(std::size_t index, double top, double height) const {
    return QRectF(Mm(kLabelColumnMm) + static_cast<double>(index) * valueWidth, top, valueWidth - Mm(kCellGapMm),
                  height);
  }
  QString Title(std::size_t index) const { return QString::fromStdString(entries[index].title); }
  QString File(std::size_t index) const { return files[index]; }
  static void Text(QPainter& painter,
                   const QFont& font,
                   const QColor& colour,
                   const QRectF& rect,
                   const QString& text,
                   Qt::Alignment vertical = Qt::AlignTop) {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(rect, static_cast<int>(Qt::TextWordWrap | Qt::AlignLeft | vertical), text);
  }

  QPaintDevice& device;
  const std::vector<SheetEntry>& entries;
  const std::vector<SheetSection>& sections;
  const QStringList& files;  // the documents' file names, under their titles
  double width, scale, valueWidth = 0.0, peakPoints = 10.0;
};

}  // namespace

QPageSize SheetPageSize(const QLocale& locale) {
  static constexpr std::array kLetterTerritories{
      QLocale::UnitedStates, QLocale::Canada,      QLocale::Mexico,     QLocale::Chile,     QLocale::Colombia,
      QLocale::Venezuela,    QLocale::Philippines, QLocale::PuertoRico, QLocale::CostaRica, QLocale::Guatemala,
      QLocale::Panama,       QLocale::ElSalvador,  QLocale::Nicaragua,  QLocale::Honduras,  QLocale::DominicanRepublic,
      QLocale::Belize};
  const bool letter =
      locale.measurementSystem() == QLocale::ImperialUSSystem ||
      std::find(kLetterTerritories.begin(), kLetterTerritories.end(), locale.territory()) != kLetterTerritories.end();
  return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}

bool WriteDynoSheet(const QString& path, const SheetRequest& request, QString& error) {
  if (request.runs.empty()) {
    error = QObject::tr("No run for a dyno sheet");
    return false;
  }
  std::vector<PlotRun> shown;
  std::vector<SheetEntry> entries;
  QStringList files;
  for (const PlotRun& run : request.runs) {
    SheetEntry entry;
    std::ifstream document(run.path.toStdString(), std::ios::binary);
    if (run.path.isEmpty() || !document || ReadRunDocument(document, entry.params) != 1) {
      error = QObject::tr("Not able to read - %1").arg(run.path.isEmpty() ? run.name : run.path);
      return false;
    }
    CorrectedRun corrected = CorrectRun(run, request.standard);
    const QString description = QString::fromStdString(entry.params.description).trimmed();
    entry.title = (description.isEmpty() ? QFileInfo(run.path).fileName() : description).toStdString();
    entry.peaks = PeaksOf(corrected.run);
    entry.correction = corrected.correction;
    const QString uncorrected = QStringLiteral("uncorrected: ");
    if (!corrected.correction && corrected.note.startsWith(uncorrected))
      entry.uncorrected = corrected.note.mid(uncorrected.size()).toStdString();
    files << QFileInfo(run.path).fileName();
    shown.push_back(std::move(corrected.run));
    entries.push_back(std::move(entry));
  }
  const std::vector<SheetSection> sections = SheetSections(entries, request.units, request.standard);
  const QString title = QString::fromStdString(SheetTitle(entries));

  // Written beside the target and renamed over it only when complete.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    error = QObject::tr("Not able to write - %1").arg(path);
    return false;
  }
  QPdfWriter pdf(&file);
  pdf.setPageSize(request.pageSize);
  pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
  pdf.setResolution(kDotsPerInch);
  pdf.setTitle(title);
  pdf.setCreator(QStringLiteral("Ruvo ") + QString::fromLatin1(kRuvoVersion));
  QPainter painter;
  if (!painter.begin(&pdf)) {
    error = QObject::tr("Not able to write - %1").arg(path);
    return false;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF page(Mm(kMarginMm), Mm(kMarginMm), pdf.width() - 2 * Mm(kMarginMm), pdf.height() - 2 * Mm(kMarginMm));
  const double width = page.width();

  // The head: what the sheet is, the runs, the correction; the date and the program on the right.
  painter.translate(page.topLeft());
  const double right = Mm(55.0);
  const QFont kicker = Font(8.0, true), sub = Font(9.0), side = Font(8.5);
  // Long or many descriptions take a smaller title rather than a third line.
  QFont heading = Font(kTitlePoints.front(), true);
  for (const double points : kTitlePoints) {
    heading = Font(points, true);
    if (TextHeight(pdf, heading, width - right, title) <= 2.2 * QFontMetricsF(heading, &pdf).lineSpacing()) break;
  }
  const QString kickerText = QObject::tr("DYNO SHEET");
  const QString subText = request.standard
                              ? QObject::tr("Power and torque corrected to %1 where conditions allow")
                                    .arg(QString::fromStdString(std::string(CorrectionTitle(*request.standard))))
                              : QObject::tr("Power and torque as measured, uncorrected");
  double y = 0.0;
  const double kickerHeight = TextHeight(pdf, kicker, width, kickerText);
  const double titleHeight = TextHeight(pdf, heading, width - right, title);
  const double subHeight = TextHeight(pdf, sub, width - right, subText);
  painter.setPen(kMuted);
  painter.setFont(kicker);
  painter.drawText(QRectF(0, y, width - right, kickerHeight), Qt::AlignLeft | Qt::AlignTop, kickerText);
  painter.setFont(side);
  painter.drawText(
      QRectF(width - right, y, right, Mm(20.0)), Qt::AlignRight | Qt::AlignTop,
      request.date.toString(Qt::ISODate) + u'\n' + QStringLiteral("Ruvo ") + QString::fromLatin1(kRuvoVersion));
  y += kickerHeight + Mm(1.0);
  painter.setPen(kInk);
  painter.setFont(heading);
  painter.drawText(QRectF(0, y, width - right, titleHeight), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, title);
  y += titleHeight + Mm(0.5);
  painter.setPen(kMuted);
  painter.setFont(sub);
  painter.drawText(QRectF(0, y, width - right, subHeight), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, subText);
  y += subHeight + Mm(2.0);
  painter.fillRect(QRectF(0, y, width, Mm(0.6)), kInk);
  y += Mm(0.6) + Mm(kGapMm);

  // The foot: a rule and the program's line, at the bottom of the page.
  const QFont footFont = Font(7.0);
  const double footHeight = TextHeight(pdf, footFont, width, QStringLiteral("Ruvo")) + Mm(2.0);

  // The chart takes what the table leaves, up to its share; the table's text shrinks when even the
  // smallest chart leaves too little.
  double scale = 1.0;
  double tableHeight = SheetTable(pdf, entries, sections, files, width, scale).Draw(nullptr, 0.0);
  const double room = page.height() - y - footHeight - 2 * Mm(kGapMm);
  while (room - tableHeight < Mm(kSmallestChartMm) && scale > kSmallestTextScale) {
    scale *= 0.92;
    tableHeight = SheetTable(pdf, entries, sections, files, width, scale).Draw(nullptr, 0.0);
  }
  const double chartHeight = std::clamp(room - tableHeight, Mm(kSmallestChartMm), page.height() * kLargestChartShare);

  RunChart chart;
  chart.SetUnits(request.units);
  chart.SetRuns(shown);
  const QSize layout(static_cast<int>(kChartLayoutWidth), static_cast<int>(kChartLayoutWidth * chartHeight / width));
  chart.Render(painter, QRectF(0, y, width, chartHeight), layout, QString());
  y += chartHeight + Mm(kGapMm);
  SheetTable(pdf, entries, sections, files, width, scale).Draw(&painter, y);

  const double footTop = page.height() - footHeight;
  painter.fillRect(QRectF(0, footTop, width, Mm(0.2)), kRule);
  painter.setPen(kMuted);
  painter.setFont(footFont);
  const QRectF foot(0, footTop + Mm(1.5), width, footHeight);
  painter.drawText(foot, Qt::AlignLeft | Qt::AlignTop,
                   QObject::tr("Made with Ruvo %1").arg(QString::fromLatin1(kRuvoVersion)));
  painter.drawText(foot, Qt::AlignRight | Qt::AlignTop, files.join(QStringLiteral(", ")));

  if (!painter.end() || !file.commit()) {
    error = QObject::tr("Not able to write - %1").arg(path);
    return false;
  }
  return true;
}

}  // namespace ruvo
