// Dimension range lists ("12:29", "8:13,0:3", ...) and the dimension windows they give.
#pragma once
#include <cstdint>
#include <vector>

#include "core/variant.h"

namespace qv {

// One field of a range list: the requested lower and upper subscripts, each possibly left out.
struct RangeField {
    int32_t lower = 0;
    int32_t upper = 0;
    bool lower_given = false;
    bool upper_given = false;
};

struct RangeList {
    enum class Kind { none, list, invalid };
    Kind kind = Kind::none;
    std::vector<RangeField> fields;  // one per dimension, only for Kind::list
};

// At most this many fields (dimensions) are accepted.
inline constexpr int kMaxRangeFields = 3;

// Parse the range-list VARIANT: empty → none; a type other than string → invalid; a string
// that is empty after blank removal → none. Numbers beyond the 32-bit range are clamped to it.
RangeList parse_range_list(const VariantValue& v);

// A given list must have one field per dimension of the array; otherwise it becomes invalid.
// Returns false when the list is (or has become) invalid.
bool check_dimension_count(RangeList& list, int dimensions);

struct DimensionWindow {
    int32_t from = 0;
    int32_t to = -1;
};

// The window of one dimension with bounds lb..ub. A side that is not given, lies outside the
// bounds or would invert the window falls back to the dimension's own bound. Pass a
// default RangeField when there is no list.
DimensionWindow resolve_window(const RangeField& requested, int32_t lb, int32_t ub);

}  // namespace qv
