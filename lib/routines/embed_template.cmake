# Writes OUT, a source that defines the const char array NAME holding the bytes of IN (or no
# bytes when IN is absent), so that the programs carry the routine templates in themselves.
if(EXISTS "${IN}")
  file(READ "${IN}" hex HEX)
else()
  set(hex "")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
string(LENGTH "${hex}" n)
math(EXPR n "${n} / 2")
file(WRITE "${OUT}.tmp" "// Generated from ${IN}; do not edit.\n#include <cstddef>\nextern const char ${NAME}[];\nextern const std::size_t ${NAME}_size;\nconst char ${NAME}[] = {\n${bytes}0};\nconst std::size_t ${NAME}_size = ${n};\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
