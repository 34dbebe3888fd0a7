# GoogleTest, cross-built from the Debian source package, and the helper that declares one
# test executable per family.
set(ORV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${ORV_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${ORV_GOOGLETEST_SOURCE} (Debian package googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The test programs are linked statically, like the library.
target_link_options(gtest PUBLIC -static)

# GoogleTest's header, precompiled once and shared by every test executable: it costs more to
# compile than most test files themselves.
add_library(orv_test_pch OBJECT ${CMAKE_CURRENT_LIST_DIR}/orv-test-pch.cpp)
target_link_libraries(orv_test_pch PRIVATE orvutil gtest)
target_precompile_headers(orv_test_pch PRIVATE <gtest/gtest.h>)

# orv_add_test(NAME SOURCES...): a GoogleTest executable linked against orvutil.dll, run by CTest
# under Wine where this build's code can run.
function(orv_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE orvutil gtest_main)
  target_precompile_headers(${name} REUSE_FROM orv_test_pch)
  if(ORV_CAN_RUN)
    add_test(NAME ${name} COMMAND ${ORV_WINE_RUN} $<TARGET_FILE:${name}>)
  endif()
endfunction()
