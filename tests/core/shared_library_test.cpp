#include "core/shared_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace ruvo {
namespace {

// RUVO_TEST_UNSET_DIR is never set: the libraries come from the system's library path.
struct MathApi {
  double (*cosine)(double);
  double (*sine)(double);
};

TEST(LibraryLoader, TakesWorkingFunctionsFromAnOpenedLibrary) {
  LibraryLoader loader("RUVO_TEST_UNSET_DIR");
  double (*cosine)(double) = nullptr;
  loader.Open("libm", "libm.so.6");
  loader.Take(cosine, "cos");
  ASSERT_TRUE(loader.Complete());
  ASSERT_NE(cosine, nullptr);
  EXPECT_EQ(cosine(0.0), 1.0);
}

TEST(LibraryLoader, NamesTheFirstMissingLibraryOrFunction) {
  LibraryLoader absent("RUVO_TEST_UNSET_DIR");
  double (*cosine)(double) = +[](double x) { return x; };
  absent.Open("libruvo-absent", "libruvo-absent.so.0");
  absent.Take(cosine, "cos");
  absent.Open("libm", "libm.so.6");
  EXPECT_EQ(cosine, nullptr);
  EXPECT_FALSE(absent.Complete());
  EXPECT_EQ(absent.Missing(), "libruvo-absent");

  LibraryLoader noFunction("RUVO_TEST_UNSET_DIR");
  noFunction.Open("libm", "libm.so.6");
  noFunction.Take(cosine, "ruvo_no_such_function");
  EXPECT_EQ(noFunction.Missing(), "libm");
}

TEST(LibraryLoader, OpensFromTheFolderTheVariableNames) {
  test::TempFolder empty;
  ASSERT_EQ(setenv("RUVO_TEST_EMPTY_DIR", empty.Path().c_str(), 1), 0);
  const LoadedApi<MathApi> hidden("RUVO_TEST_EMPTY_DIR", [](LibraryLoader& loader, MathApi& api) {
    loader.Open("libm", "libm.so.6");
    loader.Take(api.cosine, "cos");
  });
  unsetenv("RUVO_TEST_EMPTY_DIR");
  std::string missing;
  EXPECT_EQ(hidden.Get(missing), nullptr);
  EXPECT_EQ(missing, "libm");

  const LoadedApi<MathApi> found("RUVO_TEST_UNSET_DIR", [](LibraryLoader& loader, MathApi& api) {
    loader.Open("libm", "libm.so.6");
    loader.Take(api.cosine, "cos");
    loader.Take(api.sine, "sin");
  });
  const MathApi* math = found.Get(missing);
  ASSERT_NE(math, nullptr);
  EXPECT_EQ(missing, "");
  EXPECT_EQ(math->sine(0.0), 0.0);
}

}  // namespace
}  // namespace ruvo
