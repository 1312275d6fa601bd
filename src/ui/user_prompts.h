#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace ruvo {

// What a file dialog returned: the chosen files (full paths) when accepted, and the folder the
// dialog was showing when it closed, whichever way it closed.
struct FileChoice {
  bool accepted = false;
  QStringList files;
  QString finalFolder;
};

// The answers to "Save changes to NAME?".
enum class SaveAnswer { Save, Discard, Cancel };

// Every message box, file dialog and modal dialog of the desktop goes through the installed
// prompts, so tests can answer them in advance instead of waiting for a user. The default
// instance shows the real dialogs. Single-threaded.
class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // A modal box captioned "Ruvo" with the text and one OK button.
  virtual void Message(QWidget* parent, const QString& text) = 0;

  // The same box with a second button named action beside OK (the default); true when the action
  // button closed it.
  virtual bool MessageWithAction(QWidget* parent, const QString& text, const QString& action) = 0;

  // A file-open dialog starting in folder; filters as Qt writes them, separated by ";;".
  virtual FileChoice OpenFiles(
      QWidget* parent, const QString& caption, const QString& folder, const QString& filters, bool multiple) = 0;

  // A file-open dialog for a program: "Programs" (executable files) or "All files".
  virtual FileChoice ChooseProgram(QWidget* parent, const QString& caption) = 0;

  // A save dialog suggesting a path; one file when accepted.
  virtual FileChoice SaveFile(QWidget* parent,
                              const QString& caption,
                              const QString& suggested,
                              const QString& filters) = 0;

  // Asks question in a box captioned "Ruvo" with Yes (the default) and No; true for Yes.
  virtual bool AskYesNo(QWidget* parent, const QString& question) = 0;

  // Asks question in a box captioned "Ruvo" with one button per text (the first is the default,
  // Escape picks the last); the index of the button pressed.
  virtual int AskChoice(QWidget* parent, const QString& question, const QStringList& buttons) = 0;

  // Asks "Save changes to NAME?" with Save, Discard and Cancel.
  virtual SaveAnswer AskSaveChanges(QWidget* parent, const QString& documentName) = 0;

  // Runs a modal dialog; returns QDialog::Accepted or QDialog::Rejected.
  virtual int RunModal(QDialog& dialog) = 0;
};

// The installed prompts (the real dialogs unless a test installed others).
UserPrompts& Prompts();

// Installs prompts (not owned; nullptr restores the real dialogs) and returns the previous ones.
UserPrompts* SetPrompts(UserPrompts* prompts);

}  // namespace ruvo
