#pragma once

#include <QObject>
#include <QStringList>
#include <string>

namespace ruvo {

class CMainFrame;
class CRuvoDoc;
class CRuvoView;
class RecentFileList;

// The File commands of the one document: new, open (dialog, recent entry, dropped file, command
// line), save and save as, and the question before the form's changes would be lost. Each
// successful open or save puts the file at the top of the recent list and the window title always
// reads "<document> - Ruvo". A document without a name is given one with the Save As dialog
// the first time it is saved, Calculate's save included. Opening and saving under a name make the
// document's folder the working directory.
class DocumentCommands : public QObject {
  Q_OBJECT

 public:
  DocumentCommands(CMainFrame& mainFrame, CRuvoView& form, CRuvoDoc& doc, RecentFileList& recentFiles);

  // Opens path as the document without asking about the form's changes (start-up); on failure
  // the reader's message was shown and nothing changed.
  bool OpenDocumentFile(const std::string& path);
  // Shows a new, untitled document with the initial values.
  void ShowNewDocument();

  void NewDocument();
  void Open();
  bool Save();
  bool SaveAs();
  // Opens recent entry index; an entry that no longer opens leaves the list.
  void OpenRecent(int index);
  // Dropped files: the first run document (".dat") opens, every file that is not a ".dat" joins the
  // wave list.
  void OpenDropped(const QStringList& paths);

  // True when the form differs from the saved document.
  bool IsModified() const;
  // Before the form's content is replaced or the window closes: asks "Save changes to NAME?" when
  // it was modified. False when the user cancelled (or the save failed): nothing may be replaced.
  bool MayDiscardChanges();
  // Before Calculate: an untitled document gets its name first; false when none was chosen.
  bool EnsureNamed();
  // After Calculate saved the document.
  void CalculationSaved();

 signals:
  // A document was opened (path) or a new one started (empty path).
  void documentShown(const QString& path);

 private:
  bool OpenAfterAsking(const std::string& path);
  void ShowTitle();
  void DocumentShown();
  void MarkSaved();
  void Remember(const std::string& path);
  // Where the Save As dialog proposes an untitled document: ruvo.dat beside its first recording, or
  // in the last used folder.
  std::string ProposedPath() const;

  CMainFrame& frame;
  CRuvoView& view;
  CRuvoDoc& document;
  RecentFileList& recent;
  std::string savedSnapshot;  // the form as last opened, saved or started
};

}  // namespace ruvo
