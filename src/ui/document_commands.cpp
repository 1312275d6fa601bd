#include "ui/document_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>
#include <vector>

#include "desktop/recent_file_list.h"
#include "ui/main_frame.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

QString DocumentFilters() {
  return QCoreApplication::translate("ruvo::DocumentCommands", "Ruvo Files (*.dat) (*.dat);;All Files (*.*) (*)");
}

bool IsRunDocument(const QString& path) {
  return QFileInfo(path).suffix().compare(QLatin1String("dat"), Qt::CaseInsensitive) == 0;
}

}  // namespace

DocumentCommands::DocumentCommands(CMainFrame& mainFrame, CRuvoView& form, CRuvoDoc& doc, RecentFileList& recentFiles)
    : frame(mainFrame), view(form), document(doc), recent(recentFiles) {
  // The title's "*" follows the question a close would ask.
  connect(&view, &CRuvoView::edited, this, [this] { frame.setWindowModified(IsModified()); });
}

bool DocumentCommands::OpenDocumentFile(const std::string& path) {
  if (!document.OpenRunDocument(path)) return false;
  view.ShowDocumentResults(document.SavedResults());
  Remember(document.FileName());
  DocumentShown();
  emit documentShown(QString::fromStdString(document.FileName()));
  return true;
}

void DocumentCommands::ShowNewDocument() {
  document.NewDocument();
  view.ShowDocumentResults(std::nullopt);
  DocumentShown();
  emit documentShown(QString());
}

void DocumentCommands::NewDocument() {
  if (MayDiscardChanges()) ShowNewDocument();
}

void DocumentCommands::Open() {
  if (!MayDiscardChanges()) return;
  const FileChoice choice = Prompts().OpenFiles(&frame, tr("Open"), QDir::currentPath(), DocumentFilters(), false);
  if (choice.accepted && !choice.files.isEmpty()) OpenDocumentFile(choice.files.front().toStdString());
}

bool DocumentCommands::Save() {
  if (document.FileName().empty()) return SaveAs();
  if (!view.TakeEntries() || !document.SaveRunDocument(document.FileName())) return false;
  Remember(document.FileName());
  MarkSaved();
  return true;
}

bool DocumentCommands::SaveAs() {
  if (!view.TakeEntries()) return false;
  const std::string current = document.FileName().empty() ? ProposedPath() : document.FileName();
  const FileChoice choice = Prompts().SaveFile(
      &frame, tr("Save As"), QFileInfo(QString::fromStdString(current)).absoluteFilePath(), DocumentFilters());
  if (!choice.accepted || choice.files.isEmpty()) return false;
  QString path = QFileInfo(choice.files.front()).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dat");

  // Saved into another folder, the document moves there with its wave names rewritten to point
  // at the same files; the list shows them so.
  if (!document.SaveRunDocument(path.toStdString())) return false;
  view.ShowWaveList();
  Remember(document.FileName());
  ShowTitle();
  MarkSaved();
  return true;
}

void DocumentCommands::OpenRecent(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= recent.Paths().size()) return;
  const std::string path = recent.Paths()[static_cast<std::size_t>(index)];
  if (!MayDiscardChanges() || OpenDocumentFile(path)) return;
  recent.Remove(static_cast<std::size_t>(index));
  frame.ShowRecentFiles(recent.Paths());
}

void DocumentCommands::OpenDropped(const QStringList& paths) {
  std::vector<std::string> waves;
  QString runDocument;
  for (const QString& path : paths) {
    if (!IsRunDocument(path))
      waves.push_back(QFileInfo(path).absoluteFilePath().toStdString());
    else if (runDocument.isEmpty())
      runDocument = path;  // a further .dat is no recording either
  }
  if (!runDocument.isEmpty() && !OpenAfterAsking(runDocument.toStdString())) return;
  view.AddWaveFiles(waves);
}

bool DocumentCommands::IsModified() const {
  return view.FormSnapshot() != savedSnapshot;
}

bool DocumentCommands::MayDiscardChanges() {
  if (!IsModified()) return true;
  switch (Prompts().AskSaveChanges(&frame, QString::fromStdString(document.Title()))) {
    case SaveAnswer::Save:
      return Save();
    case SaveAnswer::Discard:
      return true;
    case SaveAnswer::Cancel:
      break;
  }
  return false;
}

bool DocumentCommands::EnsureNamed() {
  return !document.FileName().empty() || SaveAs();
}

void DocumentCommands::CalculationSaved() {
  Remember(document.FileName());
  MarkSaved();
}

bool DocumentCommands::OpenAfterAsking(const std::string& path) {
  return MayDiscardChanges() && OpenDocumentFile(path);
}

void DocumentCommands::ShowTitle() {
  frame.setWindowTitle(tr("%1[*] - Ruvo").arg(QString::fromStdString(document.Title())));
}

void DocumentCommands::DocumentShown() {
  ShowTitle();
  view.OnInitialUpdate();
  MarkSaved();
}

void DocumentCommands::MarkSaved() {
  savedSnapshot = view.FormSnapshot();
  frame.setWindowModified(false);
}

void DocumentCommands::Remember(const std::string& path) {
  recent.Add(path);
  frame.ShowRecentFiles(recent.Paths());
}

std::string DocumentCommands::ProposedPath() const {
  std::error_code error;
  const std::vector<std::string>& waves = document.Params().waveFiles;
  fs::path folder;
  if (!waves.empty())  // beside the recordings, where their conversions went
    folder = fs::absolute(waves.front(), error).parent_path();
  else
    folder = recent.Paths().empty() ? fs::current_path(error) : fs::path(recent.Paths().front()).parent_path();
  return (folder / "ruvo.dat").string();
}

}  // namespace ruvo
