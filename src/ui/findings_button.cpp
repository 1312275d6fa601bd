#include "ui/findings_button.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPixmap>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace ruvo {
namespace {

// The count with its noun, one of "%1 warning" and "%1 warnings" (or the notes' pair).
QString Counted(long count, const char* one, const char* many) {
  return QCoreApplication::translate("ruvo::FindingsButton", count == 1 ? one : many).arg(count);
}

bool IsWarning(const RunFinding& finding) {
  return finding.severity == FindingSeverity::kWarning;
}

QIcon FindingIcon(const QStyle& style, bool warning) {
  return style.standardIcon(warning ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation);
}

}  // namespace

QString FindingsCountText(const std::vector<RunFinding>& findings) {
  const long warnings = std::count_if(findings.begin(), findings.end(), IsWarning);
  const long notes = static_cast<long>(findings.size()) - warnings;
  QStringList parts;
  if (warnings > 0)
    parts << Counted(warnings, QT_TRANSLATE_NOOP("ruvo::FindingsButton", "%1 warning"),
                     QT_TRANSLATE_NOOP("ruvo::FindingsButton", "%1 warnings"));
  if (notes > 0)
    parts << Counted(notes, QT_TRANSLATE_NOOP("ruvo::FindingsButton", "%1 note"),
                     QT_TRANSLATE_NOOP("ruvo::FindingsButton", "%1 notes"));
  return parts.isEmpty() ? QString()
                         : QCoreApplication::translate("ruvo::FindingsButton", "Chec&ks: %1")
                               .arg(parts.join(QCoreApplication::translate("ruvo::FindingsButton", ", ")));
}

FindingsButton::FindingsButton(QWidget* parent) : QPushButton(parent) {
  setObjectName(QStringLiteral("findingsButton"));
  setFlat(true);
  setToolTip(tr("What the checks of the recordings found"));
  // The form keeps its size whether or not there are findings: the row is there, icon and all. A
  // blank icon of the same size holds the place until there are findings to show, since the style's
  // icons come from the icon theme, whose lookup would cost a fifth of the window's start-up.
  QPixmap blank(iconSize() * devicePixelRatio());
  blank.setDevicePixelRatio(devicePixelRatio());
  blank.fill(Qt::transparent);
  setIcon(QIcon(blank));
  setText(QStringLiteral(" "));
  QSizePolicy policy = sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  setSizePolicy(policy);
  hide();
  connect(this, &QPushButton::clicked, this, &FindingsButton::OpenList);
}

void FindingsButton::ShowFindings(const std::vector<RunFinding>& findings) {
  shown = findings;
  setVisible(!shown.empty());
  setText(shown.empty() ? QStringLiteral(" ") : FindingsCountText(shown));
  if (!shown.empty()) setIcon(FindingIcon(*style(), std::any_of(shown.begin(), shown.end(), IsWarning)));
  if (!listWindow) return;
  if (shown.empty())
    listWindow->close();
  else
    FillList();
}

void FindingsButton::OpenList() {
  if (!listWindow) {
    listWindow = new QDialog(window());
    listWindow->setObjectName(QStringLiteral("findingsWindow"));
    listWindow->setWindowTitle(tr("Run Checks"));
    listWindow->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(listWindow);
    auto* list = new QListWidget(listWindow);
    list->setObjectName(QStringLiteral("findingsList"));
    list->setWordWrap(true);
    list->setMinimumSize(fontMetrics().averageCharWidth() * 70, fontMetrics().height() * 8);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, listWindow);
    connect(buttons, &QDialogButtonBox::rejected, listWindow.data(), &QDialog::close);
    layout->addWidget(list);
    layout->addWidget(buttons);
  }
  FillList();
  listWindow->show();
  listWindow->raise();
}

void FindingsButton::FillList() {
  auto* list = listWindow->findChild<QListWidget*>(QStringLiteral("findingsList"));
  list->clear();
  for (const RunFinding& finding : shown)
    new QListWidgetItem(FindingIcon(*style(), IsWarning(finding)), QString::fromStdString(finding.text), list);
}

}  // namespace ruvo
