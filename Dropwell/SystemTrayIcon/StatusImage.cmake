# Compiles the status image (images/dropwell_status.png, drawn by
# images/draw.py) into the tray agent as a constant byte array.
#
# Included by CMakeLists.txt, it adds a build step that runs this same file as
# a script (cmake -P) to write StatusImageData.cpp, which defines
# g_statusImage and g_statusImageSize (StatusImage.h).

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: -DINPUT=<file.png> -DOUTPUT=<file.cpp>
  file(READ "${INPUT}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REPEAT "0x..," 16 sixteen_bytes)
  string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
  file(WRITE "${OUTPUT}.tmp"
    "// Written by Dropwell/SystemTrayIcon/StatusImage.cmake from images/dropwell_status.png.\n"
    "#include \"StatusImage.h\"\n\n"
    "const unsigned char g_statusImage[] = {\n    ${bytes}\n};\n\n"
    "const std::size_t g_statusImageSize = sizeof(g_statusImage);\n")
  file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
  return()
endif()

set(veq_status_image ${CMAKE_CURRENT_LIST_DIR}/images/dropwell_status.png)
set(veq_status_image_cpp ${CMAKE_CURRENT_BINARY_DIR}/StatusImageData.cpp)
add_custom_command(
  OUTPUT ${veq_status_image_cpp}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${veq_status_image} -DOUTPUT=${veq_status_image_cpp}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${veq_status_image} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the tray agent's status image"
  VERBATIM)
