#include "ui/tool_setup_dlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "ui/dialog_buttons.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

constexpr int kCommandChars = 60;  // average characters a command box shows: a program with its path

// The rows, one per tool: a label over its box, the box's Browse button beside it.
struct ToolRow {
  const char* label;
  const char* browse;  // each Browse its own Alt letter
};

const ToolRow kRows[kTools.size()] = {
    {QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Application for viewing &tables:"),
     QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "&Browse")},
    {QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Application for &graphing results:"),
     QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Br&owse")},
    {QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Application for e&diting wave files:"),
     QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Bro&wse")},
    {QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Application for &recording wave files:"),
     QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Brow&se")},
    {QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "&Mixer application:"),
     QT_TRANSLATE_NOOP("ruvo::CToolSetupDlg", "Brows&e")},
};

// Found as a tool command finds it: Ruvo's own programs beside the running one first.
bool IsInstalled(const std::string& program) {
  const char* searchPath = std::getenv("PATH");
  return !FindToolProgram(program, searchPath ? searchPath : "", QCoreApplication::applicationDirPath().toStdString())
              .empty();
}

}  // namespace

CToolSetupDlg::CToolSetupDlg(SettingsStore& store, QWidget* parent) : QDialog(parent), settings(store) {
  setWindowTitle(tr("Application tools setup"));
  QGridLayout* grid = FixedGrid(*this);
  const int lineHeight = fontMetrics().height();
  grid->setColumnStretch(0, 1);
  // A label sits a quarter line over its box; a row, and the buttons, start three quarters of a
  // line below the box above. The extra half line is a taller row whose widget keeps to its bottom.
  grid->setVerticalSpacing(lineHeight / 4);
  const auto addBelowGap = [grid, lineHeight](QWidget* widget, int row, int columns, Qt::Alignment alignment) {
    grid->addWidget(widget, row, 0, 1, columns, Qt::AlignBottom | alignment);
    if (row > 0) grid->setRowMinimumHeight(row, widget->sizeHint().height() + lineHeight / 2);
  };

  for (std::size_t n = 0; n < kTools.size(); ++n) {
    const ToolRow& row = kRows[n];
    const QString number = QString::number(n + 1);
    auto* label = new QLabel(tr(row.label), this);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("toolCommand") + number);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * kCommandChars);
    label->setBuddy(box);
    const std::string command = GetSetting(settings, kTools[n].key);
    box->setText(QString::fromStdString(command.empty() ? DefaultToolCommand(n, IsInstalled) : command));
    auto* browse = new QPushButton(tr(row.browse), this);
    browse->setObjectName(QStringLiteral("browseTool") + number);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this, n] { BrowseTool(n); });
    const int top = 2 * static_cast<int>(n);
    addBelowGap(label, top, 1, Qt::AlignLeft);
    grid->addWidget(box, top + 1, 0);
    grid->addWidget(browse, top + 1, 1);
    boxes[n] = box;
  }
  addBelowGap(OkCancelBox(*this), 2 * static_cast<int>(kTools.size()), 2, {});
}

void CToolSetupDlg::accept() {
  for (std::size_t n = 0; n < kTools.size(); ++n) PutSetting(settings, kTools[n].key, boxes[n]->text().toStdString());
  QDialog::accept();
}

void CToolSetupDlg::BrowseTool(std::size_t n) {
  const FileChoice choice = Prompts().ChooseProgram(this, tr("Open"));
  if (!choice.accepted || choice.files.isEmpty()) return;
  const QString program = choice.files.front();
  boxes[n]->setText(program.contains(u' ') ? u'"' + program + u'"' : program);
}

}  // namespace ruvo
