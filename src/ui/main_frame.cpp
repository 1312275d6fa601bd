#include "ui/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <optional>
#include <utility>

#include "ui/app_icons.h"
#include "ui/lock_indicators.h"

namespace ruvo {
namespace {

constexpr int kLockPollMilliseconds = 500;

QAction* MakeAction(QObject* owner, const QString& text, const QString& prompt, const QString& tip = {}) {
  auto* action = new QAction(text, owner);
  action->setStatusTip(prompt);
  if (!tip.isEmpty()) action->setToolTip(tip);
  return action;
}

QStringList LocalFilesOf(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("mainFrame"));
  setWindowIcon(ApplicationIcon());
  setAcceptDrops(true);

  FrameCommands& c = commands;
  c.newDocument = MakeAction(this, tr("&New"), tr("Create a new document"), tr("New"));
  c.newDocument->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  c.newDocument->setIcon(ToolbarIcon(ToolbarImage::New));
  c.open = MakeAction(this, tr("&Open..."), tr("Open an existing document"), tr("Open"));
  c.open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  c.open->setIcon(ToolbarIcon(ToolbarImage::Open));
  c.save = MakeAction(this, tr("&Save"), tr("Save the active document"), tr("Save"));
  c.save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  c.save->setIcon(ToolbarIcon(ToolbarImage::Save));
  c.saveAs = MakeAction(this, tr("Save &As..."), tr("Save the active document with a new name"), tr("Save As"));
  c.exit = MakeAction(this, tr("E&xit"), tr("Quit the application; prompts to save documents"), tr("Exit"));
  c.calculate = MakeAction(this, tr("Calculate"), tr("Perform Calculations"), tr("Calculate/Run"));
  c.calculate->setIcon(ToolbarIcon(ToolbarImage::Calculate));
  c.calculate->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
  addAction(c.calculate);  // its keys work with the toolbar hidden too
  c.smoothing = MakeAction(this, tr("&Smoothing..."), tr("Define data smoothing operations"), tr("Smooth"));
  c.smoothing->setIcon(ToolbarIcon(ToolbarImage::Smoothing));
  c.conditions = MakeAction(this, tr("Air &Conditions..."), tr("Enter the weather of the run, to correct its power"));
  c.conditions->setObjectName(QStringLiteral("conditionsAction"));
  c.graph = MakeAction(this, tr("&Graph Results"), tr("Startup graphing program"), tr("Graph"));
  c.graph->setIcon(ToolbarIcon(ToolbarImage::Graph));
  c.tables = MakeAction(this, tr("View &Tables"), tr("View Tables of Results"), tr("Tables"));
  c.tables->setIcon(ToolbarIcon(ToolbarImage::Tables));
  c.recordSound = MakeAction(this, tr("&Record Sound"), tr("Record wave file for processing"), tr("Record"));
  c.recordSound->setIcon(ToolbarIcon(ToolbarImage::Record));
  c.editSound = MakeAction(this, tr("&Edit Sound"), tr("Start wave file edit program"), tr("Edit"));
  c.editSound->setIcon(ToolbarIcon(ToolbarImage::Edit));
  c.soundMixer = MakeAction(this, tr("Sound &Mixer"), tr("Sound Mixer Application"), tr("Mixer"));
  c.soundMixer->setIcon(ToolbarIcon(ToolbarImage::Mixer));
  c.toolSetup = MakeAction(this, tr("Tool Set&up ....."), tr("Specify external program options"));
  c.about = MakeAction(this, tr("&About Ruvo..."), tr("Display program information, version number and copyright"),
                       tr("About"));
  c.about->setIcon(ToolbarIcon(ToolbarImage::About));
  connect(c.exit, &QAction::triggered, this, &QWidget::close);

