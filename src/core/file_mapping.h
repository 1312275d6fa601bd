#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ruvo {

// Bytes of a regular file mapped read-only into memory: reading them needs no copy out of the
// system's file cache. The mapping is private and lives as long as the object; changes another
// program makes to the file meanwhile may or may not show. Single owner, not copyable.
class FileMapping {
 public:
  // Maps bytes [offset, offset + length) of the file at path. ok() is false (and nothing is
  // mapped) when the file cannot be opened, is not a regular file, is shorter, length is 0 or
  // the system refuses the mapping; callers then read the file instead. Shows no message.
  FileMapping(const std::string& path, std::uint64_t offset, std::size_t length);
  ~FileMapping();
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  bool ok() const { return base != nullptr; }
  // The mapped bytes; empty unless ok().
  std::span<const std::uint8_t> Bytes() const { return bytes; }

 private:
  void* base = nullptr;    // start of the mapping, at a page boundary
  std::size_t mapped = 0;  // bytes mapped from the start of the file
  std::span<const std::uint8_t> bytes;
};

}  // namespace ruvo
