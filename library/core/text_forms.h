// Text forms of client values: the number and string renderings every message line uses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// Round to the nearest integer, ties to the even neighbour (80-bit arithmetic).
long double round_even(long double v);
// round_even, then clamped into the 32-bit signed range.
int32_t round_to_i32(long double v);

// STR form with n significant digits (0 or more than 18 means 18): leading blank or "-".
std::string str_form(long double v, int digits = 15);
// STR form preceded by blanks and cut to its last w characters.
std::string str_right(long double v, int width);
// Upper-case hexadecimal in d digits (zero padded on the left, or cut to the last d digits).
std::string hex_upper(uint64_t v, int digits);
// Grouped decimal form for the masks ",.##", ",.####", ",.########", ",.################",
// ",.##################", "######, ", "," and " ,".
std::string grouped(long double v, std::string_view mask);

// a-z and the code page 437 lower-case letters to upper case; other bytes unchanged.
std::string upper(std::string_view s);
// Remove every byte 32 (tabs and other white space stay).
std::string remove_blanks(std::string_view s);
// The number of a text: "&H"/"&O"/"&Q"/"&B" forms, sign, digits, ".", "E"/"D" exponent.
long double number_of(std::string_view s);

// Control characters to visible codes; empty range/brackets keep the defaults 0..31 and "<" ">".
std::string tradhex(std::string_view text, std::string_view range = {}, std::string_view brackets = {});

}  // namespace qv
