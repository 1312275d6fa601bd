#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/user_prompts.h"

namespace ruvo::test {

// Answers the desktop's dialogs in advance while alive, then restores the real ones.
class ScriptedPrompts : public UserPrompts {
 public:
  struct FileRequest {
    QString caption;
    QString folder;  // where the dialog was asked to open (or the suggested path of a save)
    QString filters;
    bool multiple = false;
  };

  ScriptedPrompts();
  ~ScriptedPrompts() override;
  ScriptedPrompts(const ScriptedPrompts&) = delete;
  ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

  void Message(QWidget* parent, const QString& text) override;
  FileChoice OpenFiles(QWidget* parent,
                       const QString& caption,
                       const QString& folder,
                       const QString& filters,
                       bool multiple) override;
  FileChoice SaveFile(QWidget* parent, const QString& caption, const QString& suggested, const QString& filters) override;
  // Shows the dialog, lets onModal work on it (it clicks OK or Cancel), then closes it; a dialog
  // still open afterwards counts as cancelled.
  int RunModal(QDialog& dialog) override;

  std::deque<FileChoice> fileAnswers;  // consumed in order; none left means "cancelled"
  std::function<void(QDialog&)> onModal;
  std::vector<FileRequest> fileRequests;
  QStringList messages;  // texts given to Message directly
  int modalCount = 0;

 private:
  FileChoice NextFileAnswer(FileRequest request);
  UserPrompts* previous;
};

}  // namespace ruvo::test
