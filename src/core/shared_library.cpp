#include "core/shared_library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace ruvo {

LibraryLoader::LibraryLoader(const char* folderVariable) : folder(std::getenv(folderVariable)) {}

void LibraryLoader::Open(const char* shortName, const char* soname) {
  libraryName = shortName;
  const std::string file = folder ? std::string(folder) + "/" + soname : soname;
  // Never closed: the taken functions live in it.
  library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library && missing.empty()) missing = shortName;
}

void* LibraryLoader::Find(const char* name) {
  void* symbol = library ? dlsym(library, name) : nullptr;
  if (!symbol && missing.empty()) missing = libraryName;
  return symbol;
}

}  // namespace ruvo
