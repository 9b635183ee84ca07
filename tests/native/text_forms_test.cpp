// Text forms of numbers, text rules, TRADHEX and the number/text of a VARIANT.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "core/text_forms.h"
#include "core/variant.h"

namespace {

using namespace qv;

struct StrCase {
    long double value;
    int digits;
    const char* expected;
};

TEST(StrForm, Table) {
    const StrCase cases[] = {
        {0.0L, 15, " 0"},
        {-0.0L, 15, " 0"},
        {-1.0L, 15, "-1"},
        {-5.0L, 15, "-5"},
        {0.5L, 15, " .5"},
        {1.5L, 15, " 1.5"},
        {-0.25L, 15, "-.25"},
        {123.456L, 15, " 123.456"},
        {0.1L, 15, " .1"},
        {static_cast<long double>(0.1), 15, " .1"},
        // Whole numbers: 15 digits fit, 16 digits go to the exponent form.
        {999999999999999.0L, 15, " 999999999999999"},
        {1e15L, 15, " 1E+15"},
        {9999999999999999.0L, 15, " 1E+16"},  // rounding carries into a new digit
        {123456789012345.6L, 15, " 123456789012346"},
        // The exact binary value of a single-precision 0.1, to the last digit.
        {static_cast<long double>(0.1f), 15, " .100000001490116"},
        {static_cast<long double>(0.1f), 18, " .100000001490116119"},
        {static_cast<long double>(0.1f), 0, " .100000001490116119"},
        {static_cast<long double>(0.1f), 40, " .100000001490116119"},
        {static_cast<long double>(0.1f), 7, " .1"},
        {static_cast<long double>(3.14159265f), 7, " 3.141593"},
        {999999999999999999.0L, 18, " 999999999999999999"},
        {1e18L, 18, " 1E+18"},
        // Ties at the n-th digit go to the even neighbour, whatever follows the 5.
        {0.125L, 2, " .12"},
        {0.375L, 2, " .38"},
        {2.5L, 1, " 2"},
        {3.5L, 1, " 4"},
        {-2.5L, 1, "-2"},
        {1.2500001L, 2, " 1.2"},
        {1.2600001L, 2, " 1.3"},
        // Fractions: up to n digits after the point, then the exponent form.
        {1e-15L, 15, " .000000000000001"},
        {1e-16L, 15, " 1E-16"},
        {1.5e-20L, 15, " 1.5E-20"},
        {-2.5e-300L, 15, "-2.5E-300"},
        {1.5e300L, 15, " 1.5E+300"},
        {123456789012345678.0L, 15, " 1.23456789012346E+17"},
        {LDBL_MAX, 15, " 1.18973149535723E+4932"},
        {std::numeric_limits<long double>::denorm_min(), 15, " 3.64519953188247E-4951"},
        {-std::numeric_limits<long double>::infinity(), 15, "-INF"},
        {std::numeric_limits<long double>::infinity(), 15, " INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(str_form(c.value, c.digits), c.expected) << "value " << static_cast<double>(c.value)
                                                             << " digits " << c.digits;
    const std::string nan = str_form(std::numeric_limits<long double>::quiet_NaN());
    EXPECT_FALSE(nan.empty());
}

TEST(StrForm, RightAlignedAndHex) {
    EXPECT_EQ(str_right(5, 4), "   5");
    EXPECT_EQ(str_right(-1, 4), "  -1");
    EXPECT_EQ(str_right(123456, 4), "3456");
    EXPECT_EQ(str_right(12, 9), "       12");
    EXPECT_EQ(hex_upper(0x0D, 2), "0D");
    EXPECT_EQ(hex_upper(0x1234, 2), "34");
    EXPECT_EQ(hex_upper(255, 8), "000000FF");
    EXPECT_EQ(hex_upper(0xFEDCBA9876543210ULL, 16), "FEDCBA9876543210");
    EXPECT_EQ(hex_upper(0xAB, 20), "000000000000000000AB");
}

struct GroupedCase {
    long double value;
    const char* mask;
    const char* expected;
};

TEST(Grouped, Table) {
    const GroupedCase cases[] = {
        {0.5L, ",.##", "0.50"},
        {-0.5L, ",.##", "-.50"},
        {1234.567L, ",.##", "1,234.57"},
        {-1234567.891L, ",.##", "-1,234,567.89"},
        {0.0L, ",.##", "0.00"},
        {1.125L, ",.##", "1.12"},  // exact half: even neighbour
        {1.375L, ",.##", "1.38"},
        {static_cast<long double>(2.675), ",.##", "2.67"},  // binary value lies below the half
        {-0.001L, ",.##", "0.00"},                          // rounds to zero: no sign
        {0.03125L, ",.####", "0.0312"},
        {0.09375L, ",.####", "0.0938"},
        {12345.6789L, ",.####", "12,345.6789"},
        {static_cast<long double>(0.1f), ",.########", "0.10000000"},
        {static_cast<long double>(0.1), ",.################", "0.1000000000000000"},
        {1.0L / 3.0L, ",.##################", "0.333333333333333333"},
        {8.0L, "######, ", "      8 "},
        {1234.0L, "######, ", "  1,234 "},
        {1234567.0L, "######, ", "1,234,567 "},
        {0.0L, "######, ", "      0 "},
        {2.5L, "######, ", "      2 "},
        {3.5L, "######, ", "      4 "},
        {1234567.0L, ",", "1,234,567"},
        {-1234.0L, ",", "-1,234"},
        {999.0L, ",", "999"},
        {1000.0L, ",", "1,000"},
        {0.0L, ",", "0"},
        {-0.4L, ",", "0"},
        {-0.6L, ",", "-1"},
        {18446744073709551615.0L, ",", "18,446,744,073,709,551,615"},
        {4198400.0L, " ,", " 4,198,400"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(grouped(c.value, c.mask), c.expected) << "value " << static_cast<double>(c.value) << " mask \""
                                                        << c.mask << "\"";
    EXPECT_FALSE(grouped(std::numeric_limits<long double>::quiet_NaN(), ",.##").empty());
    EXPECT_EQ(grouped(1e300L, ",").size(), 301u + 100u);  // 301 digits, 100 separators
}

TEST(TextRules, UpperAndBlanks) {
    EXPECT_EQ(upper("abcXYZ 1-z{`"), "ABCXYZ 1-Z{`");
    EXPECT_EQ(upper("\x84\x94\x81\x82\xA4\x86\x87"), "\x8E\x99\x9A\x90\xA5\x8F\x80");
    EXPECT_EQ(upper("\xE4\xFF\x8E"), "\xE4\xFF\x8E");  // other bytes unchanged
    EXPECT_EQ(upper(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_EQ(remove_blanks(" a b\tc \n"), "ab\tc\n");
    EXPECT_EQ(remove_blanks("   "), "");
}

struct NumberCase {
    const char* text;
    long double expected;
};

TEST(NumberOf, Table) {
    const NumberCase cases[] = {
        {"", 0.0L},
        {"abc", 0.0L},
        {"  12", 12.0L},
        {"\t\n 7", 7.0L},
        {"\r5", 0.0L},  // only blanks, tabs and line feeds are skipped
        {"&HFF", 255.0L},
        {"&hff", 255.0L},
        {"&HFFFFFFFF", 4294967295.0L},
        {"&O17", 15.0L},
        {"&q17", 15.0L},
        {"&17", 15.0L},
        {"&8", 0.0L},
        {"&B101", 5.0L},
        {"&b1012", 5.0L},
        {"&H", 0.0L},
        {"&H1G", 1.0L},
        {"-3.5", -3.5L},
        {"+2", 2.0L},
        {".5", 0.5L},
        {"-.25", -0.25L},
        {"5.", 5.0L},
        {"1.2.3", 1.2L},
        {"1E3", 1000.0L},
        {"1d-2", 0.01L},
        {"2.5e+2x", 250.0L},
        {"1E", 1.0L},
        {"1E+", 1.0L},
        {"12abc", 12.0L},
        {"5;9", 5.0L},
        {"- 5", 0.0L},
        {"-", 0.0L},
        {"0.1", 0.1L},
        {"1e99999", LDBL_MAX},
        {"-1e99999", -LDBL_MAX},
        {"1e-99999", 0.0L},
    };
    for (const auto& c : cases)
        EXPECT_EQ(number_of(c.text), c.expected) << "text \"" << c.text << "\"";
    // Very long numbers saturate instead of overflowing.
    EXPECT_EQ(number_of("&H" + std::string(5000, 'F')), LDBL_MAX);
    EXPECT_TRUE(std::isfinite(number_of(std::string(6000, '9'))));
}

TEST(Rounding, EvenAndInt32) {
    const struct {
        long double in;
        long double out;
    } cases[] = {{0.5L, 0.0L}, {1.5L, 2.0L}, {2.5L, 2.0L}, {-0.5L, 0.0L}, {-1.5L, -2.0L},
                 {2.4999L, 2.0L}, {2.5001L, 3.0L}, {-2.6L, -3.0L}, {1e30L, 1e30L}};
    for (const auto& c : cases) EXPECT_EQ(round_even(c.in), c.out) << static_cast<double>(c.in);
    EXPECT_EQ(round_to_i32(std::numeric_limits<long double>::quiet_NaN()), 0);
    EXPECT_EQ(round_to_i32(3e9L), INT32_MAX);
    EXPECT_EQ(round_to_i32(-3e9L), INT32_MIN);
    EXPECT_EQ(round_to_i32(std::numeric_limits<long double>::infinity()), INT32_MAX);
    EXPECT_EQ(round_to_i32(2147483647.4L), INT32_MAX);
    EXPECT_EQ(round_to_i32(-2147483648.5L), INT32_MIN);
    EXPECT_EQ(round_to_i32(-7.5L), -8);
}

struct TradhexCase {
    std::string text;
    const char* range;
    const char* brackets;
    std::string expected;
};

TEST(Tradhex, Table) {
    const TradhexCase cases[] = {
        {"A\r\nB", "", "", "A<0D><0A>B"},
        {"AB", "0;255", "", "<41><42>"},
        {"ABC", " 65 ; 66 ", "[ ; ]", "[41][42]C"},
        {"\x01Z", "5;", "", "<01>Z"},  // range ending with ";" keeps 0..31
        {"\x01Z", "5", "", "<01>Z"},
        {"\x01Z", ";", "", "<01>Z"},
        {"\x01", "", "[;", "<01>"},  // brackets ending with ";" keep "<" ">"
        {"\x01", "", "[]", "<01>"},
        {"\x01", "", "{{ ; }}", "{{01}}"},
        {"\x01", "", ";]", "01]"},
        {"\x01 A", "40;32", "", "\x01 A"},  // low above high converts nothing
        {std::string("\x00\xFF", 2), "-5;300", "", "<00><FF>"},
        {"AB", "&H41;&H41", "", "<41>B"},
        {"ABC", ";66", "", "<41><42>C"},
        {std::string("a\0b", 3), "", "", "a<00>b"},
        {"\x1F\x20", "", "", "<1F> "},
        {"x\x01", "1e99;1e99", "", "x\x01"},
        {"", "0;255", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tradhex(c.text, c.range, c.brackets), c.expected)
            << "range \"" << c.range << "\" brackets \"" << c.brackets << "\"";
}

VariantValue raw(uint16_t type, std::initializer_list<uint8_t> bytes) {
    VariantValue v;
    v.type = type;
    size_t i = 0;
    for (uint8_t b : bytes) v.bytes[i++] = b;
    return v;
}

TEST(Variant, NumberTable) {
    const uint8_t ff = 0xFF;
    const struct {
        VariantValue v;
        long double expected;
    } cases[] = {
        {variant_empty(), 0.0L},
        {variant_string("12"), 0.0L},
        {variant_i32(-5), -5.0L},
        {variant_i32(-1, 10), -1.0L},
        {variant_i32(-1, 11), -1.0L},
        {variant_i32(7, 25), 7.0L},
        {raw(2, {ff, ff, 1, 1}), -1.0L},
        {raw(18, {ff, ff, 1, 1}), 65535.0L},
        {raw(16, {0x80, 1}), -128.0L},
        {raw(17, {0x80, 1}), 128.0L},
        {raw(19, {ff, ff, ff, ff, 1}), 4294967295.0L},
        {raw(20, {ff, ff, ff, ff, ff, ff, ff, ff}), -1.0L},
        {raw(21, {ff, ff, ff, ff, ff, ff, ff, ff}), 18446744073709551615.0L},
        {raw(3, {ff, ff, ff, ff, 5, 5, 5, 5}), -1.0L},
        {raw(4, {0xCD, 0xCC, 0xCC, 0x3D}), static_cast<long double>(0.1f)},
        {variant_double(2.5), 2.5L},
        {raw(7, {0, 0, 0, 0, 0x10, 0xF9, 0xE5, 0x40}), 45000.5L},
        {raw(6, {0x39, 0x30}), 12345.0L / 10000.0L},
        {raw(6, {0xC7, 0xCF, ff, ff, ff, ff, ff, ff}), -12345.0L / 10000.0L},
        {raw(9, {ff, ff, ff, ff, 1, 1, 1, 1}), 4294967295.0L},
        {raw(13, {0x10, 0, 0, 0}), 16.0L},
        {raw(26, {0, 0x10, 0, 0}), 4096.0L},
        {raw(0x2003, {1}), 0.0L},  // array of 32-bit integers
        {raw(0x1011, {1}), 0.0L},  // vector
        {raw(0x8003, {1}), 0.0L},  // reserved flag
        {raw(12, {1}), 0.0L},
        {raw(14, {1}), 0.0L},
        {raw(8, {1}), 0.0L},
    };
    for (const auto& c : cases)
        EXPECT_EQ(variant_number(c.v), c.expected) << "type " << c.v.type;
}

TEST(Variant, Text) {
    EXPECT_EQ(variant_text(variant_string("abc")), "abc");
    EXPECT_EQ(variant_text(variant_empty()), "");
    EXPECT_TRUE(variant_empty().empty());
    EXPECT_EQ(variant_text(variant_i32(8)), "");
    VariantValue arr = variant_string("abc");
    arr.type = 0x2008;
    EXPECT_EQ(variant_text(arr), "");
    EXPECT_EQ(variant_number(arr), 0.0L);
}

}  // namespace
