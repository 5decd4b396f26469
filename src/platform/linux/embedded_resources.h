// The tables that tools/resgen.py generates for the Linux build.
#pragma once

namespace qm::embedded {

struct Resource {
  const char* type;  // nullptr ends the table
  unsigned id;
  const unsigned char* begin;
  const unsigned char* end;
};

struct StringRowText {
  unsigned row;      // 0 ends the table
  const char* utf8;
};

extern const Resource kResources[];
extern const StringRowText kStringRows[];
extern const char kVersionRecord[];

}  // namespace qm::embedded
