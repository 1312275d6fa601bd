#pragma once

#include <optional>
#include <string>

namespace ruvo {

// Takes functions from shared libraries opened by exact soname when first needed, so that programs
// that never call them neither load them at start nor depend on them. The libraries stay open for
// the life of the process. The first library or function that cannot be had is remembered by the
// library's short name ("libsoxr") for the user's message.
class LibraryLoader {
 public:
  // folderVariable names an environment variable that, when set, names the folder to open every
  // library from instead of the system's library path (tests hide a library with an empty one).
  explicit LibraryLoader(const char* folderVariable);

  // Opens soname ("libsoxr.so.0"); the Take calls after it take from this library.
  void Open(const char* shortName, const char* soname);

  // function becomes the library's symbol called name, or nullptr.
  template <typename Function>
  void Take(Function*& function, const char* name) {
    function = reinterpret_cast<Function*>(Find(name));
  }

  bool Complete() const { return missing.empty(); }
  const std::string& Missing() const { return missing; }

 private:
  void* Find(const char* name);

  const char* folder;
  void* library = nullptr;
  const char* libraryName = "";
  std::string missing;
};

// An Api (a struct of function pointers) filled once per process by load(LibraryLoader&, Api&):
// Get gives it, or nullptr with the short name of the missing library in missing.
template <typename Api>
class LoadedApi {
 public:
  template <typename Load>
  LoadedApi(const char* folderVariable, Load load) {
    LibraryLoader loader(folderVariable);
    Api taken{};
    load(loader, taken);
    if (loader.Complete())
      api = taken;
    else
      missingLibrary = loader.Missing();
  }

  const Api* Get(std::string& missing) const {
    missing = missingLibrary;
    return api ? &*api : nullptr;
  }

 private:
  std::optional<Api> api;
  std::string missingLibrary;
};

}  // namespace ruvo
