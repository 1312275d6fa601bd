#include "ui/ruvo_doc.h"

#include <filesystem>
#include <system_error>

namespace ruvo {

CRuvoDoc::CRuvoDoc(RunParameters& heldParams, ResultTableSource& calculation) : document(heldParams, &calculation) {}

bool CRuvoDoc::OpenRunDocument(const std::string& path) {
  if (!document.OpenRunDocument(path)) return false;
  fileName = document.DocumentPath();
  return true;
}

bool CRuvoDoc::SaveRunDocument(const std::string& path) {
  if (!document.SaveRunDocument(path)) return false;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  fileName = (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
  return true;
}

std::string CRuvoDoc::Title() const {
  return fileName.empty() ? std::string("Untitled") : std::filesystem::path(fileName).filename().string();
}

}  // namespace ruvo
