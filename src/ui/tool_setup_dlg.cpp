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

// The rows of the template, in dialog units: a label over its box, with the box's Browse button
// beside it; every row the same, one under the other.
constexpr int kRowLeft = 17, kRowTop = 7, kRowPitch = 30, kLabelHeight = 8, kBoxTop = 10, kBoxWidth = 184;
constexpr int kBrowseLeft = 206, kButtonWidth = 50, kControlHeight = 14;

struct ToolRow {
  const char* label;
  int labelWidth;      // dialog units
  const char* browse;  // each Browse its own Alt letter
};

const ToolRow kRows[kTools.size()] = {
    {"Application for viewing &tables:", 94, "&Browse"},
    {"Application for &graphing results:", 99, "Br&owse"},
    {"Application for e&diting wave files:", 104, "Bro&wse"},
    {"Application for &recording wave files:", 112, "Brow&se"},
    {"&Mixer application:", 56, "Brows&e"},
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
  setFixedSize(units.ToPixels(0, 0, 281, 197).size());

  QWidget* previous = nullptr;
  for (std::size_t n = 0; n < kTools.size(); ++n) {
    const ToolRow& row = kRows[n];
    const QString number = QString::number(n + 1);
    const int top = kRowTop + static_cast<int>(n) * kRowPitch;
    auto* label =
        units.Place(new QLabel(QString::fromLatin1(row.label), this), kRowLeft, top, row.labelWidth, kLabelHeight);
    QLineEdit* box = units.Place(new QLineEdit(this), kRowLeft, top + kBoxTop, kBoxWidth, kControlHeight);
    box->setObjectName(QStringLiteral("toolCommand") + number);
    label->setBuddy(box);
    const std::string command = GetSetting(settings, kTools[n].key);
    box->setText(QString::fromStdString(command.empty() ? DefaultToolCommand(n, IsInstalled) : command));
    auto* browse = units.Place(new QPushButton(QString::fromLatin1(row.browse), this), kBrowseLeft, top + kBoxTop,
                               kButtonWidth, kControlHeight);
    browse->setObjectName(QStringLiteral("browseTool") + number);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this, n] { BrowseTool(n); });
    if (previous) QWidget::setTabOrder(previous, box);
    QWidget::setTabOrder(box, browse);
    previous = browse;
    boxes[n] = box;
  }
  AddOkCancel(*this, units, {92, 170}, {154, 170});
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
