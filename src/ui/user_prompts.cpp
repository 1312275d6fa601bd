#include "ui/user_prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace ruvo {
namespace {

class DesktopPrompts : public UserPrompts {
 public:
  void Message(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ruvo"), text, QMessageBox::Ok, parent);
    box.exec();
  }

  FileChoice OpenFiles(QWidget* parent,
                       const QString& caption,
                       const QString& folder,
                       const QString& filters,
                       bool multiple) override {
    QFileDialog dialog(parent, caption, folder, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return Finish(dialog);
  }

  FileChoice SaveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filters) override {
    QFileDialog dialog(parent, caption, suggested, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return Finish(dialog);
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

UserPrompts& Prompts() { return *installedPrompts; }

UserPrompts* SetPrompts(UserPrompts* prompts) {
  UserPrompts* previous = installedPrompts;
  installedPrompts = prompts ? prompts : &desktopPrompts;
  return previous;
}

}  // namespace ruvo
