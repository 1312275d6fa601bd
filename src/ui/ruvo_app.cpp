#include "ui/ruvo_app.h"

#include <QAction>
#include <QApplication>
#include <utility>

#include "ui/about_dlg.h"
#include "ui/app_icons.h"
#include "ui/document_commands.h"
#include "ui/main_frame.h"
#include "ui/results_dock.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/shell_registration.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

// Where the window's size and place are kept between runs.
constexpr const char* kWindowSection = "Window";
constexpr const char* kGeometryKey = "Geometry";

}  // namespace

CRuvoApp::CRuvoApp(SettingsStore& store, QString dataFolder, QString program)
    : settings(store),
      dataHome(std::move(dataFolder)),
      executable(std::move(program)),
      document(std::make_unique<CRuvoDoc>()),
      frame(std::make_unique<CMainFrame>()),
      view(new CRuvoView(settings, *document, frame.get())),
      commands(std::make_unique<DocumentCommands>(*frame, *view, *document, recent)),
      results(new ResultsDock(settings, frame.get())) {
  // Every window without an icon of its own (dialogs, message boxes, file dialogs) shows this one.
  QApplication::setWindowIcon(ApplicationIcon());
  frame->SetForm(view);
  frame->AddResultsDock(results, [this](QMenu* menu) { results->Options().AddTo(menu); });
  view->SetSaveHooks([this] { return commands->EnsureNamed(); }, [this] { commands->CalculationSaved(); });
  frame->SetCloseGuard([this] { return commands->MayDiscardChanges(); });
  ConnectCommands();
}

CRuvoApp::~CRuvoApp() = default;

bool CRuvoApp::InitInstance(const QStringList& arguments) {
  recent.Load(settings);
  frame->ShowRecentFiles(recent.Paths());
  QObject::connect(frame.get(), &CMainFrame::firstShown, frame.get(), [this] {
    RegisterDocumentType(dataHome, executable);
    registered = true;
  });

  commands->ShowNewDocument();
  // A document named on the command line (or opened from the file manager) wins.
  if (!arguments.isEmpty() && !commands->OpenDocumentFile(arguments.front().toStdString())) return false;

  frame->RestoreGeometry(settings.Read(kWindowSection, kGeometryKey));
  frame->show();

  if (arguments.isEmpty() &&
      !ReopenLastDocument(settings, [this](const std::string& path) { return commands->OpenDocumentFile(path); }) &&
      !LastDocumentPath(settings).empty()) {
    // Reported once: the entry leaves the list, which is stored at once.
    recent.Remove(0);
    recent.Save(settings);
    frame->ShowRecentFiles(recent.Paths());
  }
  document->SetConfiguration(LoadConfiguration(settings));
  return true;
}

void CRuvoApp::ExitInstance() {
  recent.Save(settings);
  settings.Write(kWindowSection, kGeometryKey, frame->SavedGeometry());
}

void CRuvoApp::ConnectCommands() {
  const FrameCommands& c = frame->Commands();
  DocumentCommands* files = commands.get();
  QObject::connect(c.newDocument, &QAction::triggered, files, &DocumentCommands::NewDocument);
  QObject::connect(c.open, &QAction::triggered, files, &DocumentCommands::Open);
  QObject::connect(c.save, &QAction::triggered, files, &DocumentCommands::Save);
  QObject::connect(c.saveAs, &QAction::triggered, files, &DocumentCommands::SaveAs);
  QObject::connect(frame.get(), &CMainFrame::recentFileChosen, files, &DocumentCommands::OpenRecent);
  QObject::connect(frame.get(), &CMainFrame::filesDropped, files, &DocumentCommands::OpenDropped);

  QObject::connect(view, &CRuvoView::calculated, results, [this] {
    results->ShowCalculation(document->Calculation(), document->Params(), document->DocumentPath());
  });
  QObject::connect(files, &DocumentCommands::documentShown, results,
                   [this](const QString& path) { results->ShowDocument(path.toStdString()); });
  QObject::connect(c.calculate, &QAction::triggered, view, &CRuvoView::OnCalculate);
  QObject::connect(c.smoothing, &QAction::triggered, view, &CRuvoView::OnSmoothing);
  QObject::connect(c.conditions, &QAction::triggered, view, &CRuvoView::OnConditions);
  QObject::connect(c.toolSetup, &QAction::triggered, view, &CRuvoView::OnToolSetup);
  QObject::connect(c.tables, &QAction::triggered, view, &CRuvoView::OnTables);
  QObject::connect(c.graph, &QAction::triggered, view, &CRuvoView::OnGraph);
  QObject::connect(c.editSound, &QAction::triggered, view, &CRuvoView::OnEditSound);
  QObject::connect(c.recordSound, &QAction::triggered, view, &CRuvoView::OnRecordSound);
  QObject::connect(c.soundMixer, &QAction::triggered, view, &CRuvoView::OnSoundMixer);
  QObject::connect(c.about, &QAction::triggered, frame.get(), [this] { OnAppAbout(); });
}

void CRuvoApp::OnAppAbout() {
  CAboutDlg about(frame.get());
  Prompts().RunModal(about);
}

}  // namespace ruvo
