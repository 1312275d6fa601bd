#include "scripted_prompts.h"

#include <QDialog>

namespace ruvo::test {

ScriptedPrompts::ScriptedPrompts() : previous(SetPrompts(this)) {}

ScriptedPrompts::~ScriptedPrompts() { SetPrompts(previous); }

void ScriptedPrompts::Message(QWidget*, const QString& text) { messages << text; }

FileChoice ScriptedPrompts::OpenFiles(QWidget*,
                                      const QString& caption,
                                      const QString& folder,
                                      const QString& filters,
                                      bool multiple) {
  return NextFileAnswer({caption, folder, filters, multiple});
}

FileChoice ScriptedPrompts::SaveFile(QWidget*, const QString& caption, const QString& suggested, const QString& filters) {
  return NextFileAnswer({caption, suggested, filters, false});
}

int ScriptedPrompts::RunModal(QDialog& dialog) {
  ++modalCount;
  dialog.setResult(QDialog::Rejected);
  dialog.show();
  if (onModal) onModal(dialog);
  const int result = dialog.isVisible() ? int(QDialog::Rejected) : dialog.result();
  dialog.hide();
  return result;
}

FileChoice ScriptedPrompts::NextFileAnswer(FileRequest request) {
  fileRequests.push_back(std::move(request));
  if (fileAnswers.empty()) return {};
  FileChoice answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

}  // namespace ruvo::test
