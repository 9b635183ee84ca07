// PowerBASIC values as a 32-bit Windows client hands them to QUORVALE.DLL: dynamic strings,
// arrays with their 116-byte descriptor, VARIANTs. Header-only; link oleaut32.
//
//   DynStr s("text");          DEBUGL(opt.ref(), label.ref(), s.ref());   // by reference
//   DEBUGFB(DynStr("x.log").release());                                  // by value
//   std::string top = take_str(DEBUGFT());                               // string result
//   StringArray lines = StringArray::from_lines({"a\r\n", "b\r\n"});      // LINES(1 TO 2)
//   int32_t n = 2; PUTWINMSG(lines.desc(), &n);
//   StringArray table({{1, 5}, {0, 12}});  table.set({3, 0}, "x");       // (1 TO 5, 0 TO 12)
//   LongArray a({{-2, 3}}); a.set({-2}, 7);
//   DEBUGDY(Variant::i32(20).release());
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

static_assert(sizeof(void*) == 4, "the kit is for 32-bit Windows programs");

// Dynamic-string handle: address of the first text byte of an OLE string used as a byte
// string (byte length in the 4 bytes before it); 0 is the empty string.
using pb_str = char*;

#pragma pack(push, 1)
// Dimension entry k (1-based) at offset 20 + 12*(k-1): the stride, then the lower and upper
// bound of dimension k. The stride of dimension 1 is the element size; that of dimension
// k >= 2 is the element count of dimensions 1..k-1 together.
struct PbDimension {
    uint32_t stride;
    int32_t lower;
    int32_t upper;
};

// The client language's array descriptor, room for 8 dimensions (116 bytes).
struct PbArrayDescriptor {
    void* data;              // 0: first element (all subscripts at their lower bounds)
    uint8_t flags;           // 4: 0x04 = dimensioned
    uint8_t dimensioned;     // 5: 1 when dimensioned
    uint8_t type_code;       // 6: element type code (PbType)
    uint8_t dim_count;       // 7: number of dimensions
    uint32_t element_count;  // 8
    uint32_t data_size;      // 12: element_count * element size
    uint32_t reserved;       // 16
    PbDimension dims[8];     // 20: dims[0].stride is the element size
};

// EXTENDED: x87 80-bit real as stored in client memory (10 bytes, no padding).
struct PbExtended {
    uint8_t bytes[10];
    static PbExtended from(long double v) {
        PbExtended e{};
        std::memcpy(e.bytes, &v, 10);
        return e;
    }
    long double value() const {
        long double v = 0;
        std::memcpy(&v, bytes, 10);
        return v;
    }
};
#pragma pack(pop)

static_assert(sizeof(PbArrayDescriptor) == 116);
static_assert(offsetof(PbArrayDescriptor, dims) == 20);
static_assert(sizeof(PbExtended) == 10);

