#include "arrays/range_list.h"

#include <string>
#include <string_view>

#include "core/text_forms.h"

namespace qv {

namespace {

RangeList invalid() { return RangeList{RangeList::Kind::invalid, {}}; }

// Sign and digits as the number of a text reads them; a digit run beyond the 32-bit range
// saturates rather than wrapping.
int32_t subscript_of(std::string_view text) { return round_to_i32(number_of(text)); }

}  // namespace

RangeList parse_range_list(const VariantValue& v) {
    if (v.type == 0) return {};
    if (v.type != 8) return invalid();
    const std::string text = remove_blanks(v.text);
    if (text.empty()) return {};

    RangeList out{RangeList::Kind::list, {}};
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        if (out.fields.size() == size_t(kMaxRangeFields)) return invalid();
        std::string_view field = std::string_view(text).substr(start, comma == std::string::npos ? std::string::npos
                                                                                                 : comma - start);
        if (field.find_first_not_of("0123456789:-+") != std::string_view::npos) return invalid();
        const size_t colon = field.find(':');
        if (colon != std::string_view::npos && field.find(':', colon + 1) != std::string_view::npos)
            return invalid();
        RangeField f;
        if (!field.empty()) {
            if (colon == std::string_view::npos) return invalid();
            if (colon > 0) {
                f.lower_given = true;
                f.lower = subscript_of(field.substr(0, colon));
            }
            if (colon + 1 < field.size()) {
                f.upper_given = true;
                f.upper = subscript_of(field.substr(colon + 1));
            }
        }
        out.fields.push_back(f);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return out;
}

bool check_dimension_count(RangeList& list, int dimensions) {
    if (list.kind == RangeList::Kind::list && int64_t(list.fields.size()) != dimensions) {
        list.kind = RangeList::Kind::invalid;
        list.fields.clear();
    }
    return list.kind != RangeList::Kind::invalid;
}

DimensionWindow resolve_window(const RangeField& r, int32_t lb, int32_t ub) {
    DimensionWindow w{lb, ub};
    if (r.lower_given && r.lower >= lb && r.lower <= ub && (!r.upper_given || r.lower <= r.upper)) w.from = r.lower;
    if (r.upper_given && r.upper >= lb && r.upper <= ub && (!r.lower_given || r.upper >= r.lower)) w.to = r.upper;
    return w;
}

}  // namespace qv
