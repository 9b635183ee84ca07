// A client VARIANT after the shell has followed its by-reference chain.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qv {

struct VariantValue {
    // Type code with the by-reference flag already resolved (flags 0x1000/0x2000/0x8000 are kept).
    uint16_t type = 0;
    // The 8-byte value field (little-endian), for the resolved value.
    std::array<uint8_t, 8> bytes{};
    // For type 8 (string): the text converted to the ANSI code page.
    std::string text;

    bool empty() const { return type == 0; }
};

// Number of a VARIANT (0 for strings, vectors, arrays and unknown types).
long double variant_number(const VariantValue& v);
// Text of a VARIANT: only type 8 gives text.
std::string variant_text(const VariantValue& v);

// Builders, used by tests and the shell.
VariantValue variant_empty();
VariantValue variant_i32(int32_t v, uint16_t type = 3);
VariantValue variant_double(double v);
VariantValue variant_string(std::string s);

}  // namespace qv
