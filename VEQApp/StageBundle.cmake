# Stages the application bundle under build/root, so that VEQ_ROOT=build/root
# runs the product from the build tree:
#
#   Applications/Zelto/Veqora.app/Contents/
#     Info.plist
#     MacOS/Veqora, MacOS/VEQPluginApp, MacOS/Plugins/libVEQPlugin.so
#     lib/             the shared libraries (the programs' RUNPATH $ORIGIN/../lib,
#                      the plug-in's $ORIGIN/../../lib)
#     Locale/en_US/    translation catalogues, one folder per language
#     Resources/       the application icon
#
# Files are copied when they changed, at every build.
if(NOT TARGET Veqora OR NOT TARGET VEQPluginApp OR NOT TARGET VEQPlugin)
  return()
endif()
set(VEQ_BUNDLE_CONTENTS ${VEQ_STAGE_ROOT}/Applications/Zelto/Veqora.app/Contents)

set(veq_bundle_libraries VEQServices VEQDataSource VEQUI VEQAppPlugin)
get_target_property(veq_vellora_type vellora TYPE)
if(veq_vellora_type STREQUAL "SHARED_LIBRARY")
  list(APPEND veq_bundle_libraries vellora)
endif()
set(veq_library_files "")
foreach(library ${veq_bundle_libraries})
  list(APPEND veq_library_files $<TARGET_FILE:${library}>)
endforeach()

add_custom_target(VeqoraBundle ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory
          ${VEQ_BUNDLE_CONTENTS}/MacOS/Plugins ${VEQ_BUNDLE_CONTENTS}/lib
          ${VEQ_BUNDLE_CONTENTS}/Locale/en_US ${VEQ_BUNDLE_CONTENTS}/Resources
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          $<TARGET_FILE:Veqora> $<TARGET_FILE:VEQPluginApp> ${VEQ_BUNDLE_CONTENTS}/MacOS/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          $<TARGET_FILE:VEQPlugin> ${VEQ_BUNDLE_CONTENTS}/MacOS/Plugins/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${veq_library_files} ${VEQ_BUNDLE_CONTENTS}/lib/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_CURRENT_LIST_DIR}/bundle/Info.plist ${VEQ_BUNDLE_CONTENTS}/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/VEQServices/images/zelto_scan_app.png ${VEQ_BUNDLE_CONTENTS}/Resources/
  DEPENDS Veqora VEQPluginApp VEQPlugin ${veq_bundle_libraries}
  COMMENT "Staging Veqora.app under ${VEQ_STAGE_ROOT}"
  VERBATIM)
