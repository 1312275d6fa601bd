#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/settings.h"
#include "desktop/recent_file_list.h"

namespace ruvo {

class CMainFrame;
class CRuvoDoc;
class CRuvoView;
class DocumentCommands;
class ResultsDock;

// The desktop application: creates the main window with its form and the document, runs the
// start-up sequence and writes the recent-file list back at exit. The settings store must
// outlive it. One per process; single-threaded.
class CRuvoApp {
 public:
  // dataHome: the user's data folder for the desktop registration (empty: no registration);
  // executable: the program the desktop is to start on a document.
  CRuvoApp(SettingsStore& settings, QString dataHome, QString executable);
  ~CRuvoApp();
  CRuvoApp(const CRuvoApp&) = delete;
  CRuvoApp& operator=(const CRuvoApp&) = delete;

  // Start-up: opens the document named first in arguments (one that
  // does not open ends start-up with false), shows the window where it was last, and without a
  // named document reopens the last document of the previous run (one that no longer opens is
  // reported once and leaves the recent list) or starts a new one; then reads ruvo.cfg from the
  // "DIR" setting. The document type is registered with the desktop once the window has been
  // painted, so that the first sight of it does not wait for the registration.
  bool InitInstance(const QStringList& arguments);
  // Whether the registration with the desktop has been done.
  bool RegisteredWithDesktop() const { return registered; }

  // Writes the recent-file list and the window's size and place to the settings store.
  void ExitInstance();

  CMainFrame& Frame() { return *frame; }
  CRuvoView& View() { return *view; }
  CRuvoDoc& Document() { return *document; }
  DocumentCommands& Commands() { return *commands; }
  ResultsDock& Results() { return *results; }

 private:
  void ConnectCommands();
  void OnAppAbout();

  SettingsStore& settings;
  QString dataHome;
  QString executable;
  RecentFileList recent;
  std::unique_ptr<CRuvoDoc> document;  // before the frame, whose form shows it
  std::unique_ptr<CMainFrame> frame;
  CRuvoView* view;  // owned by frame
  std::unique_ptr<DocumentCommands> commands;
  ResultsDock* results;  // owned by frame
  bool registered = false;
};

}  // namespace ruvo
