#include "ui/document_commands.h"

#include <QDir>
#include <QFileInfo>

#include "desktop/recent_file_list.h"
#include "ui/main_frame.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/user_prompts.h"

namespace ruvo {
namespace {

const QString kDocumentFilters = QStringLiteral("Ruvo Files (*.dat) (*.dat);;All Files (*.*) (*)");

}  // namespace

DocumentCommands::DocumentCommands(CMainFrame& mainFrame, CRuvoView& form, CRuvoDoc& doc, RecentFileList& recentFiles)
    : frame(mainFrame), view(form), document(doc), recent(recentFiles) {}

bool DocumentCommands::OpenDocumentFile(const std::string& path) {
  if (!document.OpenRunDocument(path)) return false;
  Remember(document.FileName());
  DocumentShown();
  return true;
}

void DocumentCommands::NewDocument() {
  document.NewDocument();
  DocumentShown();
}

void DocumentCommands::Open() {
  const FileChoice choice = Prompts().OpenFiles(&frame, QStringLiteral("Open"), QDir::currentPath(), kDocumentFilters, false);
  if (choice.accepted && !choice.files.isEmpty()) OpenDocumentFile(choice.files.front().toStdString());
}

void DocumentCommands::Save() {
  if (document.FileName().empty()) {
    SaveAs();
    return;
  }
  if (document.SaveRunDocument(document.FileName())) Remember(document.FileName());
}

void DocumentCommands::SaveAs() {
  const std::string current = document.FileName().empty() ? document.DocumentPath() : document.FileName();
  const FileChoice choice = Prompts().SaveFile(&frame, QStringLiteral("Save As"),
                                               QFileInfo(QString::fromStdString(current)).absoluteFilePath(), kDocumentFilters);
  if (!choice.accepted || choice.files.isEmpty()) return;
  QString path = choice.files.front();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".dat");
  if (!document.SaveRunDocument(path.toStdString())) return;
  Remember(document.FileName());
  ShowTitle();
}

void DocumentCommands::OpenRecent(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= recent.Paths().size()) return;
  const std::size_t entry = static_cast<std::size_t>(index);
  if (OpenDocumentFile(recent.Paths()[entry])) return;
  recent.Remove(entry);
  frame.ShowRecentFiles(recent.Paths());
}

void DocumentCommands::ShowTitle() {
  frame.setWindowTitle(QString::fromStdString(document.Title()) + QStringLiteral(" - Ruvo"));
}

void DocumentCommands::DocumentShown() {
  ShowTitle();
  view.OnInitialUpdate();
  frame.ShrinkToFit();
}

void DocumentCommands::Remember(const std::string& path) {
  recent.Add(path);
  frame.ShowRecentFiles(recent.Paths());
}

}  // namespace ruvo
