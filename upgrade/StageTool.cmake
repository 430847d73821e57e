# veq_stage_tool(<program> LIBRARIES <targets...>): copies a maintenance program
# and the shared libraries it needs into the staged application bundle, where the
# installer finds it: build/root/Applications/Zelto/Veqora.app/Contents/MacOS/,
# the libraries in Contents/lib/ (the program's RUNPATH $ORIGIN/../lib). Files are
# copied when they changed, at every build.
function(veq_stage_tool program)
  cmake_parse_arguments(S "" "" "LIBRARIES" ${ARGN})
  set(contents ${VEQ_STAGE_ROOT}/Applications/Zelto/Veqora.app/Contents)
  set(library_files "")
  foreach(library ${S_LIBRARIES})
    get_target_property(type ${library} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
      list(APPEND library_files $<TARGET_FILE:${library}>)
    endif()
  endforeach()
  add_custom_target(${program}Stage ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${contents}/MacOS ${contents}/lib
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${program}> ${contents}/MacOS/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${library_files} ${contents}/lib/
    DEPENDS ${program} ${S_LIBRARIES}
    COMMENT "Staging ${program} under ${VEQ_STAGE_ROOT}"
    VERBATIM)
  # The bundle copies some of the same libraries: never at the same time.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL veq_stage_tool_after_bundle [[${program}Stage]])")
endfunction()

function(veq_stage_tool_after_bundle stage)
  if(TARGET VeqoraBundle)
    add_dependencies(${stage} VeqoraBundle)
  endif()
endfunction()
