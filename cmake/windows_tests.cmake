# Windows tests: every tests/windows/*_test.cpp is its own program, because the library's
# state is process-wide and each test file needs a fresh process. ctest runs them through
# the cross-compiling emulator (wine-run.sh), each in a working directory of its own, since
# the library reads Quorvale.Cfg from and writes its log file to the current directory.

set(QV_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built with the cross toolchain")
if(NOT EXISTS ${QV_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(WARNING "No GoogleTest sources in ${QV_GTEST_SOURCE_DIR} (package libgtest-dev): "
                  "Windows tests are not configured")
  return()
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)  # Windows threads, not winpthread
add_subdirectory(${QV_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Source paths as the Windows programs see them under Wine (drive Z: is the Unix root).
string(REPLACE "/" "\\\\" QV_SOURCE_DIR_WIN "Z:${CMAKE_SOURCE_DIR}")

set(QV_WIN_TEST_TIMEOUT 300 CACHE STRING "Seconds before ctest stops one Windows test program")

file(GLOB QV_WINDOWS_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*_test.cpp)
foreach(test_source ${QV_WINDOWS_TESTS})
  get_filename_component(test_name ${test_source} NAME_WE)
  add_executable(${test_name} ${test_source})
  target_include_directories(${test_name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/windows)
  target_link_libraries(${test_name} PRIVATE qv_kit GTest::gtest_main comctl32)
  target_compile_options(${test_name} PRIVATE -Wall -Wextra)
  target_compile_definitions(${test_name} PRIVATE "QV_SOURCE_DIR=\"${QV_SOURCE_DIR_WIN}\"")
  set(run_dir ${CMAKE_BINARY_DIR}/testrun/${test_name})
  file(MAKE_DIRECTORY ${run_dir})
  add_test(NAME ${test_name} COMMAND ${test_name} WORKING_DIRECTORY ${run_dir})
  set_tests_properties(${test_name} PROPERTIES TIMEOUT ${QV_WIN_TEST_TIMEOUT} LABELS windows
    RUN_SERIAL TRUE)  # one desktop: its focus and mouse are shared
endforeach()
