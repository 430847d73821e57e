# Compiles the pictures of images/ into libDropwellUI as named byte arrays.
#
# Run as a script (cmake -P) by the build: -DOUTPUT=<file.cpp> -DIMAGE_DIR=<folder>
# -DIMAGES=<a.png,b.png>. Each picture becomes "const unsigned char <key>[]" and
# "const int <key>_length", the key being the file name with "." turned into
# "_" (splash_about.png: splash_about_png), as DropwellImages.h declares them.
string(REPLACE "," ";" images "${IMAGES}")
string(REPEAT "0x..," 16 sixteen_bytes)
set(body "// Written by Dropwell/UI/cmake/EmbedImages.cmake from Dropwell/UI/images/.\n#include \"DropwellImages.h\"\n\n")
foreach(name IN LISTS images)
  file(READ "${IMAGE_DIR}/${name}" hex HEX)
  string(REPLACE "." "_" key "${name}")
  string(LENGTH "${hex}" digits)
  math(EXPR length "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
  string(APPEND body "const unsigned char ${key}[] = {\n    ${bytes}\n};\nconst int ${key}_length = ${length};\n\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${body}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
