#include "core/file_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kBytes{'n', 'e', 'w'};

// Only the named files are in the folder: no temporary file stayed behind.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// A new file lands whole where nothing is; an existing file, a dangling link or a folder of that
// name is left as it was; an unwritable place fails with a reason. Nothing temporary remains.
TEST(FileOutput, WriteNewFileNeverReplacesAndLeavesNoTemporaryFile) {
  test::TempFolder folder;
  std::string error;
  ASSERT_EQ(WriteNewFile(folder.File("a.wav"), kBytes, error), NewFileStatus::kWritten);
  EXPECT_EQ(test::ReadFileBytes(folder.File("a.wav")), "new");

  test::WriteFileBytes(folder.File("b.wav"), "original 16-bit");
  fs::create_symlink(folder.File("nowhere"), folder.File("link.wav"));
  fs::create_directory(folder.File("dir.wav"));
  for (const char* name : {"b.wav", "link.wav", "dir.wav"})
    EXPECT_EQ(WriteNewFile(folder.File(name), kBytes, error), NewFileStatus::kExists) << name;
  EXPECT_EQ(test::ReadFileBytes(folder.File("b.wav")), "original 16-bit");
  EXPECT_FALSE(fs::exists(folder.File("nowhere")));

  error.clear();
  EXPECT_EQ(WriteNewFile(folder.File("missing/c.wav"), kBytes, error), NewFileStatus::kFailed);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::string>{"a.wav", "b.wav", "dir.wav", "link.wav"}));

  // Replacing on purpose works, through the same temporary file.
  ASSERT_TRUE(WriteFileAtomically(folder.File("b.wav"), kBytes, error)) << error;
  EXPECT_EQ(test::ReadFileBytes(folder.File("b.wav")), "new");
  EXPECT_EQ(FilesIn(folder.Path()).size(), 4u);
}

// Names go NAME.wav, NAME-8bit.wav, NAME-8bit-2.wav, ...; each write takes the first free one.
TEST(FileOutput, FreeNamesAreTakenInOrder) {
  test::TempFolder folder;
  const OutputNaming naming{folder.Path(), "Phone Rec 001", ".wav", "8bit"};
  test::WriteFileBytes(folder.File("Phone Rec 001.wav"), "16-bit original");
  EXPECT_EQ(naming.FirstFree(), folder.File("Phone Rec 001-8bit.wav"));
  std::string error;
  std::vector<std::string> written;
  for (int k = 0; k < 3; ++k) written.push_back(WriteUnderFreeName(naming, kBytes, error).value_or("failed"));
  EXPECT_EQ(written, (std::vector<std::string>{folder.File("Phone Rec 001-8bit.wav"),
                                               folder.File("Phone Rec 001-8bit-2.wav"),
                                               folder.File("Phone Rec 001-8bit-3.wav")}));
  EXPECT_EQ(test::ReadFileBytes(folder.File("Phone Rec 001.wav")), "16-bit original");
  EXPECT_FALSE(WriteUnderFreeName({folder.Path() / "missing", "x", ".wav", "8bit"}, kBytes, error));
}

}  // namespace
}  // namespace ruvo
