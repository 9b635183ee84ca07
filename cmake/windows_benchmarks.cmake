# Windows benchmarks: every benchmarks/windows/*.cpp is its own program, linked with Google
# Benchmark built from source with the cross toolchain (no mingw package of it exists) and run
# under Wine by scripts/bench.sh. Off by default, so that the test build needs no benchmark
# sources; scripts/bench.sh turns it on in a build tree of its own.

option(QV_WIN_BENCHMARKS "Build the Windows benchmarks (needs Google Benchmark sources)" OFF)
if(NOT QV_WIN_BENCHMARKS)
  return()
endif()
if(NOT QV_HAVE_DLL)
  message(WARNING "QUORVALE.DLL is not configured: no Windows benchmarks")
  return()
endif()

# Default: the newest source unpacked by scripts/bench.sh into build/gbench.
set(QV_GBENCH_SOURCE_DIR "" CACHE PATH "Google Benchmark sources, built with the cross toolchain")
set(qv_gbench_dir ${QV_GBENCH_SOURCE_DIR})
if(NOT qv_gbench_dir)
  file(GLOB qv_gbench_candidates LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/gbench/benchmark-*)
  foreach(candidate ${qv_gbench_candidates})
    if(EXISTS ${candidate}/CMakeLists.txt)
      set(qv_gbench_dir ${candidate})
    endif()
  endforeach()
endif()
if(NOT qv_gbench_dir OR NOT EXISTS ${qv_gbench_dir}/CMakeLists.txt)
  message(WARNING "No Google Benchmark sources (set QV_GBENCH_SOURCE_DIR, or run scripts/bench.sh, "
                  "which fetches them): Windows benchmarks are not configured")
  return()
endif()

# The library only, without its own tests, install rules or -Werror (a newer compiler's new
# warnings must not stop the build).
set(BENCHMARK_ENABLE_TESTING OFF)
set(BENCHMARK_ENABLE_GTEST_TESTS OFF)
set(BENCHMARK_USE_BUNDLED_GTEST OFF)
set(BENCHMARK_ENABLE_INSTALL OFF)
set(BENCHMARK_INSTALL_DOCS OFF)
set(BENCHMARK_ENABLE_DOXYGEN OFF)
set(BENCHMARK_ENABLE_WERROR OFF)
set(BENCHMARK_FORCE_WERROR OFF)
set(BENCHMARK_ENABLE_LTO OFF)
set(BENCHMARK_ENABLE_LIBPFM OFF)
set(BENCHMARK_ENABLE_ASSEMBLY_TESTS OFF)
set(BENCHMARK_DOWNLOAD_DEPENDENCIES OFF)
# No git tags in a source package: the version then comes from its project() call (Debian's
# sources no longer look for tags at all and would otherwise be left without a version).
set(GIT_VERSION "0.0.0")
add_subdirectory(${qv_gbench_dir} ${CMAKE_BINARY_DIR}/gbench EXCLUDE_FROM_ALL)

file(GLOB QV_WINDOWS_BENCHMARKS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/benchmarks/windows/*.cpp)
foreach(bench_source ${QV_WINDOWS_BENCHMARKS})
  get_filename_component(bench_name ${bench_source} NAME_WE)
  add_executable(${bench_name} ${bench_source})
  target_link_libraries(${bench_name} PRIVATE qv_kit benchmark::benchmark benchmark::benchmark_main)
  target_compile_options(${bench_name} PRIVATE -Wall -Wextra)
endforeach()
