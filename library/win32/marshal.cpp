#include "win32/marshal.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>

namespace qv::win32 {

namespace {

BSTR as_bstr(const char* handle) { return reinterpret_cast<BSTR>(const_cast<char*>(handle)); }

// UTF-16 text of a string VARIANT in the ANSI code page.
std::string ansi_of(BSTR text) {
    if (!text) return {};
    const UINT chars = SysStringLen(text);
    if (chars == 0) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, int(chars), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    const int written = WideCharToMultiByte(CP_ACP, 0, text, int(chars), out.data(), n, nullptr, nullptr);
    out.resize(written > 0 ? size_t(written) : 0);
    return out;
}

// Bytes of the value a by-reference VARIANT points to, for its base type.
size_t referenced_width(uint16_t base) {
    switch (base) {
        case VT_I1:
        case VT_UI1:
            return 1;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            return 2;
        case VT_I4:
        case VT_UI4:
        case VT_R4:
        case VT_ERROR:
        case VT_HRESULT:
        case VT_INT:
        case VT_UINT:
        case VT_DISPATCH:
        case VT_UNKNOWN:
        case VT_PTR:
            return 4;
        case VT_R8:
        case VT_CY:
        case VT_DATE:
        case VT_I8:
        case VT_UI8:
            return 8;
        default:
            return 0;  // types without a number: nothing is read
    }
}

constexpr int kMaxVariantDepth = 16;

}  // namespace

std::string read_string(const char* handle) {
    if (!handle) return {};
    return std::string(handle, SysStringByteLen(as_bstr(handle)));
}

std::string read_string_ref(const DynString* ref) { return ref ? read_string(*ref) : std::string(); }

DynString alloc_string(const std::string& text) {
    if (text.empty()) return nullptr;
    BSTR b = SysAllocStringByteLen(text.data(), UINT(text.size()));
    if (!b) throw std::bad_alloc();
    return reinterpret_cast<DynString>(b);
}

void rewrite_string_ref(DynString* ref, const std::string& before, const std::string& after) {
    if (!ref || before == after) return;
    DynString fresh = alloc_string(after);
    DynString old = *ref;
    *ref = fresh;
    if (old) SysFreeString(as_bstr(old));
}

ByValueString::~ByValueString() {
    if (handle_) SysFreeString(as_bstr(handle_));
}

ByValueVariant::~ByValueVariant() {
    if (v_) VariantClear(v_);
}

VariantValue read_variant(const VARIANT& v) {
    VariantValue out;
    const VARIANT* cur = &v;
    for (int depth = 0; depth < kMaxVariantDepth; ++depth) {
        const uint16_t vt = cur->vt;
        if (!(vt & VT_BYREF)) {
            out.type = vt;
            // The 8-byte value field follows the type code and the three reserved words.
            std::memcpy(out.bytes.data(), reinterpret_cast<const uint8_t*>(cur) + 8, 8);
            if (vt == VT_BSTR) out.text = ansi_of(cur->bstrVal);
            return out;
        }
        const uint16_t base = uint16_t(vt & ~VT_BYREF);
        if (base == VT_VARIANT) {
            if (!cur->pvarVal) break;
            cur = cur->pvarVal;
            continue;
        }
        out.type = base;
        const void* target = cur->byref;
        if (!target || (base & (VT_VECTOR | VT_ARRAY | VT_RESERVED))) return out;
        if (base == VT_BSTR) {
            out.text = ansi_of(*static_cast<const BSTR*>(target));
            return out;
        }
        const size_t width = referenced_width(base);
        std::memcpy(out.bytes.data(), target, width);
        // A Boolean is 16 bits wide but is read as a 32-bit number: extend its sign so that
        // true stays -1 without reading past the client's variable.
        if (base == VT_BOOL && (out.bytes[1] & 0x80)) out.bytes[2] = out.bytes[3] = 0xFF;
        return out;
    }
    // A reference chain that is null, cyclic or too deep: a value without a number, but not the
    // omitted argument.
    out = VariantValue{};
    out.type = VT_VARIANT;
    return out;
}

ArrayDescriptor ClientStringArray::decode() const {
    if (!descriptor_) return ArrayDescriptor{};
    return decode_descriptor(std::span<const uint8_t>(static_cast<const uint8_t*>(descriptor_), kDescriptorSize));
}

bool ClientStringArray::dimensioned() const { return decode().dimensioned; }

int32_t ClientStringArray::lbound(int dim) const { return decode().lbound(dim); }

int32_t ClientStringArray::ubound(int dim) const { return decode().ubound(dim); }

DynString* ClientStringArray::slot(int32_t i, int32_t j) const {
    const ArrayDescriptor d = decode();
    // Anything but handles would be taken for string addresses.
    if (!d.dimensioned || d.data_address == 0 || d.type_code != kElemString || d.element_size != sizeof(DynString))
        return nullptr;
    std::optional<uint64_t> offset;
    if (dims_ == 1) {
        if (j != 0) return nullptr;
        offset = d.element_offset({i});
    } else {
        offset = d.element_offset({i, j});
    }
    if (!offset) return nullptr;
    return reinterpret_cast<DynString*>(uintptr_t(d.data_address) + uintptr_t(*offset));
}

std::string ClientStringArray::get(int32_t i, int32_t j) const {
    DynString* p = slot(i, j);
    return p ? read_string(*p) : std::string();
}

void ClientStringArray::set(int32_t i, int32_t j, const std::string& value) {
    DynString* p = slot(i, j);
    if (!p) return;
    DynString old = *p;
    if (read_string(old) == value) return;
    *p = alloc_string(value);
    if (old) SysFreeString(as_bstr(old));
}

std::vector<std::string> read_lines(const void* descriptor, const int32_t* count) {
    std::vector<std::string> lines;
    if (!descriptor || !count || *count <= 0) return lines;
    ClientStringArray array(descriptor, 1);
    if (!array.dimensioned()) return lines;
    const int64_t first = std::max<int64_t>(1, array.lbound(1));
    const int64_t last = std::min<int64_t>(*count, array.ubound(1));
    for (int64_t i = first; i <= last; ++i) lines.push_back(array.get(int32_t(i)));
    return lines;
}

}  // namespace qv::win32
