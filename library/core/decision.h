// First-match decisions on a bit word: the window, file and attention-stop decisions are
// ordered rule tables of this kind.
#pragma once
#include <cstdint>
#include <initializer_list>

namespace qv {

struct BitRule {
    uint32_t mask;
    bool all;     // every bit of the mask must be set (else any bit will do)
    bool result;
};

inline bool first_rule(uint32_t word, std::initializer_list<BitRule> rules, bool otherwise) {
    for (const BitRule& r : rules)
        if (r.all ? (word & r.mask) == r.mask : (word & r.mask) != 0) return r.result;
    return otherwise;
}

}  // namespace qv
