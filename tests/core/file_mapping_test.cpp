#include "core/file_mapping.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/test_support.h"

namespace ruvo {
namespace {

// Offsets across page boundaries give the file's bytes; what cannot be mapped whole gives nothing.
TEST(FileMapping, MapsTheBytesAskedForOrNothing) {
  test::TempFolder folder;
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes += static_cast<char>('a' + i % 23);
  const std::string path = folder.File("data.bin");
  test::WriteFileBytes(path, bytes);
  for (const auto& [offset, length] : {std::pair{0u, 10000u}, {44u, 9956u}, {4095u, 2u}, {4096u, 5904u}, {9999u, 1u}}) {
    const FileMapping mapping(path, offset, length);
    ASSERT_TRUE(mapping.ok()) << offset << " " << length;
    EXPECT_EQ(std::string(mapping.Bytes().begin(), mapping.Bytes().end()), bytes.substr(offset, length));
  }
  // Past the end, nothing to map, no such file, a folder.
  const std::tuple<std::string, std::uint64_t, std::size_t> refused[] = {
      {path, 44, 9957}, {path, 0, 0}, {folder.File("missing.bin"), 0, 1}, {folder.Path().string(), 0, 1}};
  for (const auto& [file, offset, length] : refused) {
    const FileMapping mapping(file, offset, length);
    EXPECT_FALSE(mapping.ok()) << file << " " << offset << " " << length;
    EXPECT_TRUE(mapping.Bytes().empty());
  }
}

}  // namespace
}  // namespace ruvo