namespace qvkit {

enum class PbType : uint8_t {
    Byte = 0x00, Word = 0x02, Dword = 0x04, Integer = 0x08, Long = 0x0A, Quad = 0x10,
    Single = 0x14, Double = 0x16, Extended = 0x18, Currency = 0x1A, CurrencyX = 0x1C,
    Variant = 0x22, Object = 0x24, Udt = 0x28, String = 0x2E,
};
constexpr uint8_t kDimensionedFlag = 0x04;

// ---- dynamic strings -------------------------------------------------------------------

// A new OLE byte string holding the bytes of text (a zero-length string for "").
inline pb_str alloc_str(std::string_view text) {
    BSTR b = SysAllocStringByteLen(text.data(), UINT(text.size()));
    if (!b) throw std::bad_alloc();
    return reinterpret_cast<pb_str>(b);
}
inline void free_str(pb_str h) {
    if (h) SysFreeString(reinterpret_cast<BSTR>(h));
}
inline uint32_t str_len(pb_str h) {
    return h ? SysStringByteLen(reinterpret_cast<BSTR>(h)) : 0;
}
inline std::string read_str(pb_str h) {
    return h ? std::string(h, str_len(h)) : std::string();
}
// Reads a string result of the library and frees it.
inline std::string take_str(pb_str h) {
    std::string s = read_str(h);
    free_str(h);
    return s;
}

// A client STRING variable. Empty text is the null handle, as the client language keeps it.
class DynStr {
public:
    DynStr() = default;
    explicit DynStr(std::string_view text) : h_(text.empty() ? nullptr : alloc_str(text)) {}
    DynStr(const char* text) : DynStr(std::string_view(text)) {}
    DynStr(const std::string& text) : DynStr(std::string_view(text)) {}
    ~DynStr() { free_str(h_); }
    DynStr(DynStr&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    DynStr& operator=(DynStr&& o) noexcept {
        if (this != &o) { free_str(h_); h_ = std::exchange(o.h_, nullptr); }
        return *this;
    }
    DynStr(const DynStr&) = delete;
    DynStr& operator=(const DynStr&) = delete;

    // A non-null handle of length 0 (the other form of the empty string).
    static DynStr zero_length() { DynStr s; s.h_ = alloc_str({}); return s; }
    // Takes ownership of a handle, e.g. a string result of the library.
    static DynStr adopt(pb_str h) { DynStr s; s.h_ = h; return s; }

    // Address of the handle variable: the by-reference argument.
    pb_str* ref() { return &h_; }
    pb_str handle() const { return h_; }
    // Gives the handle away: the by-value argument, which the library frees.
    pb_str release() { return std::exchange(h_, nullptr); }
    void assign(std::string_view text) { *this = DynStr(text); }

    std::string str() const { return read_str(h_); }
    uint32_t byte_len() const { return str_len(h_); }

private:
    pb_str h_ = nullptr;
};

// ---- arrays ----------------------------------------------------------------------------

struct Bounds {
    int32_t lower;
    int32_t upper;
};

// A dimensioned client array: descriptor plus element storage, first subscript fastest.
// Movable (the storage moves with it), not copyable.
class PbArray {
public:
    PbArray(PbType type, uint32_t element_size, std::vector<Bounds> dims) {
        if (dims.empty() || dims.size() > 8) throw std::invalid_argument("1 to 8 dimensions");
        uint32_t count = 1;
        for (size_t k = 0; k < dims.size(); ++k) {
            if (dims[k].upper < dims[k].lower) throw std::invalid_argument("upper bound below lower bound");
            d_.dims[k].stride = k == 0 ? element_size : count;
            d_.dims[k].lower = dims[k].lower;
            d_.dims[k].upper = dims[k].upper;
            count *= uint32_t(int64_t(dims[k].upper) - dims[k].lower + 1);
        }
        storage_.assign(size_t(count) * element_size, 0);
        d_.data = storage_.data();
        d_.flags = kDimensionedFlag;
        d_.dimensioned = 1;
        d_.type_code = uint8_t(type);
        d_.dim_count = uint8_t(dims.size());
        d_.element_count = count;
        d_.data_size = count * element_size;
    }
    PbArray(PbArray&&) noexcept = default;
    PbArray& operator=(PbArray&&) noexcept = default;
    PbArray(const PbArray&) = delete;
    PbArray& operator=(const PbArray&) = delete;

    // Address of the descriptor: what an export takes for "ARRAY() AS ...".
    PbArrayDescriptor* desc() { return &d_; }
    const PbArrayDescriptor* desc() const { return &d_; }
    uint32_t count() const { return d_.element_count; }
    uint32_t element_size() const { return d_.dims[0].stride; }
    int32_t lower(int k = 1) const { return d_.dims[k - 1].lower; }
    int32_t upper(int k = 1) const { return d_.dims[k - 1].upper; }

