// Text forms of client values. Every number is handled as an 80-bit long double and
// rendered from the exact decimal expansion of its binary value, so the digits never
// depend on the C runtime's printf (which differs between platforms for long double).
#include "core/text_forms.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace qv {

namespace {

// Exact decimal expansion of a finite positive value: value = 0.digits x 10^point.
// digits has no leading and no trailing zeros.
struct Decimal {
    std::string digits;
    int point = 0;
};

// Little-endian base 1e9 natural number, just enough arithmetic for the conversion.
class BigDec {
public:
    explicit BigDec(uint64_t v) {
        do {
            limbs_.push_back(static_cast<uint32_t>(v % kBase));
            v /= kBase;
        } while (v != 0);
    }
    // factor must stay below 2^32 so limb * factor + carry fits in 64 bits.
    void mul(uint32_t factor) {
        uint64_t carry = 0;
        for (auto& limb : limbs_) {
            const uint64_t t = static_cast<uint64_t>(limb) * factor + carry;
            limb = static_cast<uint32_t>(t % kBase);
            carry = t / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }
    std::string str() const {
        std::string out = std::to_string(limbs_.back());
        for (size_t i = limbs_.size() - 1; i-- > 0;) {
            std::string part = std::to_string(limbs_[i]);
            out.append(9 - part.size(), '0');
            out += part;
        }
        return out;
    }

private:
    static constexpr uint64_t kBase = 1000000000u;
    std::vector<uint32_t> limbs_;
};

Decimal exact_decimal(long double v) {
    // v = mant * 2^exp2 with a 64-bit integer mantissa (the x87 format holds exactly 64 bits).
    int e = 0;
    const long double f = std::frexp(v, &e);
    uint64_t mant = static_cast<uint64_t>(std::ldexp(f, 64));
    int exp2 = e - 64;
    while ((mant & 1u) == 0 && exp2 < 0) {
        mant >>= 1;
        ++exp2;
    }

    BigDec big(mant);
    int frac_digits = 0;
    if (exp2 >= 0) {
        int left = exp2;
        while (left >= 29) {
            big.mul(1u << 29);
            left -= 29;
        }
        if (left > 0) big.mul(1u << left);
    } else {
        // mant * 2^-k = mant * 5^k / 10^k
        const int k = -exp2;
        frac_digits = k;
        int left = k;
        while (left >= 13) {
            big.mul(1220703125u);  // 5^13
            left -= 13;
        }
        uint32_t rest = 1;
        while (left-- > 0) rest *= 5;
        if (rest != 1) big.mul(rest);
    }

    Decimal d;
    d.digits = big.str();
    d.point = static_cast<int>(d.digits.size()) - frac_digits;
    const size_t first = d.digits.find_first_not_of('0');
    if (first != std::string::npos && first > 0) {
        d.digits.erase(0, first);
        d.point -= static_cast<int>(first);
    }
    const size_t last = d.digits.find_last_not_of('0');
    if (last != std::string::npos) d.digits.erase(last + 1);
    return d;
}

// Add one to a decimal digit string; returns true when a new leading digit appeared.
bool increment(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

std::string special_text(long double v) {
    if (std::isnan(v)) return "NAN";
    return "INF";
}

std::string with_separators(const std::string& digits) {
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 99;
}

long double saturate(long double v) {
    if (v > LDBL_MAX) return LDBL_MAX;
    if (v < -LDBL_MAX) return -LDBL_MAX;
    return v;
}

}  // namespace

long double round_even(long double v) {
    if (!std::isfinite(v)) return v;
    // Done by hand so a changed FPU rounding mode in the client cannot alter the result.
    const long double fl = std::floor(v);
    const long double diff = v - fl;  // exact for x87 values
    if (diff > 0.5L) return fl + 1.0L;
    if (diff < 0.5L) return fl;
    return std::fmod(fl, 2.0L) == 0.0L ? fl : fl + 1.0L;
}

int32_t round_to_i32(long double v) {
    if (std::isnan(v)) return 0;
    const long double r = round_even(v);
    if (r >= 2147483647.0L) return INT32_MAX;
    if (r <= -2147483648.0L) return INT32_MIN;
    return static_cast<int32_t>(r);
}

std::string str_form(long double v, int digits) {
    const int n = (digits <= 0 || digits > 18) ? 18 : digits;
    const bool negative = std::signbit(v) && v != 0.0L;
    std::string out(1, negative ? '-' : ' ');
    if (!std::isfinite(v)) return out + special_text(v);
    if (v == 0.0L) return out + "0";

    Decimal d = exact_decimal(std::fabs(v));
    if (static_cast<int>(d.digits.size()) > n) {
        // Only the digit after the n-th decides; a 5 goes to the even neighbour.
        const char next = d.digits[static_cast<size_t>(n)];
        d.digits.resize(static_cast<size_t>(n));
        const bool odd = ((d.digits.back() - '0') & 1) != 0;
        if (next > '5' || (next == '5' && odd)) {
            if (increment(d.digits)) {
                ++d.point;
                d.digits.pop_back();
            }
        }
        const size_t last = d.digits.find_last_not_of('0');
        d.digits.erase(last + 1);
    }

    const int m = static_cast<int>(d.digits.size());
    const int p = d.point;
    if (p >= m) {
        if (p <= n) return out + d.digits + std::string(static_cast<size_t>(p - m), '0');
    } else if (m - p <= n) {
        if (p > 0) return out + d.digits.substr(0, static_cast<size_t>(p)) + "." + d.digits.substr(static_cast<size_t>(p));
        return out + "." + std::string(static_cast<size_t>(-p), '0') + d.digits;
    }

    out += d.digits[0];
    if (m > 1) out += "." + d.digits.substr(1);
    const int exp10 = p - 1;
    out += exp10 < 0 ? "E-" : "E+";
    std::string e = std::to_string(exp10 < 0 ? -exp10 : exp10);
    if (e.size() < 2) e.insert(0, "0");
    return out + e;
}

std::string str_right(long double v, int width) {
    std::string s = str_form(v);
    if (width <= 0) return {};
    const size_t w = static_cast<size_t>(width);
    if (s.size() < w) return std::string(w - s.size(), ' ') + s;
    return s.substr(s.size() - w);
}

std::string hex_upper(uint64_t v, int digits) {
    if (digits <= 0) return {};
    static const char kHex[] = "0123456789ABCDEF";
    std::string out(static_cast<size_t>(digits), '0');
    for (size_t i = out.size(); i-- > 0 && v != 0;) {
        out[i] = kHex[v & 0xF];
        v >>= 4;
    }
    return out;
}

std::string grouped(long double v, std::string_view mask) {
    // Mask layout: literal prefix, digit field made of '#', ',' and '.', literal suffix.
    const auto in_field = [](char c) { return c == '#' || c == ',' || c == '.'; };
    size_t start = 0;
    while (start < mask.size() && !in_field(mask[start])) ++start;
    size_t end = start;
    while (end < mask.size() && in_field(mask[end])) ++end;
    const std::string_view prefix = mask.substr(0, start);
    const std::string_view field = mask.substr(start, end - start);
    const std::string_view suffix = mask.substr(end);

    bool separators = false;
    bool seen_point = false;
    int decimals = 0;
    for (char c : field) {
        if (c == '.') {
            seen_point = true;
        } else if (!seen_point) {
            if (c == ',') separators = true;
        } else if (c == '#') {
            ++decimals;
        }
    }

    std::string body;
    bool negative = std::signbit(v) && v != 0.0L;
    if (!std::isfinite(v)) {
        body = special_text(v);
    } else {
        // Digits of |v| * 10^decimals, rounded to an integer.
        std::string scaled;
        if (v != 0.0L) {
            const Decimal d = exact_decimal(std::fabs(v));
            const int keep = d.point + decimals;
            if (keep >= static_cast<int>(d.digits.size())) {
                scaled = d.digits + std::string(static_cast<size_t>(keep - static_cast<int>(d.digits.size())), '0');
            } else if (keep >= 0) {
                scaled = d.digits.substr(0, static_cast<size_t>(keep));
                const char first_dropped = d.digits[static_cast<size_t>(keep)];
                // digits has no trailing zeros, so a lone dropped 5 is exactly one half.
                const bool more = static_cast<int>(d.digits.size()) > keep + 1;
                const bool odd = !scaled.empty() && ((scaled.back() - '0') & 1) != 0;
                if (first_dropped > '5' || (first_dropped == '5' && (more || odd))) {
                    if (scaled.empty()) scaled = "0";
                    increment(scaled);
                }
            }
            // keep < 0: below a tenth of the last place, rounds to zero.
        }
        const size_t nz = scaled.find_first_not_of('0');
        scaled = nz == std::string::npos ? std::string() : scaled.substr(nz);
        // A value that rounds to zero is written as zero, without a sign.
        if (scaled.empty()) negative = false;
        if (scaled.size() < static_cast<size_t>(decimals) + 1)
            scaled.insert(0, static_cast<size_t>(decimals) + 1 - scaled.size(), '0');
        std::string int_part = scaled.substr(0, scaled.size() - static_cast<size_t>(decimals));
        const std::string frac_part = scaled.substr(int_part.size());
        if (int_part == "0" && negative) {
            int_part.clear();  // the minus sign takes the place of the zero
        } else if (separators) {
            int_part = with_separators(int_part);
        }
        body = int_part;
        if (seen_point) body += "." + frac_part;
    }
    if (negative) body.insert(0, "-");
    if (body.size() < field.size()) body.insert(0, field.size() - body.size(), ' ');
    return std::string(prefix) + body + std::string(suffix);
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        const unsigned char c = static_cast<unsigned char>(ch);
        unsigned char u = c;
        if (c >= 'a' && c <= 'z') {
            u = static_cast<unsigned char>(c - 32);
        } else {
            switch (c) {
                case 0x84: u = 0x8E; break;
                case 0x94: u = 0x99; break;
                case 0x81: u = 0x9A; break;
                case 0x82: u = 0x90; break;
                case 0xA4: u = 0xA5; break;
                case 0x86: u = 0x8F; break;
                case 0x87: u = 0x80; break;
                default: break;
            }
        }
        ch = static_cast<char>(u);
    }
    return out;
}

std::string remove_blanks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ') out += c;
    return out;
}

