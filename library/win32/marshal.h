// The client's values at the export boundary: dynamic strings (OLE strings used as byte
// strings), VARIANTs and string arrays behind array descriptors.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

#include "arrays/descriptor.h"
#include "arrays/string_array.h"
#include "core/variant.h"

namespace qv::win32 {

// A dynamic-string handle: the address of the first text byte, 0 for the empty string.
using DynString = char*;

// The bytes of a handle (NULs included); 0 reads as "".
std::string read_string(const char* handle);
// The text of a by-reference argument; a null address reads as "".
std::string read_string_ref(const DynString* ref);
// A new handle holding the bytes, owned by whoever receives it; "" gives 0.
// Throws std::bad_alloc when the allocator fails.
DynString alloc_string(const std::string& text);
// Store `after` into the caller's variable when it differs from `before` (what was read at
// entry): allocate the new text, then free the handle the variable holds now. A null address
// is never written through.
void rewrite_string_ref(DynString* ref, const std::string& before, const std::string& after);

// A string passed by value belongs to the library, which releases it on every path. Construct
// the guard before anything that can throw.
class ByValueString {
public:
    explicit ByValueString(DynString handle) noexcept : handle_(handle) {}
    ~ByValueString();
    ByValueString(const ByValueString&) = delete;
    ByValueString& operator=(const ByValueString&) = delete;
    std::string text() const { return read_string(handle_); }
    bool omitted() const { return handle_ == nullptr; }

private:
    DynString handle_;
};

// A VARIANT passed by value is the library's copy: cleared (releasing its string, object or
// array) on every path.
class ByValueVariant {
public:
    explicit ByValueVariant(VARIANT* v) noexcept : v_(v) {}
    ~ByValueVariant();
    ByValueVariant(const ByValueVariant&) = delete;
    ByValueVariant& operator=(const ByValueVariant&) = delete;

private:
    VARIANT* v_;
};

// Follows the by-reference chain (VARIANT references included, with a depth limit against
// cycles) and reads the value with the width of its type; string text is converted to the
// ANSI code page.
VariantValue read_variant(const VARIANT& v);

// A client string array seen through its descriptor. `dims` is the number of subscripts the
// export knows the array to have (1 or 2); a 1-D array only has column 0. The descriptor is
// decoded at every access, so the view never goes stale. Elements are read and replaced only
// when the array is dimensioned, the subscripts lie inside the bounds and the descriptor says
// the elements are dynamic-string handles.
class ClientStringArray final : public StringArray {
public:
    ClientStringArray(const void* descriptor, int dims) : descriptor_(descriptor), dims_(dims == 1 ? 1 : 2) {}
    bool dimensioned() const override;
    int32_t lbound(int dim) const override;
    int32_t ubound(int dim) const override;
    std::string get(int32_t i, int32_t j = 0) const override;
    void set(int32_t i, int32_t j, const std::string& value) override;

private:
    ArrayDescriptor decode() const;
    // Address of the element's handle variable, or null when there is no such element.
    DynString* slot(int32_t i, int32_t j) const;
    const void* descriptor_;
    int dims_;
};

// Lines 1..count of a one-dimensional string array, for the direct output exports. Only
// elements that exist are read: indexes below the lower bound or above the upper bound are
// skipped. A null count or a count <= 0 gives no lines.
std::vector<std::string> read_lines(const void* descriptor, const int32_t* count);

}  // namespace qv::win32