    // 0-based position in memory of the element with these subscripts.
    uint32_t ordinal(std::initializer_list<int32_t> subs) const {
        if (subs.size() != d_.dim_count) throw std::out_of_range("wrong number of subscripts");
        uint32_t pos = 0, stride = 1;
        int k = 0;
        for (int32_t s : subs) {
            const PbDimension& dim = d_.dims[k++];
            if (s < dim.lower || s > dim.upper) throw std::out_of_range("subscript out of range");
            pos += uint32_t(s - dim.lower) * stride;
            stride *= uint32_t(int64_t(dim.upper) - dim.lower + 1);
        }
        return pos;
    }
    void* at(std::initializer_list<int32_t> subs) {
        return storage_.data() + size_t(ordinal(subs)) * element_size();
    }
    const void* at(std::initializer_list<int32_t> subs) const {
        return storage_.data() + size_t(ordinal(subs)) * element_size();
    }
    uint8_t* bytes() { return storage_.data(); }

protected:
    PbArrayDescriptor d_{};
    std::vector<uint8_t> storage_;
};

template <class T, PbType Code>
class NumArray : public PbArray {
public:
    explicit NumArray(std::vector<Bounds> dims) : PbArray(Code, sizeof(T), std::move(dims)) {}
    T get(std::initializer_list<int32_t> subs) const {
        T v;
        std::memcpy(&v, at(subs), sizeof(T));
        return v;
    }
    void set(std::initializer_list<int32_t> subs, T v) { std::memcpy(at(subs), &v, sizeof(T)); }
    // Element i in memory order (0-based).
    T get_ordinal(uint32_t i) const {
        T v;
        std::memcpy(&v, storage_.data() + size_t(i) * sizeof(T), sizeof(T));
        return v;
    }
    void set_ordinal(uint32_t i, T v) { std::memcpy(storage_.data() + size_t(i) * sizeof(T), &v, sizeof(T)); }
};

using ByteArray = NumArray<uint8_t, PbType::Byte>;
using IntegerArray = NumArray<int16_t, PbType::Integer>;
using WordArray = NumArray<uint16_t, PbType::Word>;
using DwordArray = NumArray<uint32_t, PbType::Dword>;
using LongArray = NumArray<int32_t, PbType::Long>;
using QuadArray = NumArray<int64_t, PbType::Quad>;
using SingleArray = NumArray<float, PbType::Single>;
using DoubleArray = NumArray<double, PbType::Double>;
using ExtendedArray = NumArray<PbExtended, PbType::Extended>;
using CurrencyArray = NumArray<int64_t, PbType::Currency>;    // value * 10000
using CurrencyXArray = NumArray<int64_t, PbType::CurrencyX>;  // value * 100

// Scaled integers of CURRENCY and CURRENCYX.
inline int64_t pb_currency(long double v) { return int64_t(v * 10000 + (v < 0 ? -0.5L : 0.5L)); }
inline int64_t pb_currencyx(long double v) { return int64_t(v * 100 + (v < 0 ? -0.5L : 0.5L)); }

// An array of dynamic strings; the elements it holds when destroyed are freed (including
// strings the library stored into it).
class StringArray : public PbArray {
public:
    explicit StringArray(std::vector<Bounds> dims) : PbArray(PbType::String, 4, std::move(dims)) {}
    // One dimension (lower TO lower + n - 1) holding the given lines.
    static StringArray from_lines(const std::vector<std::string>& lines, int32_t lower = 1) {
        StringArray a({{lower, lower + int32_t(lines.empty() ? 0 : lines.size() - 1)}});
        for (size_t i = 0; i < lines.size(); ++i) a.set({lower + int32_t(i)}, lines[i]);
        return a;
    }
    StringArray(StringArray&&) noexcept = default;
    StringArray& operator=(StringArray&& o) noexcept {
        if (this != &o) { free_all(); PbArray::operator=(std::move(o)); }
        return *this;
    }
    ~StringArray() { free_all(); }

