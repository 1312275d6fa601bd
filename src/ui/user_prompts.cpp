#include "ui/user_prompts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace ruvo {
namespace {

// Every box's caption.
QString Caption() {
  return QCoreApplication::translate("ruvo::UserPrompts", "Ruvo");
}

class DesktopPrompts : public UserPrompts {
 public:
  void Message(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, Caption(), text, QMessageBox::Ok, parent);
    box.exec();
  }

  bool MessageWithAction(QWidget* parent, const QString& text, const QString& action) override {
    QMessageBox box(QMessageBox::NoIcon, Caption(), text, QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    QPushButton* actionButton = box.addButton(action, QMessageBox::ActionRole);
    actionButton->setObjectName(QStringLiteral("actionButton"));
    box.exec();
    return box.clickedButton() == actionButton;
  }

  FileChoice OpenFiles(
      QWidget* parent, const QString& caption, const QString& folder, const QString& filters, bool multiple) override {
    QFileDialog dialog(parent, caption, folder, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return Finish(dialog);
  }

  FileChoice ChooseProgram(QWidget* parent, const QString& caption) override {
    const QString programs = QCoreApplication::translate("ruvo::UserPrompts", "Programs (*)");
    const QString all = QCoreApplication::translate("ruvo::UserPrompts", "All files (*)");
    QFileDialog dialog(parent, caption, QString(), programs + QStringLiteral(";;") + all);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The desktop's own dialog knows no filter by permission, so Qt's dialog is used here.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto showOnly = [&dialog, programs](const QString& filter) {
      const QDir::Filters folders = QDir::AllDirs | QDir::NoDot;
      dialog.setFilter(filter == programs ? folders | QDir::Files | QDir::Executable : folders | QDir::Files);
    };
    showOnly(programs);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, showOnly);
    return Finish(dialog);
  }

  FileChoice SaveFile(QWidget* parent,
                      const QString& caption,
                      const QString& suggested,
                      const QString& filters) override {
    QFileDialog dialog(parent, caption, suggested, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return Finish(dialog);
  }

  bool AskYesNo(QWidget* parent, const QString& question) override {
    QMessageBox box(QMessageBox::Question, Caption(), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
  }

  int AskChoice(QWidget* parent, const QString& question, const QStringList& buttons) override {
    QMessageBox box(QMessageBox::Question, Caption(), question, QMessageBox::NoButton, parent);
    std::vector<QPushButton*> pushed;
    for (const QString& text : buttons) pushed.push_back(box.addButton(text, QMessageBox::ActionRole));
    if (pushed.empty()) return -1;
    box.setDefaultButton(pushed.front());
    box.setEscapeButton(pushed.back());
    box.exec();
    const auto chosen = std::find(pushed.begin(), pushed.end(), box.clickedButton());
    return chosen == pushed.end() ? static_cast<int>(pushed.size()) - 1 : static_cast<int>(chosen - pushed.begin());
  }

  SaveAnswer AskSaveChanges(QWidget* parent, const QString& documentName) override {
    QMessageBox box(QMessageBox::Warning, Caption(),
                    QCoreApplication::translate("ruvo::UserPrompts", "Save changes to %1?").arg(documentName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
      case QMessageBox::Save:
        return SaveAnswer::Save;
      case QMessageBox::Discard:
        return SaveAnswer::Discard;
      default:
        return SaveAnswer::Cancel;
    }
  }

  int RunModal(QDialog& dialog) override { return dialog.exec(); }

 private:
  static FileChoice Finish(QFileDialog& dialog) {
    FileChoice choice;
    choice.accepted = dialog.exec() == QDialog::Accepted;
    if (choice.accepted) choice.files = dialog.selectedFiles();
    choice.finalFolder = dialog.directory().absolutePath();
    return choice;
  }
};

DesktopPrompts desktopPrompts;
UserPrompts* installedPrompts = &desktopPrompts;

}  // namespace

UserPrompts& Prompts() {
  return *installedPrompts;
}

UserPrompts* SetPrompts(UserPrompts* prompts) {
  UserPrompts* previous = installedPrompts;
  installedPrompts = prompts ? prompts : &desktopPrompts;
  return previous;
}

}  // namespace ruvo
