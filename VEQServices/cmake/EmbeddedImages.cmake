# Compiles the pictures of images/ into libVEQServices as constant byte arrays.
#
# Included by VEQServices/CMakeLists.txt, this file adds a build step that runs
# the same file as a script (cmake -P) to write EmbeddedImages.cpp: one array
# per image, named by its key (file name lower-cased, last "." turned into "_"),
# and the table g_embeddedFiles that ResourceService reads (EmbeddedImages.h).

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: -DOUTPUT=<file.cpp> -DIMAGE_DIR=<folder> -DIMAGES=<a.png,b.gif,...>
  string(REPLACE "," ";" images "${IMAGES}")
  string(REPEAT "0x..," 16 sixteen_bytes)  # one line of the array
  set(arrays "")
  set(rows "")
  foreach(name IN LISTS images)
    file(READ "${IMAGE_DIR}/${name}" hex HEX)
    string(REGEX REPLACE "\\.([^.]*)$" "_\\1" key "${name}")
    string(TOLOWER "${key}" key)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "const unsigned char ${key}[] = {\n    ${bytes}\n};\n\n")
    string(APPEND rows "    {\"${key}\", ${key}, sizeof(${key})},\n")
  endforeach()
  file(WRITE "${OUTPUT}.tmp"
    "// Written by VEQServices/cmake/EmbeddedImages.cmake from VEQServices/images/.\n"
    "#include \"EmbeddedImages.h\"\n\n"
    "namespace {\n\n${arrays}}  // namespace\n\n"
    "const EmbeddedFile g_embeddedFiles[] = {\n${rows}};\n\n"
    "const std::size_t g_embeddedFileCount = sizeof(g_embeddedFiles) / sizeof(g_embeddedFiles[0]);\n")
  file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
  return()
endif()

set(VEQ_EMBEDDED_IMAGES
  zelto_scan_app.png discovery_search.png help.png i_add.png
  i_chevron_down_16.png i_chevron_down_16_over.png
  i_chevron_right_16.png i_chevron_right_16_over.png
  i_remove.png icon_search.png loader_16x16.gif
  saveas.png saveas_disabled.png saveas_over.png
  delete.png delete_disabled.png delete_over.png
  refresh.png refresh_disabled.png refresh_over.png
  veq_add_zelto_over.png veq_add_zelto.png
  veq_remove_zelto_disabled.png veq_remove_zelto_over.png veq_remove_zelto.png
  nosupport_warning_big.png)

set(veq_image_dir ${CMAKE_CURRENT_LIST_DIR}/../images)
set(veq_embedded_cpp ${CMAKE_CURRENT_BINARY_DIR}/EmbeddedImages.cpp)
list(TRANSFORM VEQ_EMBEDDED_IMAGES PREPEND ${veq_image_dir}/ OUTPUT_VARIABLE veq_image_files)
string(REPLACE ";" "," veq_image_arg "${VEQ_EMBEDDED_IMAGES}")
add_custom_command(
  OUTPUT ${veq_embedded_cpp}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${veq_embedded_cpp} -DIMAGE_DIR=${veq_image_dir}
          -DIMAGES=${veq_image_arg} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${veq_image_files} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the images into libVEQServices"
  VERBATIM)
target_sources(VEQServices PRIVATE ${veq_embedded_cpp})
