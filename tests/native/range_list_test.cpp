#include "arrays/descriptor.h"
#include "arrays/range_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using qv::ArrayDescriptor;
using qv::ProbeRule;
using qv::RangeField;
using qv::RangeList;
using Bounds = std::vector<std::pair<int32_t, int32_t>>;

ArrayDescriptor make(const Bounds& b, uint32_t elem_size = 4, uint32_t address = 0x00401000) {
    auto image = qv::build_descriptor(address, qv::kElemLong, elem_size, b);
    return qv::decode_descriptor(image);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// ---------------------------------------------------------------- descriptors

TEST(Descriptor, DecodesHandWrittenImage) {
    // DIM a(2 TO 4, -1 TO 0) AS INTEGER at 0x12345678, laid out byte by byte.
    std::vector<uint8_t> b(qv::kDescriptorSize, 0);
    put32(b, 0, 0x12345678);
    b[4] = 0x04 | 0x01;  // other flag bits are the client's business
    b[5] = 1;
    b[6] = qv::kElemInteger;
    b[7] = 2;
    put32(b, 8, 6);
    put32(b, 12, 12);
    put32(b, 20, 2);
    put32(b, 24, 2);
    put32(b, 28, 4);
    put32(b, 32, 3);  // stride of dimension 2
    put32(b, 36, uint32_t(-1));
    put32(b, 40, 0);
    const ArrayDescriptor d = qv::decode_descriptor(b);
    EXPECT_EQ(d.data_address, 0x12345678u);
    EXPECT_TRUE(d.dimensioned);
    EXPECT_EQ(d.type_code, qv::kElemInteger);
    EXPECT_EQ(d.element_size, 2u);
    EXPECT_EQ(d.lbound(1), 2);
    EXPECT_EQ(d.ubound(1), 4);
    EXPECT_EQ(d.lbound(2), -1);
    EXPECT_EQ(d.ubound(2), 0);
    EXPECT_EQ(d.stride[1], 3u);
    EXPECT_EQ(d.lbound(3), 0);
    EXPECT_EQ(d.ubound(3), 0);
    EXPECT_EQ(d.element_offset({3, 0}), std::optional<uint64_t>((1 + 3 * 1) * 2));
    // The builder writes the same image.
    auto built = qv::build_descriptor(0x12345678, qv::kElemInteger, 2, {{2, 4}, {-1, 0}});
    b[4] = 0x04;
    EXPECT_EQ(std::vector<uint8_t>(built.begin(), built.end()), b);
}

TEST(Descriptor, NotDimensionedHasNoElements) {
    auto image = qv::build_descriptor(0x1000, qv::kElemLong, 4, {{1, 5}});
    image[4] &= uint8_t(~0x04);
    const ArrayDescriptor d = qv::decode_descriptor(image);
    EXPECT_FALSE(d.dimensioned);
    EXPECT_EQ(d.lbound(1), 0);
    EXPECT_EQ(d.ubound(1), -1);
    EXPECT_FALSE(d.element_offset({1}).has_value());
    EXPECT_EQ(qv::dimension_probe(d, ProbeRule::numeric), 0);
    EXPECT_EQ(qv::dimension_probe(d, ProbeRule::string), 0);
}

TEST(Descriptor, ShortSpanReadsMissingBytesAsZero) {
    const auto full = qv::build_descriptor(0xAABBCCDD, qv::kElemLong, 4, {{0x01020304, 0x05060708}, {1, 2}});
    // Cut inside the upper bound of dimension 1: only its two low bytes remain.
    const std::vector<uint8_t> part(full.begin(), full.begin() + 30);
    const ArrayDescriptor d = qv::decode_descriptor(part);
    EXPECT_EQ(d.data_address, 0xAABBCCDDu);
    EXPECT_TRUE(d.dimensioned);
    EXPECT_EQ(d.lbound(1), 0x01020304);
    EXPECT_EQ(d.ubound(1), 0x0708);
    EXPECT_EQ(d.lbound(2), 0);
    EXPECT_EQ(d.ubound(2), 0);
    EXPECT_EQ(d.stride[1], 0u);

    const ArrayDescriptor none = qv::decode_descriptor(std::span<const uint8_t>());
    EXPECT_FALSE(none.dimensioned);
    EXPECT_EQ(none.data_address, 0u);
}

TEST(Descriptor, ElementOffsetsFollowTheElementOrder) {
    const Bounds b{{-1, 1}, {5, 7}, {3, 5}};
    const ArrayDescriptor d = make(b, 10);
    std::set<uint64_t> seen;
    for (int32_t s3 = 3; s3 <= 5; ++s3)
        for (int32_t s2 = 5; s2 <= 7; ++s2)
            for (int32_t s1 = -1; s1 <= 1; ++s1) {
                const uint64_t ordinal = 1 + (s1 + 1) + 3 * (s2 - 5) + 9 * (s3 - 3);
                const auto off = d.element_offset({s1, s2, s3});
                ASSERT_TRUE(off.has_value());
                EXPECT_EQ(*off, (ordinal - 1) * 10);
                seen.insert(*off);
            }
    EXPECT_EQ(seen.size(), 27u);
    // Fewer subscripts than dimensions address the first plane.
    EXPECT_EQ(d.element_offset({1}), std::optional<uint64_t>(20));
}

TEST(Descriptor, ElementOffsetRefusesEverythingOutside) {
    const ArrayDescriptor d = make({{-1, 1}, {5, 7}, {3, 5}});
    const std::vector<std::vector<int32_t>> outside = {
        {-2, 5, 3}, {2, 5, 3}, {0, 4, 3}, {0, 8, 3}, {0, 6, 2}, {0, 6, 6},
        {INT32_MIN, 5, 3}, {INT32_MAX, 5, 3},
        {0, 5, 3, 1},                    // dimension 4 is 0 TO 0
        {0, 5, 3, 0, 0, 0, 0, 0, 0},     // nine subscripts
        {},
    };
    for (const auto& s : outside) EXPECT_FALSE(d.element_offset(s).has_value()) << s.size();
    EXPECT_TRUE(d.element_offset({0, 5, 3, 0, 0, 0, 0, 0}).has_value());
}

TEST(Descriptor, DamagedStrideCannotLeaveTheArray) {
    auto image = qv::build_descriptor(0x1000, qv::kElemLong, 4, {{0, 9}, {0, 9}});
    const uint32_t stride_words[] = {0xFFFFFFFFu, 11u, 50u};
    for (uint32_t w : stride_words) {
        for (size_t i = 0; i < 4; ++i) image[32 + i] = uint8_t(w >> (8 * i));
        const ArrayDescriptor d = qv::decode_descriptor(image);
        for (int32_t s2 = 0; s2 <= 9; ++s2)
            for (int32_t s1 = 0; s1 <= 9; ++s1) {
                const auto off = d.element_offset({s1, s2});
                if (off) EXPECT_LT(*off, 100u * 4u) << w << ' ' << s1 << ' ' << s2;
            }
        EXPECT_FALSE(d.element_offset({9, 9}).has_value()) << w;
    }
}

struct ProbeCase {
    Bounds bounds;
    int numeric;
    int string;
};

TEST(Descriptor, DimensionProbe) {
    const ProbeCase cases[] = {
        {{{0, 10}}, 1, 1},
        {{{1, 5}, {-2, 0}}, 2, 1},            // upper bound 0 ends a string array
        {{{-1, 1}, {5, 7}, {3, 5}}, 3, 3},
        {{{0, 0}}, 0, 0},
        {{{-3, 0}}, 1, 0},
        {{{1, 2}, {0, 0}}, 1, 1},
        {{{1, 2}, {1, 2}, {1, 2}, {1, 2}}, 0, 0},  // four dimensions: no end found
        {{{1, 2}, {1, 2}, {1, 2}, {0, 0}, {1, 2}}, 3, 3},
    };
    for (const auto& c : cases) {
        const ArrayDescriptor d = make(c.bounds);
        EXPECT_EQ(qv::dimension_probe(d, ProbeRule::numeric), c.numeric) << c.bounds.size();
        EXPECT_EQ(qv::dimension_probe(d, ProbeRule::string), c.string) << c.bounds.size();
    }
}

// ---------------------------------------------------------------- range lists

struct ListCase {
    qv::VariantValue value;
    RangeList::Kind kind;
    std::vector<RangeField> fields;
};

bool same(const RangeField& a, const RangeField& b) {
    return a.lower_given == b.lower_given && a.upper_given == b.upper_given &&
           (!a.lower_given || a.lower == b.lower) && (!a.upper_given || a.upper == b.upper);
}

TEST(RangeList, Parses) {
    using K = RangeList::Kind;
    const RangeField whole{};
    auto both = [](int32_t l, int32_t u) { return RangeField{l, u, true, true}; };
    auto low = [](int32_t l) { return RangeField{l, 0, true, false}; };
    auto up = [](int32_t u) { return RangeField{0, u, false, true}; };
    const std::string many_digits(5000, '9');
    const ListCase cases[] = {
        {qv::variant_empty(), K::none, {}},
        {qv::variant_i32(3), K::invalid, {}},
        {qv::variant_double(1.5), K::invalid, {}},
        {qv::variant_string(""), K::none, {}},
        {qv::variant_string("   "), K::none, {}},
        {qv::variant_string("12:29"), K::list, {both(12, 29)}},
        {qv::variant_string("8:13,0:3"), K::list, {both(8, 13), both(0, 3)}},
        {qv::variant_string("1:4,5:7,23:25"), K::list, {both(1, 4), both(5, 7), both(23, 25)}},
        {qv::variant_string("-1:-1,5:6,3:3"), K::list, {both(-1, -1), both(5, 6), both(3, 3)}},
        {qv::variant_string(" 1 : 4 , 5:7 "), K::list, {both(1, 4), both(5, 7)}},
        {qv::variant_string("1:4,5:7,23:25,1:2"), K::invalid, {}},
        {qv::variant_string(",,,"), K::invalid, {}},
        {qv::variant_string("1:4;5:7"), K::invalid, {}},
        {qv::variant_string("1:4:5"), K::invalid, {}},
        {qv::variant_string("7"), K::invalid, {}},
        {qv::variant_string("1:4,7"), K::invalid, {}},
        {qv::variant_string("1.5:4"), K::invalid, {}},
        {qv::variant_string("1:\t4"), K::invalid, {}},
        {qv::variant_string(","), K::list, {whole, whole}},
        {qv::variant_string(":"), K::list, {whole}},
        {qv::variant_string("5:"), K::list, {low(5)}},
        {qv::variant_string(":3"), K::list, {up(3)}},
        {qv::variant_string("-3:"), K::list, {low(-3)}},
        {qv::variant_string("+7:+8"), K::list, {both(7, 8)}},
        {qv::variant_string("3-4:"), K::list, {low(3)}},
        {qv::variant_string("-:--2"), K::list, {both(0, 0)}},
        {qv::variant_string("99999999999:-99999999999"), K::list, {both(INT32_MAX, INT32_MIN)}},
        {qv::variant_string(many_digits + ":-" + many_digits), K::list, {both(INT32_MAX, INT32_MIN)}},
        {qv::variant_string("2147483647:-2147483648"), K::list, {both(INT32_MAX, INT32_MIN)}},
    };
    for (const auto& c : cases) {
        const RangeList r = qv::parse_range_list(c.value);
        const std::string what = c.value.text.substr(0, 40) + " type " + std::to_string(c.value.type);
        EXPECT_EQ(r.kind, c.kind) << what;
        ASSERT_EQ(r.fields.size(), c.fields.size()) << what;
        for (size_t i = 0; i < c.fields.size(); ++i) EXPECT_TRUE(same(r.fields[i], c.fields[i])) << what << " #" << i;
    }
}

TEST(RangeList, FieldCountMustMatchTheDimensions) {
    RangeList two = qv::parse_range_list(qv::variant_string(","));
    EXPECT_TRUE(qv::check_dimension_count(two, 2));
    EXPECT_EQ(two.kind, RangeList::Kind::list);
    EXPECT_FALSE(qv::check_dimension_count(two, 1));
    EXPECT_EQ(two.kind, RangeList::Kind::invalid);

    RangeList none = qv::parse_range_list(qv::variant_empty());
    EXPECT_TRUE(qv::check_dimension_count(none, 0));
    EXPECT_TRUE(qv::check_dimension_count(none, 3));
    RangeList bad = qv::parse_range_list(qv::variant_i32(3));
    EXPECT_FALSE(qv::check_dimension_count(bad, 1));
}

// ---------------------------------------------------------------- windows

struct WindowCase {
    const char* list;  // one field
    int32_t lb, ub, from, to;
};

TEST(RangeWindow, ResolvesAgainstTheBounds) {
    const WindowCase cases[] = {
        {":", 12, 29, 12, 29},     {"0:20", 12, 29, 12, 20},  {"12:50", 12, 29, 12, 29},
        {"30:40", 12, 29, 12, 29}, {"25:20", 12, 29, 12, 29}, {"14:17", 12, 29, 14, 17},
        {"5:", 1, 10, 5, 10},      {":3", 1, 10, 1, 3},       {"-3:", -5, 5, -3, 5},
        {"7:7", 1, 10, 7, 7},      {"99999999999:", 1, 10, 1, 10}, {":-99999999999", 1, 10, 1, 10},
    };
    for (const auto& c : cases) {
        const RangeList r = qv::parse_range_list(qv::variant_string(c.list));
        ASSERT_EQ(r.fields.size(), 1u) << c.list;
        const auto w = qv::resolve_window(r.fields[0], c.lb, c.ub);
        EXPECT_EQ(w.from, c.from) << c.list;
        EXPECT_EQ(w.to, c.to) << c.list;
    }
    const auto whole = qv::resolve_window(RangeField{}, -4, 6);
    EXPECT_EQ(whole.from, -4);
    EXPECT_EQ(whole.to, 6);
}

TEST(RangeWindow, NeverEmptyNorOutsideTheBounds) {
    const int32_t lb = 0, ub = 5;
    for (int mask = 0; mask < 4; ++mask)
        for (int32_t l = -3; l <= 8; ++l)
            for (int32_t u = -3; u <= 8; ++u) {
                const RangeField f{l, u, (mask & 1) != 0, (mask & 2) != 0};
                const auto w = qv::resolve_window(f, lb, ub);
                EXPECT_LE(lb, w.from);
                EXPECT_LE(w.from, w.to);
                EXPECT_LE(w.to, ub);
            }
}

TEST(RangeWindow, BlockOfAThreeDimensionalArray) {
    const ArrayDescriptor d = make({{-1, 1}, {5, 7}, {3, 5}});
    RangeList r = qv::parse_range_list(qv::variant_string("-1:-1,5:6,3:3"));
    ASSERT_TRUE(qv::check_dimension_count(r, qv::dimension_probe(d, ProbeRule::numeric)));
    std::vector<std::vector<int32_t>> shown;
    qv::DimensionWindow w[3];
    for (int k = 0; k < 3; ++k) w[k] = qv::resolve_window(r.fields[size_t(k)], d.lbound(k + 1), d.ubound(k + 1));
    for (int32_t s3 = w[2].from; s3 <= w[2].to; ++s3)
        for (int32_t s2 = w[1].from; s2 <= w[1].to; ++s2)
            for (int32_t s1 = w[0].from; s1 <= w[0].to; ++s1) {
                EXPECT_TRUE(d.element_offset({s1, s2, s3}).has_value());
                shown.push_back({s1, s2, s3});
            }
    EXPECT_EQ(shown, (std::vector<std::vector<int32_t>>{{-1, 5, 3}, {-1, 6, 3}}));
}

}  // namespace
