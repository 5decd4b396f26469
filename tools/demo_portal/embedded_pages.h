// The page files of the demo portal (html, css, js), compiled into the binary
// by embed_pages.cmake.
#pragma once

#include <cstddef>

namespace portal {

struct EmbeddedPage {
  const char* name;  // file name inside tools/demo_portal/pages
  const unsigned char* bytes;
  std::size_t size;
};

extern const EmbeddedPage kEmbeddedPages[];
extern const std::size_t kEmbeddedPageCount;

}  // namespace portal
