// The exported functions: each one takes the client's values apart, forwards to the library and
// hands the results back in the client's representations. No exception crosses this boundary.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "core/library.h"
#include "core/text_forms.h"
#include "win32/marshal.h"
#include "win32/system_helpers.h"

namespace qv::win32 {
// The process's library instance (dllmain.cpp).
Library& lib();
}  // namespace qv::win32

using qv::win32::ByValueString;
using qv::win32::ByValueVariant;
using qv::win32::ClientStringArray;
using qv::win32::DynString;
using qv::win32::lib;
using qv::win32::read_string_ref;
using qv::win32::rewrite_string_ref;

namespace {

// Whatever goes wrong inside, the client gets the export's failure value.
template <class R, class Body>
R barrier(R failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

qv::Library& checked_lib() {
    qv::Library& l = lib();
    l.startup_check();
    return l;
}

}  // namespace

// Exported through quorvale.def under their undecorated names.
#define QV_EXPORT extern "C"

// ---- Debug call and direct output ----

QV_EXPORT int32_t __stdcall DEBUGL(DynString* options, DynString* label, DynString* message) {
    return barrier<int32_t>(0, [&] {
        qv::Library& l = checked_lib();
        const std::string before = read_string_ref(options);
        std::string opts = before;
        const int32_t result = l.debugl(opts, read_string_ref(label), read_string_ref(message));
        rewrite_string_ref(options, before, opts);
        return result;
    });
}

QV_EXPORT int32_t __stdcall PUTWINMSG(const void* lines, const int32_t* count) {
    return barrier<int32_t>(0, [&] { return checked_lib().putwinmsg(qv::win32::read_lines(lines, count)); });
}

QV_EXPORT int32_t __stdcall PUTFILELOG(const void* lines, const int32_t* count) {
    return barrier<int32_t>(0, [&] { return checked_lib().putfilelog(qv::win32::read_lines(lines, count)); });
}

QV_EXPORT int32_t __stdcall SEEMESSAGEBOX(DynString* text, DynString* title) {
    return barrier<int32_t>(0, [&] {
        lib().see_message_box(read_string_ref(text), read_string_ref(title));
        return 0;
    });
}

QV_EXPORT int32_t __stdcall WINDOMESSAGE(DynString* text) {
    return barrier<int32_t>(0, [&] { return lib().window_message(read_string_ref(text)); });
}

QV_EXPORT DynString __stdcall TRADHEX(DynString* text, DynString range, DynString brackets) {
    ByValueString range_arg(range);
    ByValueString brackets_arg(brackets);
    return barrier<DynString>(nullptr, [&] {
        return qv::win32::alloc_string(qv::tradhex(read_string_ref(text), range_arg.text(), brackets_arg.text()));
    });
}

// ---- Switches, counters and the log-file stack ----

QV_EXPORT int32_t __stdcall DEBUGDN() {
    return barrier<int32_t>(0, [] { return checked_lib().debugdn(); });
}
QV_EXPORT int32_t __stdcall DEBUGEN() {
    return barrier<int32_t>(0, [] { return checked_lib().debugen(); });
}
QV_EXPORT int32_t __stdcall DEBUGEY() {
    return barrier<int32_t>(0, [] { return checked_lib().debugey(); });
}
QV_EXPORT int32_t __stdcall DEBUGFN() {
    return barrier<int32_t>(0, [] { return checked_lib().debugfn(); });
}
QV_EXPORT int32_t __stdcall DEBUGFY() {
    return barrier<int32_t>(0, [] { return checked_lib().debugfy(); });
}
QV_EXPORT int32_t __stdcall DEBUGSN() {
    return barrier<int32_t>(0, [] { return checked_lib().debugsn(); });
}
QV_EXPORT int32_t __stdcall DEBUGSY() {
    return barrier<int32_t>(0, [] { return checked_lib().debugsy(); });
}
QV_EXPORT int32_t __stdcall DEBUGWN() {
    return barrier<int32_t>(0, [] { return checked_lib().debugwn(); });
}
QV_EXPORT int32_t __stdcall DEBUGWY() {
    return barrier<int32_t>(0, [] { return checked_lib().debugwy(); });
}

QV_EXPORT DynString __stdcall DEBUGFT() {
    return barrier<DynString>(nullptr, [] { return qv::win32::alloc_string(checked_lib().debugft()); });
}

QV_EXPORT int32_t __stdcall DEBUGDY(VARIANT value) {
    ByValueVariant value_arg(&value);
    return barrier<int32_t>(0, [&] {
        qv::Library& l = checked_lib();
        return l.debugdy(qv::win32::read_variant(value));
    });
}

QV_EXPORT DynString __stdcall DEBUGFB(DynString name) {
    ByValueString name_arg(name);
    return barrier<DynString>(nullptr, [&] {
        qv::Library& l = checked_lib();
        return qv::win32::alloc_string(l.debugfb(name_arg.text()));
    });
}

QV_EXPORT int32_t __stdcall FLOWACCESSN() {
    return barrier<int32_t>(0, [] { return checked_lib().flowaccessn(); });
}
QV_EXPORT int32_t __stdcall FLOWACCESSY() {
    return barrier<int32_t>(0, [] { return checked_lib().flowaccessy(); });
}
QV_EXPORT int32_t __stdcall GETMASTERCOUNTER() {
    return barrier<int32_t>(0, [] { return lib().getmastercounter(); });
}
QV_EXPORT int32_t __stdcall GETMASTERDOG() {
    return barrier<int32_t>(0, [] { return lib().getmasterdog(); });
}
QV_EXPORT int32_t __stdcall GETTOTFLOW() {
    return barrier<int32_t>(0, [] { return lib().gettotflow(); });
}

// ---- Flow table ----

QV_EXPORT int32_t __stdcall GETTABFLOW(const void* table, int32_t* mode) {
    return barrier<int32_t>(0, [&] {
        ClientStringArray array(table, 2);
        int32_t m = mode ? *mode : 0;
        const int32_t result = lib().gettabflow(array, m);
        if (mode) *mode = m;
        return result;
    });
}

QV_EXPORT int32_t __stdcall SETTABFLOW(const void* table) {
    return barrier<int32_t>(0, [&] {
        qv::Library& l = checked_lib();
        ClientStringArray array(table, 2);
        return l.settabflow(array);
    });
}

QV_EXPORT int32_t __stdcall PULLUPTABFLOW() {
    return barrier<int32_t>(0, [] { return lib().pulluptabflow(); });
}

// ---- Attention and Flow Access windows ----

QV_EXPORT int32_t __stdcall WINDOATTENTION(DynString* text, DynString* title) {
    return barrier<int32_t>(0, [&] { return lib().windo_attention(read_string_ref(text), read_string_ref(title)); });
}

QV_EXPORT int32_t __stdcall WINDOFLOWACCESS() {
    return barrier<int32_t>(0, [] { return lib().windo_flow_access(); });
}

// ---- System helpers: results in ST(0) ----

QV_EXPORT long double __stdcall GETSYSFILEVER(DynString file_name) {
    ByValueString name_arg(file_name);
    return barrier<long double>(0.0L, [&] { return qv::win32::get_sys_file_ver(name_arg.text()); });
}

QV_EXPORT long double __stdcall INITCOMCTL32(int32_t flags) {
    return barrier<long double>(0.0L, [&] { return qv::win32::init_comctl32(flags); });
}

// ---- Virtual list ----

QV_EXPORT int32_t __stdcall DEBUGVIRTLISTCTRL(DynString* caption, const void* data, const void* heads,
                                               const void* helps, DynString* sort_spec, DynString* change_spec) {
    return barrier<int32_t>(0, [&] {
        qv::Library& l = checked_lib();
        ClientStringArray data_array(data, 2);
        ClientStringArray head_array(heads, 1);
        ClientStringArray help_array(helps, 1);
        const std::string sort_before = read_string_ref(sort_spec);
        const std::string change_before = read_string_ref(change_spec);
        std::string sort = sort_before, change = change_before;
        const int32_t result =
            l.debug_virtlist_ctrl(read_string_ref(caption), data_array, head_array, help_array, sort, change);
        rewrite_string_ref(sort_spec, sort_before, sort);
        rewrite_string_ref(change_spec, change_before, change);
        return result;
    });
}

QV_EXPORT int32_t __stdcall DEBUGVIRTLISTSORT(int32_t column) {
    return barrier<int32_t>(0, [&] {
        checked_lib().debug_virtlist_sort(column);
        return 0;
    });
}

QV_EXPORT int32_t __stdcall WINDOVIRTLISTCTRL(DynString* caption, const void* heads, const int32_t* last_col) {
    return barrier<int32_t>(0, [&] {
        ClientStringArray head_array(heads, 1);
        return lib().windo_virtlist_ctrl(read_string_ref(caption), head_array, last_col ? *last_col : -1);
    });
}
