# Writes a C++ source holding files as byte arrays and a table of their names (file names without
# their folder), for a program that must carry them inside itself.
# cmake -DOUTPUT=<file.cpp> -DFILES=<a;b;...> -P EmbedFiles.cmake
set(source "// Written by cmake/EmbedFiles.cmake; do not edit.\n#include \"browser/BundledTemplates.h\"\n\nnamespace morvane::browser {\n\nnamespace {\n\n")
set(table "")
set(index 0)
list(SORT FILES)
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  file(READ "${file}" bytes HEX)
  string(LENGTH "${bytes}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  # An empty file still needs an array of one byte; its size stays 0.
  if(size EQUAL 0)
    set(bytes "0")
  endif()
  string(APPEND source "const std::uint8_t kFile${index}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", kFile${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
string(APPEND source "\n}  // namespace\n\nconst BundledFile kBundledTemplates[] = {\n${table}};\nconst std::size_t kBundledTemplateCount = ${index};\n\n}  // namespace morvane::browser\n")
file(WRITE "${OUTPUT}.tmp" "${source}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
