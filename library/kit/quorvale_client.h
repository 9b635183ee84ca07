// Client kit for QUORVALE.DLL: the exports as a 32-bit Windows program imports them, plus
// helpers that build the PowerBASIC values they take (pb_values.h).
//
// Link the program with QUORVALE's import library (libQUORVALE.dll.a) and keep QUORVALE.DLL
// beside the program. Every export uses the standard calling convention and is imported by
// its undecorated upper-case name.
//
// Argument kinds:
//   pb_str*      address of the caller's dynamic-string handle (by reference; the caller owns
//                the string, the library may replace it)
//   pb_str       a handle passed by value: the library frees it (give it DynStr::release())
//   PbArrayDescriptor*  address of the caller's array descriptor
//   VARIANT      a 16-byte VARIANT pushed by value: the library clears it (Variant::release())
// String results (pb_str) belong to the caller: adopt them with DynStr::adopt().
#pragma once

#include "pb_values.h"

extern "C" {

// Debug call and direct output.
__declspec(dllimport) int32_t __stdcall DEBUGL(pb_str* options, pb_str* label, pb_str* message);
__declspec(dllimport) int32_t __stdcall PUTWINMSG(PbArrayDescriptor* lines, int32_t* count);
__declspec(dllimport) int32_t __stdcall PUTFILELOG(PbArrayDescriptor* lines, int32_t* count);
__declspec(dllimport) int32_t __stdcall SEEMESSAGEBOX(pb_str* text, pb_str* title);
__declspec(dllimport) int32_t __stdcall WINDOMESSAGE(pb_str* text);
// range and brackets may be 0 (left out).
__declspec(dllimport) pb_str __stdcall TRADHEX(pb_str* text, pb_str range, pb_str brackets);

// Switches, counters, log-file stack, flow access.
__declspec(dllimport) int32_t __stdcall DEBUGDN();
__declspec(dllimport) int32_t __stdcall DEBUGEN();
__declspec(dllimport) int32_t __stdcall DEBUGEY();
__declspec(dllimport) int32_t __stdcall DEBUGFN();
__declspec(dllimport) int32_t __stdcall DEBUGFY();
__declspec(dllimport) int32_t __stdcall DEBUGSN();
__declspec(dllimport) int32_t __stdcall DEBUGSY();
__declspec(dllimport) int32_t __stdcall DEBUGWN();
__declspec(dllimport) int32_t __stdcall DEBUGWY();
__declspec(dllimport) pb_str __stdcall DEBUGFT();
__declspec(dllimport) int32_t __stdcall DEBUGDY(VARIANT value);
__declspec(dllimport) pb_str __stdcall DEBUGFB(pb_str name);
__declspec(dllimport) int32_t __stdcall FLOWACCESSN();
__declspec(dllimport) int32_t __stdcall FLOWACCESSY();
__declspec(dllimport) int32_t __stdcall GETMASTERCOUNTER();
__declspec(dllimport) int32_t __stdcall GETMASTERDOG();
__declspec(dllimport) int32_t __stdcall GETTOTFLOW();

// Flow table.
__declspec(dllimport) int32_t __stdcall GETTABFLOW(PbArrayDescriptor* table, int32_t* mode);
__declspec(dllimport) int32_t __stdcall SETTABFLOW(PbArrayDescriptor* table);
__declspec(dllimport) int32_t __stdcall PULLUPTABFLOW();

// Windows.
__declspec(dllimport) int32_t __stdcall WINDOATTENTION(pb_str* text, pb_str* title);
__declspec(dllimport) int32_t __stdcall WINDOFLOWACCESS();

// System helpers: results in the x87 register (EXTENDED).
__declspec(dllimport) long double __stdcall GETSYSFILEVER(pb_str file_name);
__declspec(dllimport) long double __stdcall INITCOMCTL32(int32_t flags);

// Virtual list.
__declspec(dllimport) int32_t __stdcall DEBUGVIRTLISTCTRL(pb_str* caption, PbArrayDescriptor* data,
                                                          PbArrayDescriptor* coln_head,
                                                          PbArrayDescriptor* coln_help,
                                                          pb_str* coln_sort_in_out, pb_str* coln_change);
__declspec(dllimport) void __stdcall DEBUGVIRTLISTSORT(int32_t column);
__declspec(dllimport) int32_t __stdcall WINDOVIRTLISTCTRL(pb_str* caption, PbArrayDescriptor* coln_head,
                                                          int32_t* last_col);

}  // extern "C"
