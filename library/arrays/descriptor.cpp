#include "arrays/descriptor.h"

namespace qv {

namespace {

uint32_t read_u32(std::span<const uint8_t> b, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        if (at + i < b.size()) v |= uint32_t(b[at + i]) << (8 * i);
    return v;
}

uint8_t read_u8(std::span<const uint8_t> b, size_t at) { return at < b.size() ? b[at] : 0; }

void write_u32(std::array<uint8_t, kDescriptorSize>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

}  // namespace

int32_t ArrayDescriptor::lbound(int k) const {
    if (!dimensioned) return 0;
    if (k < 1 || k > kMaxDimensions) return 0;
    return lower[size_t(k - 1)];
}

int32_t ArrayDescriptor::ubound(int k) const {
    if (!dimensioned) return -1;
    if (k < 1 || k > kMaxDimensions) return 0;
    return upper[size_t(k - 1)];
}

std::optional<uint64_t> ArrayDescriptor::element_offset(std::span<const int32_t> subscripts) const {
    if (!dimensioned || subscripts.empty() || subscripts.size() > size_t(kMaxDimensions)) return std::nullopt;
    // The index is kept below the element count at every step, so no sum can overflow and the
    // element always lies inside the array's data even when a stride word is damaged.
    uint64_t index = 0;
    for (size_t k = 0; k < subscripts.size(); ++k) {
        int32_t s = subscripts[k];
        if (s < lower[k] || s > upper[k]) return std::nullopt;
        uint64_t steps = uint64_t(int64_t(s) - int64_t(lower[k]));
        if (steps == 0) continue;
        index += steps * stride[k];
        if (index >= element_count) return std::nullopt;
    }
    if (index >= element_count) return std::nullopt;
    return index * element_size;
}

ArrayDescriptor decode_descriptor(std::span<const uint8_t> bytes) {
    ArrayDescriptor d;
    d.data_address = read_u32(bytes, 0);
    d.flags = read_u8(bytes, 4);
    d.dimensioned = (d.flags & 0x04) != 0;
    d.type_code = read_u8(bytes, 6);
    d.dimension_count = read_u8(bytes, 7);
    d.element_count = read_u32(bytes, 8);
    d.data_size = read_u32(bytes, 12);
    d.element_size = read_u32(bytes, 20);
    for (size_t k = 0; k < size_t(kMaxDimensions); ++k) {
        d.lower[k] = int32_t(read_u32(bytes, 24 + 12 * k));
        d.upper[k] = int32_t(read_u32(bytes, 28 + 12 * k));
        // The stride of dimension k+1 is the word after dimension k's bounds.
        d.stride[k] = k == 0 ? 1 : read_u32(bytes, 32 + 12 * (k - 1));
    }
    return d;
}

int dimension_probe(const ArrayDescriptor& d, ProbeRule rule) {
    for (int k = 1; k <= 4; ++k) {
        bool end = rule == ProbeRule::numeric ? (d.ubound(k) == 0 && d.lbound(k) == 0) : d.ubound(k) == 0;
        if (end) return k - 1;
    }
    return 0;
}

std::array<uint8_t, kDescriptorSize> build_descriptor(uint32_t data_address, uint8_t type_code,
                                                      uint32_t element_size,
                                                      std::span<const std::pair<int32_t, int32_t>> bounds) {
    std::array<uint8_t, kDescriptorSize> b{};
    size_t dims = bounds.size() < size_t(kMaxDimensions) ? bounds.size() : size_t(kMaxDimensions);
    if (dims == 0) return b;
    write_u32(b, 0, data_address);
    b[4] = 0x04;
    b[5] = 1;
    b[6] = type_code;
    b[7] = uint8_t(dims);
    write_u32(b, 20, element_size);
    uint32_t count = 1;
    for (size_t k = 0; k < dims; ++k) {
        auto [lo, hi] = bounds[k];
        if (k > 0) write_u32(b, 32 + 12 * (k - 1), count);
        write_u32(b, 24 + 12 * k, uint32_t(lo));
        write_u32(b, 28 + 12 * k, uint32_t(hi));
        uint32_t n = hi >= lo ? uint32_t(int64_t(hi) - int64_t(lo) + 1) : 0;
        count *= n;
    }
    write_u32(b, 8, count);
    write_u32(b, 12, count * element_size);
    return b;
}

}  // namespace qv
