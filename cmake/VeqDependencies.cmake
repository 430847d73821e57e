# Every dependency comes from Debian's packages (scripts/setup installs them).
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED COMPONENTS log log_setup thread system filesystem date_time regex)
find_package(wxWidgets REQUIRED COMPONENTS core base adv xml net)
include(${wxWidgets_USE_FILE})
find_package(PkgConfig REQUIRED)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
find_package(OpenSSL REQUIRED)
find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)
find_package(GTest REQUIRED)

# wxWidgets as one imported target, so that libraries can link it like the others.
if(NOT TARGET veq::wx)
  add_library(veq_wx INTERFACE)
  target_link_libraries(veq_wx INTERFACE ${wxWidgets_LIBRARIES})
  target_include_directories(veq_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(veq_wx INTERFACE ${wxWidgets_DEFINITIONS})
  add_library(veq::wx ALIAS veq_wx)
endif()

# Boost.Log is used as a shared library.
add_compile_definitions(BOOST_LOG_DYN_LINK BOOST_ALL_DYN_LINK)
