# Fuzz targets: one libFuzzer program per "*_fuzz.cpp" source, built into
# build/fuzz/ when VEQ_FUZZ is on (scripts/fuzz runs them). The seed corpus of
# "<name>_fuzz.cpp" is the folder corpus/<name> beside it; fuzz/targets.txt in
# the build folder lists each program with its corpus.
if(VEQ_FUZZ)
  add_custom_target(veq_fuzz)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz/targets.txt "")
endif()

# veq_add_fuzz_targets(DIR <folder> LIBS <libs...> [INCLUDES <folders...>])
function(veq_add_fuzz_targets)
  if(NOT VEQ_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "DIR" "LIBS;INCLUDES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${F_DIR}/*_fuzz.cpp)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" corpus ${name})
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_include_directories(${name} PRIVATE ${F_INCLUDES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    add_dependencies(veq_fuzz ${name})
    file(APPEND ${CMAKE_BINARY_DIR}/fuzz/targets.txt "${name} ${F_DIR}/corpus/${corpus}\n")
  endforeach()
endfunction()
