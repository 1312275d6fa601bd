#include "ui/tool_setup_dlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "ui/dialog_buttons.h"
#include "ui/dialog_units.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

struct ToolRow {
  const char* label;
  QRect labelAt;  // dialog units
  QRect boxAt;
  QPoint browseAt;
};

const ToolRow kRows[kTools.size()] = {
    {"Application for viewing &tables:", {19, 7, 94, 8}, {17, 17, 184, 14}, {206, 18}},
    {"Application for &graphing results:", {19, 37, 99, 8}, {18, 47, 184, 14}, {207, 47}},
    {"Application for &editing wave files:", {21, 66, 104, 8}, {19, 76, 182, 14}, {207, 76}},
    {"Application for &recording wave files:", {21, 96, 112, 8}, {20, 108, 182, 14}, {209, 108}},
    {"&Mixer application:", {23, 130, 56, 8}, {21, 140, 181, 14}, {209, 141}},
};

// Found as a tool command finds it: Ruvo's own programs beside the running one first.
bool IsInstalled(const std::string& program) {
  const char* searchPath = std::getenv("PATH");
  return !FindToolProgram(program, searchPath ? searchPath : "", QCoreApplication::applicationDirPath().toStdString())
              .empty();
}

}  // namespace

CToolSetupDlg::CToolSetupDlg(SettingsStore& store, QWidget* parent) : QDialog(parent), settings(store) {
  setWindowTitle(QStringLiteral("Application tools setup"));
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(0, 0, 281, 204).size());

  QWidget* previous = nullptr;
  for (std::size_t n = 0; n < kTools.size(); ++n) {
    const ToolRow& row = kRows[n];
    const QString number = QString::number(n + 1);
    auto* label = units.Place(new QLabel(QString::fromLatin1(row.label), this), row.labelAt.x(), row.labelAt.y(),
                              row.labelAt.width(), row.labelAt.height());
    QLineEdit* box =
        units.Place(new QLineEdit(this), row.boxAt.x(), row.boxAt.y(), row.boxAt.width(), row.boxAt.height());
    box->setObjectName(QStringLiteral("toolCommand") + number);
    label->setBuddy(box);
    const std::string command = GetSetting(settings, kTools[n].key);
    box->setText(QString::fromStdString(command.empty() ? DefaultToolCommand(n, IsInstalled) : command));
    // Alt+B moves among the five Browse buttons; Space presses the one it reached.
    auto* browse =
        units.Place(new QPushButton(QStringLiteral("&Browse"), this), row.browseAt.x(), row.browseAt.y(), 50, 14);
    browse->setObjectName(QStringLiteral("browseTool") + number);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this, n] { BrowseTool(n); });
    if (previous) QWidget::setTabOrder(previous, box);
    QWidget::setTabOrder(box, browse);
    previous = browse;
    boxes[n] = box;
  }
  AddOkCancel(*this, units, {92, 177}, {154, 177});
  WidenToFitTexts(*this);
}

void CToolSetupDlg::accept() {
  for (std::size_t n = 0; n < kTools.size(); ++n) PutSetting(settings, kTools[n].key, boxes[n]->text().toStdString());
  QDialog::accept();
}

void CToolSetupDlg::BrowseTool(std::size_t n) {
  const FileChoice choice = Prompts().ChooseProgram(this, QStringLiteral("Open"));
  if (!choice.accepted || choice.files.isEmpty()) return;
  const QString program = choice.files.front();
  boxes[n]->setText(program.contains(u' ') ? u'"' + program + u'"' : program);
}

}  // namespace ruvo
