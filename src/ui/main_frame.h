#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace ruvo {

// The commands of the menu, the toolbar and the accelerators. The frame creates them; whoever
// owns the document and the form connects them.
struct FrameCommands {
  QAction* newDocument = nullptr;  // Ctrl+N only, no menu item
  QAction* open = nullptr;
  QAction* save = nullptr;
  QAction* saveAs = nullptr;
  QAction* exit = nullptr;
  QAction* calculate = nullptr;  // toolbar only
  QAction* smoothing = nullptr;
  QAction* graph = nullptr;
  QAction* tables = nullptr;
  QAction* recordSound = nullptr;
  QAction* editSound = nullptr;
  QAction* soundMixer = nullptr;
  QAction* toolSetup = nullptr;
  QAction* about = nullptr;
};

// The main window: menu bar, dockable toolbar and status bar (a message pane showing "Ready"
// when idle, and the Caps, Num and Scroll Lock indicators) around the form. It accepts
// documents dropped onto it and reports them; it holds no document state of its own.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  const FrameCommands& Commands() const { return commands; }

  // Rebuilds the File menu's recent-file entries (a greyed "Recent File" when there are none).
  void ShowRecentFiles(const std::vector<std::string>& paths);

  // Fits the window around the form: shrinks it when larger, never enlarges a shown window.
  void ShrinkToFit();

 signals:
  void recentFileChosen(int index);
  void documentDropped(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void UpdateLockIndicators();

  FrameCommands commands;
  QMenu* fileMenu = nullptr;
  QAction* recentSeparator = nullptr;  // the recent entries go before it
  std::vector<QAction*> recentEntries;
  QToolBar* toolBar = nullptr;
  QLabel* capsIndicator = nullptr;
  QLabel* numIndicator = nullptr;
  QLabel* scrollIndicator = nullptr;
};

}  // namespace ruvo