long double number_of(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
    if (i >= s.size()) return 0.0L;

    if (s[i] == '&') {
        ++i;
        int base = 8;
        if (i < s.size()) {
            switch (s[i]) {
                case 'H': case 'h': base = 16; ++i; break;
                case 'O': case 'o': case 'Q': case 'q': base = 8; ++i; break;
                case 'B': case 'b': base = 2; ++i; break;
                default: break;
            }
        }
        long double value = 0.0L;
        for (; i < s.size(); ++i) {
            const int d = digit_value(s[i]);
            if (d >= base) break;
            value = saturate(value * base + d);
        }
        return value;
    }

    // Collect the decimal number in a clean form and let strtold round it once, correctly.
    std::string clean;
    if (s[i] == '+' || s[i] == '-') clean += s[i++];
    bool any_digit = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            clean += c;
            any_digit = true;
        } else if (c == '.' && !point) {
            clean += c;
            point = true;
        } else {
            break;
        }
    }
    if (!any_digit) return 0.0L;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        bool exp_negative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp_negative = s[j++] == '-';
        long exp = 0;
        bool exp_digit = false;
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j) {
            exp_digit = true;
            if (exp < 100000) exp = exp * 10 + (s[j] - '0');  // far beyond any finite value
        }
        if (exp_digit) clean += "E" + std::string(exp_negative ? "-" : "") + std::to_string(exp);
    }
    if (clean.front() == '.' || ((clean.front() == '+' || clean.front() == '-') && clean.size() > 1 && clean[1] == '.'))
        clean.insert(clean.front() == '.' ? 0 : 1, "0");
    errno = 0;
    const long double value = std::strtold(clean.c_str(), nullptr);
    if (!std::isfinite(value)) return clean.front() == '-' ? -LDBL_MAX : LDBL_MAX;
    return saturate(value);
}

std::string tradhex(std::string_view text, std::string_view range, std::string_view brackets) {
    int low = 0;
    int high = 31;
    if (!range.empty()) {
        const std::string r = remove_blanks(range);
        const size_t semi = r.find(';');
        if (semi != std::string::npos && semi + 1 < r.size()) {
            low = round_to_i32(number_of(std::string_view(r).substr(0, semi)));
            if (low < 0) low = 0;
            high = round_to_i32(number_of(std::string_view(r).substr(semi + 1)));
            if (high > 255) high = 255;
        }
    }
    std::string open = "<";
    std::string close = ">";
    if (!brackets.empty()) {
        const std::string b = remove_blanks(brackets);
        const size_t semi = b.find(';');
        if (semi != std::string::npos && semi + 1 < b.size()) {
            open = b.substr(0, semi);
            close = b.substr(semi + 1);
        }
    }
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const int code = static_cast<unsigned char>(ch);
        if (code >= low && code <= high) {
            out += open;
            out += hex_upper(static_cast<uint64_t>(code), 2);
            out += close;
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace qv
