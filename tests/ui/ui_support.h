#pragma once
// What the desktop's Qt Test suites share: the suite registry, a probe that reaches a form's
// controls by name, and prompts answered in advance.

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <source_location>
#include <string>
#include <utility>
#include <vector>

#include "ui/user_prompts.h"

namespace ruvo::test {

// The Qt Test suites by name; "ruvo_ui_tests NAME" runs one (one CTest entry per suite). Defined
// ahead of every registration, so it is built before them.
inline std::map<std::string, int (*)(int argc, char** argv)> suites;

// Compares actual with expected; when they differ the test fails at the caller's line with field
// named as the value read. Returns whether they agree (use RUVO_REQUIRE).
template <typename Value>
bool FieldIs(const QByteArray& field,
             const Value& actual,
             const Value& expected,
             std::source_location at = std::source_location::current()) {
  return QTest::qCompare(actual, expected, field.constData(), "expected", at.file_name(), static_cast<int>(at.line()));
}

// Reaches the controls of a form or dialog by their object names.
class FormProbe {
 public:
  explicit FormProbe(QWidget& form) : root(form) {}

  QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }
  QRadioButton* Radio(const char* name) const { return Find<QRadioButton>(name); }
  QListWidget* List(const char* name) const { return Find<QListWidget>(name); }
  QString Text(const char* name) const { return Box(name)->text(); }
  void Type(const char* name, const QString& text) const { Box(name)->setText(text); }
  void Click(const char* name) const { Find<QPushButton>(name)->click(); }

  // Types each "name=text" entry into the box of that name.
  void Fill(const QStringList& entries) const {
    for (const QString& entry : entries) Type(qPrintable(entry.section('=', 0, 0)), entry.section('=', 1));
  }
  template <typename Value>
  using Expected = std::initializer_list<std::pair<const char*, Value>>;

  // Each named box's text, control's enabled state or radio button's check against the expected
  // one, in order. The first that differs fails the test at the caller's line, naming the control;
  // false then (use RUVO_REQUIRE).
  bool TextsAre(Expected<QString> expected, std::source_location at = std::source_location::current()) const {
    return AllAre(expected, "text", at, [this](const char* name) { return Text(name); });
  }
  bool EnabledAre(Expected<bool> expected, std::source_location at = std::source_location::current()) const {
    return AllAre(expected, "enabled", at, [this](const char* name) { return Find<QWidget>(name)->isEnabled(); });
  }
  bool CheckedAre(Expected<bool> expected, std::source_location at = std::source_location::current()) const {
    return AllAre(expected, "checked", at, [this](const char* name) { return Radio(name)->isChecked(); });
  }
  QStringList Items(const char* listName) const {
    QStringList items;
    for (int row = 0; row < List(listName)->count(); ++row) items << List(listName)->item(row)->text();
    return items;
  }

  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* widget = root.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) qFatal("no control named %s", name);
    return widget;
  }

 private:
  template <typename Value, typename Read>
  static bool AllAre(Expected<Value> expected, const char* what, const std::source_location& at, Read read) {
    for (const auto& [name, value] : expected)
      if (!FieldIs(QByteArray(name) + ' ' + what, Value(read(name)), value, at)) return false;
    return true;
  }

  QWidget& root;
};

// Answers the desktop's dialogs in advance while alive, then restores the real ones. Messages
// are swallowed here; tests read them with MessageCapture.
class ScriptedPrompts : public UserPrompts {
 public:
  ScriptedPrompts() : previous(SetPrompts(this)) {}
  ~ScriptedPrompts() override { SetPrompts(previous); }

  void Message(QWidget*, const QString&) override {}
  // Records "text|action" and answers takeAction.
  bool MessageWithAction(QWidget*, const QString& text, const QString& action) override {
    actionMessages << text + '|' + action;
    return takeAction;
  }
  FileChoice OpenFiles(QWidget*, const QString&, const QString& folder, const QString&, bool multiple) override {
    return NextFileAnswer(folder, multiple);
  }
  FileChoice ChooseProgram(QWidget*, const QString&) override { return NextFileAnswer("(programs)", false); }
  FileChoice SaveFile(QWidget*, const QString&, const QString& suggested, const QString&) override {
    return NextFileAnswer(suggested, false);
  }
  // Records the question and answers yesAnswer.
  bool AskYesNo(QWidget*, const QString& question) override {
    questions << question;
    return yesAnswer;
  }
  // Records the question with its buttons ("question|button|button") and answers choiceAnswer.
  int AskChoice(QWidget*, const QString& question, const QStringList& buttons) override {
    questions << question + "|" + buttons.join('|');
    return choiceAnswer;
  }
  // Records the question; the next answer in saveAnswers, or Cancel when none is left.
  SaveAnswer AskSaveChanges(QWidget*, const QString& documentName) override {
    saveQuestions << documentName;
    if (saveAnswers.empty()) return SaveAnswer::Cancel;
    const SaveAnswer answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
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
  std::deque<SaveAnswer> saveAnswers;
  QStringList saveQuestions;  // the document names asked about
  QStringList questions;      // the yes-or-no and choice questions asked
  bool yesAnswer = true;
  int choiceAnswer = 0;
  QStringList actionMessages;  // the messages that offered an action, with it
  bool takeAction = false;
  // Each file dialog asked for: where it was to open (or the suggested path of a save) and
  // whether it takes several files.
  std::vector<std::pair<QString, bool>> fileRequests;

 private:
  FileChoice NextFileAnswer(const QString& folder, bool multiple) {
    fileRequests.emplace_back(folder, multiple);
    if (fileAnswers.empty()) return {};
    const FileChoice answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }

  UserPrompts* previous;
};

}  // namespace ruvo::test

// Ends the test function when check, a comparison that reports its own failure, failed.
#define RUVO_REQUIRE(check) \
  do {                      \
    if (!(check)) return;   \
  } while (false)

// Registers the Qt Test class Suite under name; placed after the class in its test file.
#define RUVO_UI_SUITE(name, Suite)                                                                     \
  static const auto registered##Suite = ::ruvo::test::suites.emplace(name, [](int argc, char** argv) { \
    Suite suite;                                                                                       \
    return QTest::qExec(&suite, argc, argv);                                                           \
  })
