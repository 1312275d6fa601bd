#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QStringList>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;

namespace ruvo {

// The commands of the menu, the toolbar and the accelerators. The frame creates them; whoever
// owns the document and the form connects them.
struct FrameCommands {
  QAction* newDocument = nullptr;
  QAction* open = nullptr;
  QAction* save = nullptr;
  QAction* saveAs = nullptr;
  QAction* exit = nullptr;
  QAction* calculate = nullptr;  // toolbar, F5 and Ctrl+R
  QAction* smoothing = nullptr;
  QAction* conditions = nullptr;  // the run's air conditions, for corrected power
  QAction* graph = nullptr;
  QAction* tables = nullptr;
  QAction* recordSound = nullptr;
  QAction* editSound = nullptr;
  QAction* soundMixer = nullptr;
  QAction* toolSetup = nullptr;
  QAction* about = nullptr;
};

// The main window: menu bar, dockable toolbar and status bar (a message pane showing "Ready"
// when idle, and the Caps, Num and Scroll Lock indicators where the windowing system reports
// them) around the form, which scrolls when the window is smaller than the form. The window can
// be resized; when it first appears and when the Results dock first widens it, it keeps itself,
// title bar included, on the screen. It accepts files dropped onto it and reports them, and asks
// the close guard before it closes. It holds no document state of its own.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit CMainFrame(QWidget* parent = nullptr);

  const FrameCommands& Commands() const { return commands; }

  // Rebuilds the File menu's recent-file entries (a greyed "Recent File" when there are none).
  void ShowRecentFiles(const std::vector<std::string>& paths);

  // Puts form into the window, inside a scroll area.
  void SetForm(QWidget* form);
  // Docks dock at the right, hidden until it shows itself; the View menu toggles it and
  // addChoices puts the dock's own View choices below.
  void AddResultsDock(QDockWidget* dock, const std::function<void(QMenu*)>& addChoices);

  // Gives the window the size and place of saved (from SavedGeometry); without one, or when it
  // cannot be restored, the form's size, centred in the screen's free area. Either way the whole
  // window, title bar included, ends up inside that area.
  void RestoreGeometry(const std::string& saved);
  std::string SavedGeometry() const;
  // Moves the window, and shrinks it if need be (not below its minimum size), so that its frame
  // lies inside the free area of its screen. A maximised or full-screen window is left alone.
  void KeepOnScreen();

  // Called when the window is asked to close; false keeps it open.
  void SetCloseGuard(std::function<bool()> guard) { closeGuard = std::move(guard); }

 signals:
  void recentFileChosen(int index);
  void filesDropped(const QStringList& paths);
  // The window was shown and painted for the first time.
  void firstShown();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void UpdateLockIndicators();
  QMargins Decoration() const;

  FrameCommands commands;
  QMenu* fileMenu = nullptr;
  QMenu* viewMenu = nullptr;
  QAction* recentSeparator = nullptr;  // the recent entries go before it
  std::vector<QAction*> recentEntries;
  QToolBar* toolBar = nullptr;
  QLabel* capsIndicator = nullptr;
  QLabel* numIndicator = nullptr;
  QLabel* scrollIndicator = nullptr;
  std::function<bool()> closeGuard;
  bool placed = false;        // exposed once: the window manager has framed and placed the window
  bool activated = false;     // activated once
  bool resultsShown = false;  // the Results dock has shown itself once
};

}  // namespace ruvo
