# Windows build (mingw-w64 i686): QUORVALE.DLL, the client kit, the example client and the
# Windows tests. Every Windows output goes to <build>/bin so that programs find the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# The toolchain links the compiler runtime statically; this keeps a toolchain file without
# those flags from producing programs that need libgcc/libstdc++/winpthread DLLs.
string(FIND "${CMAKE_EXE_LINKER_FLAGS}" "-static" QV_HAS_STATIC)
if(QV_HAS_STATIC EQUAL -1)
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -static")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static")
endif()

if(NOT QV_DLLTOOL)
  find_program(QV_DLLTOOL NAMES i686-w64-mingw32-dlltool dlltool REQUIRED)
endif()

set(QV_DEF_FILE ${CMAKE_SOURCE_DIR}/library/win32/quorvale.def)
file(GLOB QV_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/library/win32/*.cpp)

if(QV_WIN32_SOURCES AND EXISTS ${QV_DEF_FILE})
  add_library(quorvale SHARED ${QV_WIN32_SOURCES} ${QV_DEF_FILE})
  set_target_properties(quorvale PROPERTIES
    OUTPUT_NAME QUORVALE PREFIX "" SUFFIX ".DLL"
    IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a"
    LINK_DEPENDS ${QV_DEF_FILE})
  target_compile_options(quorvale PRIVATE -Wall -Wextra)
  # The .def names the stdcall symbols (DEBUGL@12); --kill-at exports them undecorated.
  target_link_libraries(quorvale PRIVATE qv_core oleaut32 ole32 user32 gdi32 kernel32 version comctl32
    -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  # The linker's own import library would carry the undecorated names, which stdcall client
  # code (references to _imp__DEBUGL@12) cannot bind to; dlltool -k keeps the decorated symbol
  # and imports by the undecorated name.
  add_custom_command(TARGET quorvale POST_BUILD
    COMMAND ${QV_DLLTOOL} -k -d ${QV_DEF_FILE} -D QUORVALE.DLL -l $<TARGET_LINKER_FILE:quorvale>
    COMMENT "Import library for QUORVALE.DLL (decorated stdcall symbols, undecorated imports)"
    VERBATIM)
  set(QV_HAVE_DLL TRUE)
else()
  message(WARNING "library/win32 has no sources or no quorvale.def yet: QUORVALE.DLL, the "
                  "example client and the Windows tests are not configured")
  set(QV_HAVE_DLL FALSE)
endif()

# Client kit: header-only helpers for programs that call the library.
add_library(qv_kit INTERFACE)
target_include_directories(qv_kit INTERFACE ${CMAKE_SOURCE_DIR}/library/kit)
target_link_libraries(qv_kit INTERFACE oleaut32 ole32 user32)
if(QV_HAVE_DLL)
  target_link_libraries(qv_kit INTERFACE quorvale)

  # The small client that the main job runs.
  if(EXISTS ${CMAKE_SOURCE_DIR}/examples/first_trace.cpp)
    add_executable(first_trace ${CMAKE_SOURCE_DIR}/examples/first_trace.cpp)
    target_link_libraries(first_trace PRIVATE qv_kit)
    target_compile_options(first_trace PRIVATE -Wall -Wextra)
  endif()

  include(${CMAKE_SOURCE_DIR}/cmake/windows_tests.cmake)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/windows_benchmarks.cmake OPTIONAL)
