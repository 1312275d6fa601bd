#include "core/file_mapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>

namespace ruvo {

FileMapping::FileMapping(const std::string& path, std::uint64_t offset, std::size_t length) {
  if (length == 0 || offset > std::numeric_limits<std::size_t>::max() - length) return;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat status {};
  const std::size_t end = static_cast<std::size_t>(offset) + length;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && static_cast<std::uint64_t>(status.st_size) >= end) {
    // From the start of the file, since a mapping starts at a page boundary; populated at once, so
    // reading it takes no page fault per page.
    void* start = mmap(nullptr, end, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (start != MAP_FAILED) {
      base = start;
      mapped = end;
      bytes = std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(start) + offset, length);
    }
  }
  close(fd);
}

FileMapping::~FileMapping() {
  if (base != nullptr) munmap(base, mapped);
}

}  // namespace ruvo
