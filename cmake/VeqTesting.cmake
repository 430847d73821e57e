# Tests: one GoogleTest executable per test source, every test case run by ctest in
# its own process inside a fresh sandbox (own VEQ_ROOT, HOME, XDG folders, TMPDIR,
# TZ and locale), so singletons, one-time caches and work done at exit are fresh.
include(GoogleTest)
enable_testing()

set(VEQ_TEST_SANDBOX ${CMAKE_SOURCE_DIR}/scripts/test-sandbox)

# veq_add_tests(DIR <folder> LIBS <libs...> [GUI] [TIMEOUT <seconds>])
# Adds every "*_test.cpp" in <folder> as its own test executable.
function(veq_add_tests)
  cmake_parse_arguments(T "GUI" "DIR;TIMEOUT" "LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${T_DIR}/*_test.cpp)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE ${T_LIBS} veq_testing GTest::gmock GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(launcher ${VEQ_TEST_SANDBOX})
    if(T_GUI)
      set(launcher ${VEQ_TEST_SANDBOX} --gui)
    endif()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "VEQ_BUILD_DIR=${CMAKE_BINARY_DIR}")
  endforeach()
endfunction()

# veq_add_bench(<name> SOURCES <files...> LIBS <libs...>): a benchmark program in
# build/bench/, run by scripts/bench (never by the tests).
function(veq_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} veq_testing)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
