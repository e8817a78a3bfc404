# Writes a C++ source that holds the bytes of a text file and a function returning them.
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DFUNCTION=Name -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${name} at build time; edit that file instead.\n"
  "#include <string_view>\n\n"
  "namespace\n{\nconst char Bytes[] = {${bytes}'\\0'};\n}\n\n"
  "std::string_view ${FUNCTION}()\n{\n    return std::string_view(Bytes, sizeof Bytes - 1);\n}\n")
# Only a changed text touches the source, so an unchanged template rebuilds nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
