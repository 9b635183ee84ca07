#include "win32/system_helpers.h"

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <vector>

namespace qv::win32 {

long double get_sys_file_ver(const std::string& name) {
    char dir[260] = {};
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n >= sizeof dir) n = 0;  // did not fit: the buffer holds nothing usable
    std::string path(dir, n);
    if (path.empty() || path.back() != '\\') path += '\\';
    path += name.c_str();  // the name ends at its first NUL
    if (path.size() > 259) path.resize(259);

    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return 0.0L;
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return 0.0L;
    void* block = nullptr;
    UINT block_len = 0;
    char root[] = "\\";
    if (!VerQueryValueA(info.data(), root, &block, &block_len) || !block || block_len < sizeof(VS_FIXEDFILEINFO))
        return 0.0L;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
    // In hundredths, so that the two decimals are exact and a minor of 100 or more carries over.
    int64_t hundredths = int64_t(HIWORD(fixed->dwFileVersionMS)) * 100 + LOWORD(fixed->dwFileVersionMS);
    return static_cast<long double>(hundredths) / 100.0L;
}

bool register_common_controls(int32_t flags) {
    HMODULE comctl = LoadLibraryA("COMCTL32.DLL");
    if (!comctl) return false;
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    using Init = void(WINAPI*)();
    if (auto init_ex =
            reinterpret_cast<InitEx>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")))) {
        INITCOMMONCONTROLSEX icc{8, DWORD(flags == 0 ? 255 : flags)};
        init_ex(&icc);
    } else if (auto init =
                   reinterpret_cast<Init>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControls")))) {
        init();
    }
    // The classes just registered live in COMCTL32.DLL: if this was its only reference, the
    // FreeLibrary below would unload it under them. Pin it once for the rest of the process.
    static bool pinned = false;
    if (!pinned) {
        HMODULE held = nullptr;
        pinned = GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                    reinterpret_cast<LPCSTR>(comctl), &held) != FALSE;
    }
    FreeLibrary(comctl);
    return true;
}

long double init_comctl32(int32_t flags) {
    if (!register_common_controls(flags)) return 0.0L;
    return get_sys_file_ver("COMCTL32.DLL");
}

}  // namespace qv::win32
