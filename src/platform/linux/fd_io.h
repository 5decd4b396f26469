// Writing to a POSIX file descriptor until every byte is out.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace qm {

// Writes all of data, retrying short and interrupted writes. False on error,
// with errno telling why.
inline bool WriteAllToDescriptor(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace qm
