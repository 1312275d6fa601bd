#include "ui/ruvo_doc.h"

#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/message.h"

namespace ruvo {

CRuvoDoc::CRuvoDoc(RunParameters& heldParams, ResultTableSource& calculation)
    : params(heldParams), results(calculation), document(std::make_unique<RunDocument>(params, &results)) {}

bool CRuvoDoc::OpenRunDocument(const std::string& path) {
  if (!ShowMessages(document->OpenRunDocument(path))) return false;
  fileName = document->DocumentPath();
  std::ifstream in(fileName, std::ios::binary);
  savedResults = SavedSummary(in);
  return true;
}

bool CRuvoDoc::SaveRunDocument(const std::string& path) {
  if (!ShowMessages(document->SaveRunDocument(path))) return false;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  fileName = (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
  return true;
}

bool CRuvoDoc::SaveToCurrentPath() {
  return ShowMessages(document->SaveToCurrentPath());
}

void CRuvoDoc::NewDocument() {
  document = std::make_unique<RunDocument>(params, &results);
  fileName.clear();
  savedResults.reset();
}

std::string CRuvoDoc::Title() const {
  return fileName.empty() ? QCoreApplication::translate("ruvo::CRuvoDoc", "Untitled").toStdString()
                          : std::filesystem::path(fileName).filename().string();
}

}  // namespace ruvo
