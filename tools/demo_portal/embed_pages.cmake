# Writes a C++ source that holds the demo portal's page files as byte arrays,
# so the server carries its pages inside the binary and runs from anywhere.
#   cmake -DOUTPUT=<file.cpp> -DPAGES_DIR=<dir> -DPAGES="a.html;b.css" -P embed_pages.cmake
set(body "// Generated from the files in tools/demo_portal/pages; do not edit.\n")
string(APPEND body "#include \"embedded_pages.h\"\n\nnamespace portal {\nnamespace {\n")
set(table "")
set(index 0)
foreach(name IN LISTS PAGES)
  file(READ "${PAGES_DIR}/${name}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # A closing zero keeps empty files legal; it is not counted in the size.
  string(APPEND body "const unsigned char kPage${index}[] = {${bytes}0x00};\n")
  string(APPEND table "    {\"${name}\", kPage${index}, sizeof kPage${index} - 1},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND body "}  // namespace\n\nconst EmbeddedPage kEmbeddedPages[] = {\n${table}};\n")
string(APPEND body "const std::size_t kEmbeddedPageCount = ${index};\n\n}  // namespace portal\n")
# Rewritten only when the text changes, so an unchanged page causes no rebuild.
file(WRITE "${OUTPUT}.tmp" "${body}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
