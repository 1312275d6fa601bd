// The chart of runs written to a file: PNG, SVG or PDF.
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "plot/run_chart.h"

namespace ruvo {
namespace {

// Exports are laid out at this size in chart units and drawn at twice its resolution as PNG, so
// text keeps a readable size in the 1600x1000 picture.
constexpr QSize kExportLayout(800, 500);
constexpr int kExportScale = 2;

}  // namespace

QString RunChart::ExportTitle() const {
  QStringList titles;
  for (const PlotRun& run : runs) {
    if (!run.visible || run.table.IsPowerTable() != PowerLayout()) continue;
    const QString title = QString::fromStdString(run.table.title).trimmed();
    const QString shown = title.isEmpty() ? QFileInfo(run.path.isEmpty() ? run.name : run.path).fileName() : title;
    if (!titles.contains(shown)) titles << shown;
  }
  return titles.join(QStringLiteral(" / "));
}

std::unique_ptr<RunChart> RunChart::LaidOut(QSize layout, const QString& title) const {
  // A copy, so the window's chart keeps its own layout.
  auto copy = std::make_unique<RunChart>();
  copy->heading = title;
  copy->units = units;
  copy->timeQuantities = timeQuantities;
  copy->stacked = stacked;
  copy->SetRuns(runs, notice);
  copy->resize(layout);
  QCoreApplication::sendPostedEvents();
  copy->LayOut(QSizeF(layout));
  QCoreApplication::sendPostedEvents();
  copy->AlignPanes();
  QCoreApplication::sendPostedEvents();
  copy->PlacePeakLabels();
  copy->StyleDoubtfulStretches();
  copy->scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(layout)));
  return copy;
}

void RunChart::Render(QPainter& painter, const QRectF& target, QSize layout, const QString& title) const {
  const std::unique_ptr<RunChart> copy = LaidOut(layout, title);
  copy->scene()->render(&painter, target, QRectF(QPointF(0, 0), QSizeF(layout)));
}

bool RunChart::Export(const QString& path, QString& error) const {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("pdf")) {
    error = tr("Cannot export to %1 - the name must end in .png, .svg or .pdf").arg(path);
    return false;
  }
  const std::unique_ptr<RunChart> copy = LaidOut(kExportLayout, ExportTitle());
  const QRectF source(QPointF(0, 0), QSizeF(kExportLayout));

  // Written beside the target and renamed over it only when complete.
  QSaveFile file(path);
  bool written = file.open(QIODevice::WriteOnly);
  if (written && suffix == QLatin1String("png")) {
    QImage image(kExportLayout * kExportScale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      copy->scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())), source);
    }
    written = image.save(&file, "PNG");
  } else if (written && suffix == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(kExportLayout);
    svg.setViewBox(source);
    svg.setTitle(copy->heading);
    QPainter painter;
    written = painter.begin(&svg);
    if (written) {
      copy->scene()->render(&painter, source, source);
      written = painter.end();
    }
  } else if (written) {
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QSizeF(kExportLayout) * 0.75, QPageSize::Point));  // 96 px per 72 pt
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(copy->heading);
    QPainter painter;
    written = painter.begin(&pdf);
    if (written) {
      copy->scene()->render(&painter, QRectF(0, 0, pdf.width(), pdf.height()), source);
      written = painter.end();
    }
  }
  if (!written || !file.commit()) {
    error = tr("Not able to write - %1").arg(path);
    return false;
  }
  return true;
}

}  // namespace ruvo
