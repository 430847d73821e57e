# Test programs that need a display (bitmaps, windows): every *_test.cpp in
# tests/gui runs on its own virtual X display.
veq_add_tests(DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/gui GUI LIBS VEQServices)