  CreateToolBar();
  CreateStatusBar();
  CreateMenus();
  ShowRecentFiles({});
}

void CMainFrame::CreateMenus() {
  const FrameCommands& c = commands;
  fileMenu = menuBar()->addMenu(tr("&File"));
  fileMenu->addActions({c.newDocument, c.open, c.save, c.saveAs});
  fileMenu->addSeparator();
  recentSeparator = fileMenu->addSeparator();
  fileMenu->addAction(c.exit);

  QMenu* view = viewMenu = menuBar()->addMenu(tr("&View"));
  QAction* toggleToolBar = toolBar->toggleViewAction();
  toggleToolBar->setText(tr("&Toolbar"));
  toggleToolBar->setStatusTip(tr("Show or hide the toolbar"));
  view->addAction(toggleToolBar);
  QAction* toggleStatusBar =
      MakeAction(this, tr("&Status Bar"), tr("Show or hide the status bar"), tr("Toggle StatusBar"));
  toggleStatusBar->setCheckable(true);
  toggleStatusBar->setChecked(true);
  connect(toggleStatusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
  view->addAction(toggleStatusBar);

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addActions({c.smoothing, c.graph, c.tables, c.recordSound, c.editSound, c.soundMixer});
  tools->addSeparator();
  tools->addAction(c.toolSetup);
  // The weather is no input of the calculation: a group of its own, after the tools.
  tools->addSeparator();
  tools->addAction(c.conditions);

  menuBar()->addMenu(tr("&Help"))->addAction(c.about);
}

void CMainFrame::CreateToolBar() {
  const FrameCommands& c = commands;
  toolBar = addToolBar(tr("Toolbar"));
  toolBar->setObjectName(QStringLiteral("toolBar"));
  toolBar->setIconSize(QSize(16, 16));
  toolBar->setMovable(true);
  toolBar->setFloatable(true);
  toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  toolBar->addActions({c.newDocument, c.open, c.save});
  toolBar->addSeparator();
  toolBar->addActions({c.soundMixer, c.recordSound, c.editSound, c.smoothing});
  toolBar->addSeparator();
  toolBar->addAction(c.calculate);
  toolBar->addSeparator();
  toolBar->addActions({c.tables, c.graph});
  toolBar->addSeparator();
  toolBar->addAction(c.about);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("statusBar"));
  const auto indicator = [bar](const QString& text, const char* name) {
    auto* label = new QLabel(text, bar);
    label->setObjectName(QString::fromLatin1(name));
    label->setEnabled(false);  // greyed until a lit LED says otherwise
    bar->addPermanentWidget(label);
    return label;
  };
  // Each indicator shows only where the windowing system reports its lock.
  capsIndicator = indicator(tr("CAP"), "capsIndicator");
  numIndicator = indicator(tr("NUM"), "numIndicator");
  scrollIndicator = indicator(tr("SCRL"), "scrollIndicator");
  // The message pane falls back to "Ready" whenever a prompt is cleared.
  connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
    if (message.isEmpty()) bar->showMessage(tr("Ready"));
  });
  bar->showMessage(tr("Ready"));

  UpdateLockIndicators();
  auto* poll = new QTimer(this);
  connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
  poll->start(kLockPollMilliseconds);
}

void CMainFrame::UpdateLockIndicators() {
  const LockStates states = ReadLockStates();
  const std::pair<QLabel*, std::optional<bool>> indicators[] = {
      {capsIndicator, states.caps}, {numIndicator, states.num}, {scrollIndicator, states.scroll}};
  for (const auto& [label, state] : indicators) {
    label->setVisible(state.has_value());
    label->setEnabled(state.value_or(false));
  }
}

void CMainFrame::ShowRecentFiles(const std::vector<std::string>& paths) {
  for (QAction* entry : recentEntries) {
    fileMenu->removeAction(entry);
    entry->deleteLater();
  }
  recentEntries.clear();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(paths[i])), this);
    entry->setStatusTip(tr("Open this document"));
    const int index = static_cast<int>(i);
    connect(entry, &QAction::triggered, this, [this, index] { emit recentFileChosen(index); });
    recentEntries.push_back(entry);
  }
  if (recentEntries.empty()) {
    auto* placeholder = new QAction(tr("Recent File"), this);
    placeholder->setEnabled(false);
    recentEntries.push_back(placeholder);
  }
  for (QAction* entry : recentEntries) fileMenu->insertAction(recentSeparator, entry);
}

