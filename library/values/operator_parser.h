// Comparison operator texts: normalisation and the operator code.
#pragma once
#include <string>

namespace qv {

// Operator codes 1..6 are the usable comparisons; 7..9 mark an unusable text.
enum OperatorCode : int {
    kOpGreater = 1,       // ">"
    kOpLess = 2,          // "<"
    kOpNotEqual = 3,      // "<" and ">"
    kOpEqual = 4,         // "="
    kOpGreaterEqual = 5,  // ">" and "="
    kOpLessEqual = 6,     // "<" and "="
    kOpAllThree = 7,      // "<", ">" and "=" together
    kOpForeign = 8,       // any other character
    kOpEmpty = 9,         // nothing left
};

// Rewrite `text` in place without blanks (byte 32) and NUL bytes, and return its operator
// code. Order and repetitions do not matter: "=>" and ">=" are both 5.
int operator_parse(std::string& text);

// True for the codes of the six comparisons.
inline bool operator_usable(int code) { return code >= kOpGreater && code <= kOpLessEqual; }

}  // namespace qv
