// Number and text of a client VARIANT.
#include "core/variant.h"

#include <cstring>
#include <utility>

namespace qv {

namespace {

uint64_t le_bits(const VariantValue& v, int bytes) {
    uint64_t out = 0;
    for (int i = bytes - 1; i >= 0; --i) out = (out << 8) | v.bytes[static_cast<size_t>(i)];
    return out;
}

void put_le(VariantValue& v, uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        v.bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(bits & 0xFF);
        bits >>= 8;
    }
}

}  // namespace

long double variant_number(const VariantValue& v) {
    switch (v.type) {
        case 2:
            return static_cast<int16_t>(le_bits(v, 2));
        case 3:
        case 10:
        case 11:
        case 25:
            return static_cast<int32_t>(le_bits(v, 4));
        case 4: {
            const uint32_t bits = static_cast<uint32_t>(le_bits(v, 4));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            return f;
        }
        case 5:
        case 7: {
            const uint64_t bits = le_bits(v, 8);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        case 6:
            return static_cast<long double>(static_cast<int64_t>(le_bits(v, 8))) / 10000.0L;
        case 16:
            return static_cast<int8_t>(le_bits(v, 1));
        case 17:
            return static_cast<uint8_t>(le_bits(v, 1));
        case 18:
            return static_cast<uint16_t>(le_bits(v, 2));
        case 19:
            return static_cast<uint32_t>(le_bits(v, 4));
        case 20:
            return static_cast<long double>(static_cast<int64_t>(le_bits(v, 8)));
        case 21:
            // The unsigned 64-bit type: read unsigned so values from 2^63 up keep their size.
            return static_cast<long double>(le_bits(v, 8));
        case 9:
        case 13:
        case 26:
            return static_cast<uint32_t>(le_bits(v, 4));
        default:
            // Strings, vectors, arrays, reserved flags and unknown types have no number.
            return 0.0L;
    }
}

std::string variant_text(const VariantValue& v) {
    return v.type == 8 ? v.text : std::string();
}

VariantValue variant_empty() {
    return VariantValue{};
}

VariantValue variant_i32(int32_t value, uint16_t type) {
    VariantValue v;
    v.type = type;
    put_le(v, static_cast<uint32_t>(value), 4);
    return v;
}

VariantValue variant_double(double value) {
    VariantValue v;
    v.type = 5;
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put_le(v, bits, 8);
    return v;
}

VariantValue variant_string(std::string s) {
    VariantValue v;
    v.type = 8;
    v.text = std::move(s);
    return v;
}

}  // namespace qv