void CMainFrame::SetForm(QWidget* form) {
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("formScrollArea"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(form);
  setCentralWidget(scroll);
}

void CMainFrame::AddResultsDock(QDockWidget* dock, const std::function<void(QMenu*)>& addChoices) {
  addDockWidget(Qt::RightDockWidgetArea, dock);
  dock->hide();
  // The dock's first showing widens the window (after the events already queued): keep it on the
  // screen once it has grown.
  connect(dock, &QDockWidget::visibilityChanged, this, [this, dock](bool visible) {
    if (!visible || resultsShown || dock->isFloating()) return;
    resultsShown = true;
    QTimer::singleShot(0, this, &CMainFrame::KeepOnScreen);
  });
  viewMenu->addAction(dock->toggleViewAction());
  viewMenu->addSeparator();
  addChoices(viewMenu);
}

void CMainFrame::RestoreGeometry(const std::string& saved) {
  create();  // the platform window knows the screen, and where it can, the frame it will get
  windowHandle()->installEventFilter(this);
  if (!saved.empty() && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(saved)))) {
    // Saved on another screen, or at another scale factor, it may no longer fit.
    KeepOnScreen();
    return;
  }
  // The form's own size plus the bars around it, within the screen's free area.
  const QWidget* form = centralWidget();
  QSize scrollFrame;
  if (auto* scroll = qobject_cast<const QScrollArea*>(form)) {
    form = scroll->widget();
    scrollFrame = QSize(2 * scroll->frameWidth(), 2 * scroll->frameWidth());
  }
  QSize wanted = sizeHint();
  if (form)
    wanted = wanted.expandedTo(form->sizeHint() + scrollFrame +
                               QSize(0, sizeHint().height() - centralWidget()->sizeHint().height()));
  if (const QScreen* display = screen()) {
    const QRect free = display->availableGeometry();
    const QMargins frame = Decoration();
    const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
    wanted = wanted.boundedTo(free.size() - decoration).expandedTo(minimumSizeHint());
    const QSize outer = wanted + decoration;
    const QPoint corner = free.topLeft() + QPoint(std::max(0, (free.width() - outer.width()) / 2),
                                                  std::max(0, (free.height() - outer.height()) / 2));
    setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), wanted));
    return;
  }
  resize(wanted);
}

void CMainFrame::KeepOnScreen() {
  const QScreen* display = screen();
  if (!display || isMaximized() || isFullScreen()) return;
  const QRect free = display->availableGeometry();
  const QMargins frame = Decoration();
  const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
  // Not below the minimum size, which fits the free area.
  const QSize fitted = size().boundedTo(free.size() - decoration).expandedTo(minimumSizeHint());
  const QSize outer = fitted + decoration;
  // Where the window cannot fit whole, its top left corner (title bar and menus) stays visible.
  const auto place = [](int at, int low, int room, int extent) {
    return std::max(low, std::min(at, low + room - extent));
  };
  const QPoint inset(frame.left(), frame.top());
  const QPoint corner = geometry().topLeft() - inset;
  const QPoint wanted(place(corner.x(), free.left(), free.width(), outer.width()),
                      place(corner.y(), free.top(), free.height(), outer.height()));
  // Placed by the inside of the frame: the frame Qt knows may lag behind the window manager's.
  if (wanted != corner || fitted != size()) setGeometry(QRect(wanted + inset, fitted));
}

QMargins CMainFrame::Decoration() const {
  const QWindow* handle = windowHandle();
  QMargins frame = handle ? handle->frameMargins() : QMargins();
  if (frame.isNull() && !(handle && handle->isExposed())) {
    // Not on the screen yet (X11 tells the frame only once the window manager has framed and
    // mapped it): allow for a title bar and borders as the style draws them.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    frame = QMargins(border, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + border, border, border);
  }
  return frame;
}

std::string CMainFrame::SavedGeometry() const {
  return saveGeometry().toBase64().toStdString();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  // The first exposure comes once the window manager (where there is one) has framed and placed
  // the window: the frame is known now, and an estimate made before may have been too small.
  if (watched == windowHandle() && event->type() == QEvent::Expose && !placed && windowHandle()->isExposed()) {
    placed = true;
    // Both run after the exposure has been painted.
    QTimer::singleShot(0, this, &CMainFrame::KeepOnScreen);
    QTimer::singleShot(0, this, &CMainFrame::firstShown);
  }
  return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Some window managers tell the frame's size only after the exposure; by the first activation
  // they have.
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !activated) {
    activated = true;
    QTimer::singleShot(0, this, &CMainFrame::KeepOnScreen);
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (closeGuard && !closeGuard()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFilesOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFilesOf(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  emit filesDropped(paths);
}

}  // namespace ruvo
