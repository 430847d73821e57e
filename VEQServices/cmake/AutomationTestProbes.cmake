# Two small libraries that stand in for libVEQProbe in the automation tests:
# one exports the factory "GetAutomationControl", the other does not. The
# tests copy one of them as "libVEQProbe.so" into a folder of their own.
foreach(variant WithFactory WithoutFactory)
  set(fake veq_fake_probe_${variant})
  add_library(${fake} MODULE ${CMAKE_CURRENT_LIST_DIR}/../tests/fakes/FakeProbe${variant}.cpp)
  target_include_directories(${fake} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/.. ${CMAKE_CURRENT_LIST_DIR}/../tests/fakes)
  target_link_libraries(${fake} PRIVATE veq::wx)
  set_target_properties(${fake} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/automation-fakes)
endforeach()

# automation_test is made by veq_add_tests after this file runs: wire it up
# once the folder's CMakeLists.txt has been read.
function(veq_wire_automation_test)
  if(NOT TARGET automation_test)
    return()
  endif()
  add_dependencies(automation_test veq_fake_probe_WithFactory veq_fake_probe_WithoutFactory)
  target_include_directories(automation_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests/fakes)
  target_compile_definitions(automation_test PRIVATE
    VEQ_FAKE_PROBE_WITH_FACTORY="$<TARGET_FILE:veq_fake_probe_WithFactory>"
    VEQ_FAKE_PROBE_WITHOUT_FACTORY="$<TARGET_FILE:veq_fake_probe_WithoutFactory>")
  target_link_libraries(automation_test PRIVATE ${CMAKE_DL_LIBS})
endfunction()
cmake_language(DEFER CALL veq_wire_automation_test)
