#pragma once

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

#include "ui/user_prompts.h"

namespace ruvo::test {

// Answers the desktop's dialogs in advance while alive, then restores the real ones. Messages
// are swallowed here; tests read them with MessageCapture.
class ScriptedPrompts : public UserPrompts {
 public:
  struct FileRequest {
    QString folder;  // where the dialog was asked to open (or the suggested path of a save)
    bool multiple;
  };

  ScriptedPrompts() : previous(SetPrompts(this)) {}
  ~ScriptedPrompts() override { SetPrompts(previous); }

  void Message(QWidget*, const QString&) override {}
  FileChoice OpenFiles(QWidget*, const QString&, const QString& folder, const QString&, bool multiple) override {
    return NextFileAnswer({folder, multiple});
  }
  FileChoice SaveFile(QWidget*, const QString&, const QString& suggested, const QString&) override {
    return NextFileAnswer({suggested, false});
  }
  // Shows the dialog, lets onModal work on it (it clicks OK or Cancel), then closes it; a dialog
  // still open afterwards counts as cancelled.
  int RunModal(QDialog& dialog) override {
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (onModal) onModal(dialog);
    const int result = dialog.isVisible() ? int(QDialog::Rejected) : dialog.result();
    dialog.hide();
    return result;
  }

  std::deque<FileChoice> fileAnswers;  // consumed in order; none left means "cancelled"
  std::function<void(QDialog&)> onModal;
  std::vector<FileRequest> fileRequests;

 private:
  FileChoice NextFileAnswer(FileRequest request) {
    fileRequests.push_back(request);
    if (fileAnswers.empty()) return {};
    const FileChoice answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }

  UserPrompts* previous;
};

}  // namespace ruvo::test
