// The client language's array descriptor: decoding, bounds, element offsets and the
// dimension probe.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <utility>

namespace qv {

// Size of a descriptor with room for the 8 dimensions the client language allows.
inline constexpr size_t kDescriptorSize = 116;
inline constexpr int kMaxDimensions = 8;

// Element type codes (byte 6 of the descriptor).
enum ElementType : uint8_t {
    kElemByte = 0x00,
    kElemWord = 0x02,
    kElemDword = 0x04,
    kElemInteger = 0x08,
    kElemLong = 0x0A,
    kElemQuad = 0x10,
    kElemSingle = 0x14,
    kElemDouble = 0x16,
    kElemExtended = 0x18,
    kElemCurrency = 0x1A,
    kElemCurrencyX = 0x1C,
    kElemVariant = 0x22,
    kElemObject = 0x24,
    kElemUdt = 0x28,
    kElemString = 0x2E,
};

// The two end conditions of the dimension probe.
enum class ProbeRule {
    numeric,  // a dimension with bounds 0 TO 0 ends the array
    string,   // a dimension with upper bound 0 ends the array
};

struct ArrayDescriptor {
    uint32_t data_address = 0;
    uint8_t flags = 0;
    bool dimensioned = false;     // flags bit 0x04
    uint8_t type_code = 0;        // informational; exports trust their own type
    uint8_t dimension_count = 0;  // informational; the probe decides
    uint32_t element_count = 0;   // product of all dimensions' element counts
    uint32_t data_size = 0;
    uint32_t element_size = 0;
    std::array<int32_t, kMaxDimensions> lower{};  // index k-1 for dimension k
    std::array<int32_t, kMaxDimensions> upper{};
    // stride[k-1]: elements between neighbours of dimension k; 1 for dimension 1, the stored
    // word (element count of dimensions 1..k-1) for the others.
    std::array<uint32_t, kMaxDimensions> stride{};

    // Bounds of dimension k (1..8); not dimensioned gives 0 and -1. A k outside 1..8 reads as
    // a dimension that was never used (0 and 0).
    int32_t lbound(int k) const;
    int32_t ubound(int k) const;

    // Byte offset of the element from the data address. Nothing when the array is not
    // dimensioned, a subscript lies outside its bounds, there are no or more than 8
    // subscripts, or the descriptor's words would place the element outside the array's
    // element count.
    std::optional<uint64_t> element_offset(std::span<const int32_t> subscripts) const;
    std::optional<uint64_t> element_offset(std::initializer_list<int32_t> subscripts) const {
        return element_offset(std::span<const int32_t>(subscripts.begin(), subscripts.size()));
    }
};

// Decode a descriptor image; bytes missing at the end of a short span read as 0.
ArrayDescriptor decode_descriptor(std::span<const uint8_t> bytes);

// Number of dimensions the dumps work with: for k = 1..4 the first k whose bounds meet the
// rule's end condition gives k - 1; none gives 0.
int dimension_probe(const ArrayDescriptor& d, ProbeRule rule);

// Build the descriptor image of a dimensioned array with the given bounds (lower, upper) per
// dimension (at most 8 are used; none gives the image of an array that is not dimensioned).
// Counts that do not fit 32 bits are stored modulo 2^32, as the field width dictates.
std::array<uint8_t, kDescriptorSize> build_descriptor(uint32_t data_address, uint8_t type_code,
                                                      uint32_t element_size,
                                                      std::span<const std::pair<int32_t, int32_t>> bounds);
inline std::array<uint8_t, kDescriptorSize> build_descriptor(
    uint32_t data_address, uint8_t type_code, uint32_t element_size,
    std::initializer_list<std::pair<int32_t, int32_t>> bounds) {
    return build_descriptor(data_address, type_code, element_size,
                            std::span<const std::pair<int32_t, int32_t>>(bounds.begin(), bounds.size()));
}

}  // namespace qv
