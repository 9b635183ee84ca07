# Native build: the portable core, its unit tests and the benchmarks.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB QV_NATIVE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(qv_native_tests ${QV_NATIVE_TESTS})
target_include_directories(qv_native_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/native)
target_link_libraries(qv_native_tests PRIVATE qv_core GTest::gtest_main)
gtest_discover_tests(qv_native_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB QV_BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/benchmarks/native/*.cpp)
  if(QV_BENCH_SOURCES)
    add_executable(qv_benchmarks ${QV_BENCH_SOURCES})
    target_link_libraries(qv_benchmarks PRIVATE qv_core benchmark::benchmark benchmark::benchmark_main)
  endif()
endif()

# The PowerBASIC include file and the DLL's module-definition file name the same exports.
add_test(NAME export_names
  COMMAND ${CMAKE_COMMAND} -DINC=${CMAKE_SOURCE_DIR}/library/kit/QUORVALE.INC
          -DDEF=${CMAKE_SOURCE_DIR}/library/win32/quorvale.def -P ${CMAKE_SOURCE_DIR}/cmake/check_exports.cmake)
