# Tests: one GoogleTest executable per test source, every test case run by ctest in
# its own process inside a fresh sandbox (own VEQ_ROOT, HOME, XDG folders, TMPDIR,
# TZ and locale), so singletons, one-time caches and work done at exit are fresh.
include(GoogleTest)
enable_testing()

set(VEQ_TEST_SANDBOX ${CMAKE_SOURCE_DIR}/scripts/test-sandbox)

# veq_add_tests(DIR <folder> LIBS <libs...> [GUI] [TIMEOUT <seconds>] [COST <n>])
# Adds every "*_test.cpp" in <folder> as its own test executable. COST marks
# long-running tests: ctest starts them first even in a fresh tree (as in CI),
# which has no timings of earlier runs yet, so that they do not end a parallel
# run alone. Folders given a longer time-out hold such tests (end to end): they
# get a cost of 10 unless they name one.
function(veq_add_tests)
  cmake_parse_arguments(T "GUI" "DIR;TIMEOUT;COST" "LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(NOT T_COST)
    if(T_TIMEOUT GREATER 120)
      set(T_COST 10)
    else()
      set(T_COST 0)
    endif()
  endif()
  # The label of a test is its subsystem's folder ("VEQDataSource",
  # "platform/zelto-sim"): `ctest -L` picks the tests of some subsystems.
  file(RELATIVE_PATH label ${CMAKE_SOURCE_DIR} ${T_DIR})
  string(REGEX REPLACE "/tests(/.*)?$" "" label "${label}")
  # tests_<label> builds the test programs of that label ("tests_platform_zelto_sim").
  string(MAKE_C_IDENTIFIER "tests_${label}" labelTarget)
  if(NOT TARGET ${labelTarget})
    add_custom_target(${labelTarget})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${T_DIR}/*_test.cpp)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    add_dependencies(${labelTarget} ${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} veq_testing GTest::gmock GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set(launcher ${VEQ_TEST_SANDBOX})
    if(T_GUI)
      set(launcher ${VEQ_TEST_SANDBOX} --gui)
    endif()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${launcher}")
    # A case that calls GTEST_SKIP exits with success: gtest's "[  SKIPPED ]"
    # line makes ctest count it as skipped (scripts/ctest-run prints why).
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "VEQ_BUILD_DIR=${CMAKE_BINARY_DIR}" LABELS "${label}"
                 COST ${T_COST} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  endforeach()
endfunction()

# veq_add_bench(<name> SOURCES <files...> LIBS <libs...>): a benchmark program in
# build/bench/, run by scripts/bench (never by the tests). With VEQ_BENCHMARKS
# off (the sanitizer trees, which run only tests) it is left out of "all".
option(VEQ_BENCHMARKS "Build the benchmark programs with everything else" ON)
function(veq_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(VEQ_BENCHMARKS)
    add_executable(${name} ${B_SOURCES})
  else()
    add_executable(${name} EXCLUDE_FROM_ALL ${B_SOURCES})
  endif()
  target_link_libraries(${name} PRIVATE ${B_LIBS} veq_testing)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
