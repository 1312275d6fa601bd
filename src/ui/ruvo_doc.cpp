#include "ui/ruvo_doc.h"

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/message.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

std::string WorkingFolder() {
  std::error_code error;
  const fs::path working = fs::current_path(error);
  return error ? std::string() : working.string();
}

}  // namespace

CRuvoDoc::CRuvoDoc() : document(std::make_unique<RunDocument>(params, WorkingFolder(), &calculation)) {}

bool CRuvoDoc::OpenRunDocument(const std::string& path) {
  if (!ShowMessages(document->OpenRunDocument(path))) return false;
  EnterFolder();
  fileName = document->DocumentPath();
  std::ifstream in(fileName, std::ios::binary);
  savedResults = SavedSummary(in);
  return true;
}

bool CRuvoDoc::SaveRunDocument(const std::string& path) {
  if (!ShowMessages(document->SaveRunDocument(path))) return false;
  EnterFolder();
  // Absolute once the document moved to another folder, else relative to its unchanged folder.
  fileName = (fs::path(document->Folder()) / document->DocumentPath()).lexically_normal().string();
  return true;
}

bool CRuvoDoc::SaveToCurrentPath() {
  return ShowMessages(document->SaveToCurrentPath());
}

void CRuvoDoc::NewDocument() {
  params = RunParameters();
  calculation.DiscardResults();
  document = std::make_unique<RunDocument>(params, WorkingFolder(), &calculation);
  fileName.clear();
  savedResults.reset();
}

std::string CRuvoDoc::Title() const {
  return fileName.empty() ? QCoreApplication::translate("ruvo::CRuvoDoc", "Untitled").toStdString()
                          : fs::path(fileName).filename().string();
}

void CRuvoDoc::EnterFolder() const {
  std::error_code error;
  fs::current_path(document->Folder(), error);
}

}  // namespace ruvo
