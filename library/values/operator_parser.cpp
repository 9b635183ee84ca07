#include "values/operator_parser.h"

#include <algorithm>

namespace qv {

int operator_parse(std::string& text) {
    std::erase(text, ' ');
    std::erase(text, '\0');
    if (text.empty()) return kOpEmpty;
    int code = 0;
    for (char c : text) {
        switch (c) {
        case '>': code |= 1; break;
        case '<': code |= 2; break;
        case '=': code |= 4; break;
        default: return kOpForeign;
        }
    }
    return code;
}

}  // namespace qv
