// File versions of system files and the run-time registration of the common controls.
#pragma once
#include <cstdint>
#include <string>

namespace qv::win32 {

// Version (major + minor / 100, two decimals) of a file in the system directory; 0 when the
// file is missing or has no version information.
long double get_sys_file_ver(const std::string& name);

// Registers the common-control classes of `flags` (0 asks for 255) and returns the version of
// COMCTL32.DLL, or 0 when it cannot be loaded.
long double init_comctl32(int32_t flags);

// The registration alone; false when COMCTL32.DLL cannot be loaded.
bool register_common_controls(int32_t flags);

}  // namespace qv::win32
