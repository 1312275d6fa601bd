#pragma once

#include <QObject>
#include <string>

namespace ruvo {

class CMainFrame;
class CRuvoDoc;
class CRuvoView;
class RecentFileList;

// The File commands of the one document: new, open (dialog, recent entry, dropped file, command
// line), save and save as. Each successful open or save puts the file at the top of the recent
// list; an open or a new document retitles the window "<document> - Ruvo" and shows the form's
// values again. Nothing marks the document as changed, so nothing asks to save.
class DocumentCommands : public QObject {
  Q_OBJECT

 public:
  DocumentCommands(CMainFrame& mainFrame, CRuvoView& form, CRuvoDoc& doc, RecentFileList& recentFiles);

  // Opens path as the document; on failure the reader's message was shown and nothing changed.
  bool OpenDocumentFile(const std::string& path);
  void NewDocument();
  void Open();
  void Save();
  void SaveAs();
  // Opens recent entry index; an entry that no longer opens leaves the list.
  void OpenRecent(int index);

 private:
  void ShowTitle();
  void DocumentShown();
  void Remember(const std::string& path);

  CMainFrame& frame;
  CRuvoView& view;
  CRuvoDoc& document;
  RecentFileList& recent;
};

}  // namespace ruvo
