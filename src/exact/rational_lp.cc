#include "exact/rational_lp.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

#include "form/documented_form.h"

namespace lpsens::exact {

namespace {

// A decimal text (digits, a point, an exponent) as an exact rational.
mpq_class decimal_value(const std::string& text) {
    std::string digits;
    long exponent = 0;
    bool negative = false, point = false;
    std::size_t k = 0;
    if (k < text.size() && (text[k] == '-' || text[k] == '+')) negative = text[k++] == '-';
    for (; k < text.size() && text[k] != 'e' && text[k] != 'E'; ++k) {
        if (text[k] == '.') {
            point = true;
        } else {
            digits += text[k];
            if (point) --exponent;
        }
    }
    if (k < text.size()) exponent += std::stol(text.substr(k + 1));
    mpz_class whole(digits.empty() ? "0" : digits, 10);
    mpq_class q(whole);
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 10, static_cast<unsigned long>(exponent < 0 ? -exponent : exponent));
    if (exponent >= 0) q *= power;
    else q /= power;
    q.canonicalize();
    return negative ? mpq_class(-q) : q;
}

Bound bound_of(const Problem& model, Extended v) {
    if (std::isinf(v)) return std::nullopt;
    return value_in(model, v);
}

}  // namespace

mpq_class value_in(const Problem& model, Extended v) {
    return model.binary_values ? binary_value(v) : rational_of(v, model.native);
}

mpq_class binary_value(Extended value) {
    int exponent = 0;
    const Extended fraction = std::frexp(value, &exponent);  // value = fraction 2^exponent, |fraction| in [1/2, 1)
    // The 64-bit significand as a whole number below 2^64.
    const auto whole = static_cast<std::uint64_t>(std::ldexp(std::fabs(fraction), 64));
    static_assert(sizeof(unsigned long) == sizeof(std::uint64_t));
    mpq_class q{mpz_class(static_cast<unsigned long>(whole))};
    const int shift = exponent - 64;
    if (shift >= 0) mpq_mul_2exp(q.get_mpq_t(), q.get_mpq_t(), static_cast<unsigned long>(shift));
    else mpq_div_2exp(q.get_mpq_t(), q.get_mpq_t(), static_cast<unsigned long>(-shift));
    return fraction < 0 ? mpq_class(-q) : q;
}

mpq_class rational_of(Extended value, bool binary) {
    if (binary) {
        // The stored 6-byte value, a binary fraction.
        mpq_class q;
        mpq_set_d(q.get_mpq_t(), narrowed(value).value);
        return q;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return decimal_value(std::string(buffer, result.ptr));
}

RationalLp rational_lp(const Problem& model) {
    RationalLp lp;
    lp.rows = model.row_count();
    lp.cols = model.column_count();
    lp.maximise = model.maximise;
    lp.offset = value_in(model, model.constant);
    lp.columns.resize(lp.cols);
    for (int j = 0; j < lp.cols; ++j) {
        const ProblemColumn& c = model.columns[j];
        lp.cost.push_back(value_in(model, c.cost));
        lp.col_lower.push_back(bound_of(model, c.lower));
        lp.col_upper.push_back(bound_of(model, c.upper));
        std::map<int, mpq_class> sum;
        model.matrix.for_each(j, [&](int row, Extended value) { sum[row] += value_in(model, value); });
        for (auto& [row, value] : sum)
            if (value != 0) lp.columns[j].push_back({row, value});
    }
    for (int i = 0; i < lp.rows; ++i) {
        const ProblemRow& row = model.rows[i];
        const mpq_class rhs = value_in(model, row.rhs);
        const mpq_class range = row.ranged ? abs(value_in(model, row.range)) : mpq_class(0);
        Bound lower, upper;
        switch (row.type) {
            case 'L':
                upper = rhs;
                if (row.ranged) lower = rhs - range;
                break;
            case 'G':
                lower = rhs;
                if (row.ranged) upper = rhs + range;
                break;
            default:
                lower = upper = rhs;
                if (row.ranged) {
                    if (row.range > 0) upper = rhs + range;
                    else lower = rhs - range;
                }
        }
        lp.row_lower.push_back(lower);
        lp.row_upper.push_back(upper);
        lp.rhs.push_back(rhs);
    }
    return lp;
}

double nearest_double(const mpq_class& q) {
    const int sign = sgn(q);
    if (sign == 0) return 0.0;
    const double toward = q.get_d();  // rounded toward zero
    if (std::isinf(toward)) return toward;
    const double away = std::nextafter(toward, sign * HUGE_VAL);
    // Beyond the largest double: infinite from halfway to the next power of
    // two on (a tie goes there too, the largest's significand being odd).
    const mpq_class far = std::isinf(away) ? mpq_class(toward) + sign * mpq_class(std::ldexp(1.0, 970)) * 2
                                           : mpq_class(away);
    const mpq_class below = abs(q - toward), above = abs(far - q);
    if (below != above) return below < above ? toward : away;
    std::uint64_t bits = 0;
    std::memcpy(&bits, &toward, sizeof bits);
    return (bits & 1) == 0 ? toward : away;
}

std::string text_of(const mpq_class& q) { return q.get_str(); }

}  // namespace lpsens::exact