    pb_str& handle(std::initializer_list<int32_t> subs) { return *static_cast<pb_str*>(at(subs)); }
    pb_str handle(std::initializer_list<int32_t> subs) const { return *static_cast<const pb_str*>(at(subs)); }
    void set(std::initializer_list<int32_t> subs, std::string_view text) {
        pb_str& h = handle(subs);
        pb_str n = text.empty() ? nullptr : alloc_str(text);
        free_str(h);
        h = n;
    }
    std::string get(std::initializer_list<int32_t> subs) const { return read_str(handle(subs)); }
    // All elements in memory order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (size_t i = 0; i + 4 <= storage_.size(); i += 4) out.push_back(read_str(element(i)));
        return out;
    }

private:
    pb_str element(size_t offset) const {
        pb_str h;
        std::memcpy(&h, storage_.data() + offset, 4);
        return h;
    }
    void free_all() {
        for (size_t i = 0; i + 4 <= storage_.size(); i += 4) {
            free_str(element(i));
            std::memset(storage_.data() + i, 0, 4);
        }
    }
};

// ---- VARIANTs --------------------------------------------------------------------------

// A VARIANT owned by the client; release() hands it to a by-value parameter, which the
// library clears.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { clear(); }
    Variant(Variant&& o) noexcept : v_(o.v_), raw_(o.raw_) { VariantInit(&o.v_); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) { clear(); v_ = o.v_; raw_ = o.raw_; VariantInit(&o.v_); }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    // Type 0: what the client passes for a left-out optional argument.
    static Variant empty() { return Variant(); }
    static Variant i16(int16_t x) { Variant r; r.v_.vt = VT_I2; r.v_.iVal = x; return r; }
    static Variant i32(int32_t x) { Variant r; r.v_.vt = VT_I4; r.v_.lVal = x; return r; }
    static Variant dbl(double x) { Variant r; r.v_.vt = VT_R8; r.v_.dblVal = x; return r; }
    // Type 8: a BSTR of UTF-16 text.
    static Variant str(std::wstring_view text) {
        Variant r;
        r.v_.vt = VT_BSTR;
        r.v_.bstrVal = SysAllocStringLen(text.data(), UINT(text.size()));
        if (!r.v_.bstrVal) throw std::bad_alloc();
        return r;
    }
    // Type 8 from ANSI text (converted with the ANSI code page).
    static Variant ansi(std::string_view text) {
        int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
        std::wstring w(size_t(n), L'\0');
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), w.data(), n);
        return str(w);
    }
    // By reference (type | 0x4000): the target stays the caller's.
    static Variant byref(VARIANT* target) { Variant r; r.v_.vt = VT_BYREF | VT_VARIANT; r.v_.pvarVal = target; return r; }
    static Variant byref_i32(int32_t* target) { Variant r; r.v_.vt = VT_BYREF | VT_I4; r.v_.plVal = reinterpret_cast<LONG*>(target); return r; }
    static Variant byref_dbl(double* target) { Variant r; r.v_.vt = VT_BYREF | VT_R8; r.v_.pdblVal = target; return r; }
    // Any type code with a raw 8-byte value field; never cleared by this object, so it may
    // point anywhere.
    static Variant raw(VARTYPE vt, const void* value, size_t n) {
        Variant r;
        r.raw_ = true;
        r.v_.vt = vt;
        std::memcpy(&r.v_.llVal, value, n < 8 ? n : 8);
        return r;
    }

    VARIANT* get() { return &v_; }
    VARTYPE type() const { return v_.vt; }
    // The VARIANT by value; this object is left empty.
    VARIANT release() {
        VARIANT r = v_;
        VariantInit(&v_);
        return r;
    }

private:
    void clear() {
        if (raw_) VariantInit(&v_);
        else VariantClear(&v_);
    }
    VARIANT v_;
    bool raw_ = false;
};

}  // namespace qvkit
