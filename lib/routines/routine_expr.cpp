// A recursive descent over the C precedence levels; one function per level keeps each short.
#include "routine_expr.h"

#include <cctype>

namespace {

struct parser {
    std::string_view s;
    size_t pos = 0;
    const expr_names* names = nullptr;
    std::string error;
};

void skip_blanks(parser& p) {
    while (p.pos < p.s.size() && (p.s[p.pos] == ' ' || p.s[p.pos] == '\t')) ++p.pos;
}

// Takes op when it comes next and is not the start of a longer operator in others.
bool take(parser& p, std::string_view op, std::string_view not_followed_by = "") {
    skip_blanks(p);
    if (p.s.substr(p.pos, op.size()) != op) return false;
    const size_t next = p.pos + op.size();
    if (next < p.s.size() && not_followed_by.find(p.s[next]) != std::string_view::npos)
        return false;
    p.pos = next;
    return true;
}

bool fail(parser& p, const std::string& why) {
    if (p.error.empty()) p.error = why;
    return false;
}

bool conditional(parser& p, long long& v);

bool primary(parser& p, long long& v) {
    skip_blanks(p);
    if (take(p, "(")) {
        if (!conditional(p, v)) return false;
        return take(p, ")") || fail(p, "missing )");
    }
    if (p.pos < p.s.size() && std::isdigit(static_cast<unsigned char>(p.s[p.pos]))) {
        int base = 10;
        if (p.s.substr(p.pos, 2) == "0x" || p.s.substr(p.pos, 2) == "0X") {
            base = 16;
            p.pos += 2;
        }
        v = 0;
        size_t digits = 0;
        while (p.pos < p.s.size() && std::isxdigit(static_cast<unsigned char>(p.s[p.pos]))) {
            const char c = char(std::tolower(static_cast<unsigned char>(p.s[p.pos])));
            const int d = c <= '9' ? c - '0' : c - 'a' + 10;
            if (d >= base) return fail(p, "bad number");
            if (v > (1LL << 40)) return fail(p, "number too large");
            v = v * base + d;
            ++p.pos;
            ++digits;
        }
        return digits > 0 || fail(p, "bad number");
    }
    size_t end = p.pos;
    while (end < p.s.size() &&
           (std::isalnum(static_cast<unsigned char>(p.s[end])) || p.s[end] == '_'))
        ++end;
    const std::string_view word = p.s.substr(p.pos, end - p.pos);
    if (word.empty()) return fail(p, "expected a number, a name or (");
    p.pos = end;
    if (word == "W1")
        v = p.names->w1;
    else if (word == "W2")
        v = p.names->w2;
    else if (word == "T")
        v = p.names->type;
    else if (word == "C")
        v = p.names->coding;
    else
        return fail(p, "unknown name " + std::string(word));
    return true;
}

bool unary(parser& p, long long& v) {
    if (take(p, "-")) {
        if (!unary(p, v)) return false;
        v = -v;
        return true;
    }
    if (take(p, "+")) return unary(p, v);
    if (take(p, "~")) {
        if (!unary(p, v)) return false;
        v = ~v;
        return true;
    }
    if (take(p, "!", "=")) {
        if (!unary(p, v)) return false;
        v = !v;
        return true;
    }
    return primary(p, v);
}

bool multiplicative(parser& p, long long& v) {
    if (!unary(p, v)) return false;
    for (;;) {
        const bool mul = take(p, "*"), div = !mul && take(p, "/"),
                   mod = !mul && !div && take(p, "%");
        if (!mul && !div && !mod) return true;
        long long r = 0;
        if (!unary(p, r)) return false;
        if ((div || mod) && r == 0) return fail(p, "division by zero");
        v = mul ? v * r : div ? v / r : v % r;
    }
}

bool additive(parser& p, long long& v) {
    if (!multiplicative(p, v)) return false;
    for (;;) {
        const bool plus = take(p, "+");
        if (!plus && !take(p, "-")) return true;
        long long r = 0;
        if (!multiplicative(p, r)) return false;
        v = plus ? v + r : v - r;
    }
}

bool shift(parser& p, long long& v) {
    if (!additive(p, v)) return false;
    for (;;) {
        const bool left = take(p, "<<");
        if (!left && !take(p, ">>")) return true;
        long long r = 0;
        if (!additive(p, r)) return false;
        if (r < 0 || r > 62) return fail(p, "shift outside 0..62");
        v = left ? (long long)((unsigned long long)v << r) : v >> r;
    }
}

bool relational(parser& p, long long& v) {
    if (!shift(p, v)) return false;
    for (;;) {
        int op = 0;
        if (take(p, "<="))
            op = 1;
        else if (take(p, ">="))
            op = 2;
        else if (take(p, "<", "<"))
            op = 3;
        else if (take(p, ">", ">"))
            op = 4;
        else
            return true;
        long long r = 0;
        if (!shift(p, r)) return false;
        v = op == 1 ? v <= r : op == 2 ? v >= r : op == 3 ? v < r : v > r;
    }
}

bool equality(parser& p, long long& v) {
    if (!relational(p, v)) return false;
    for (;;) {
        const bool eq = take(p, "==");
        if (!eq && !take(p, "!=")) return true;
        long long r = 0;
        if (!relational(p, r)) return false;
        v = eq ? v == r : v != r;
    }
}

bool bit_and(parser& p, long long& v) {
    if (!equality(p, v)) return false;
    while (take(p, "&", "&")) {
        long long r = 0;
        if (!equality(p, r)) return false;
        v &= r;
    }
    return true;
}

bool bit_xor(parser& p, long long& v) {
    if (!bit_and(p, v)) return false;
    while (take(p, "^")) {
        long long r = 0;
        if (!bit_and(p, r)) return false;
        v ^= r;
    }
    return true;
}

bool bit_or(parser& p, long long& v) {
    if (!bit_xor(p, v)) return false;
    while (take(p, "|", "|")) {
        long long r = 0;
        if (!bit_xor(p, r)) return false;
        v |= r;
    }
    return true;
}

// Both sides are always evaluated: the operands have no effects, only errors to report.
bool logical_and(parser& p, long long& v) {
    if (!bit_or(p, v)) return false;
    while (take(p, "&&")) {
        long long r = 0;
        if (!bit_or(p, r)) return false;
        v = v && r;
    }
    return true;
}

bool logical_or(parser& p, long long& v) {
    if (!logical_and(p, v)) return false;
    while (take(p, "||")) {
        long long r = 0;
        if (!logical_and(p, r)) return false;
        v = v || r;
    }
    return true;
}

bool conditional(parser& p, long long& v) {
    if (!logical_or(p, v)) return false;
    if (!take(p, "?")) return true;
    long long a = 0, b = 0;
    if (!conditional(p, a)) return false;
    if (!take(p, ":")) return fail(p, "missing : after ?");
    if (!conditional(p, b)) return false;
    v = v ? a : b;
    return true;
}

} // namespace

bool eval_expr(std::string_view text, const expr_names& names, long long& value,
               std::string& error) {
    parser p;
    p.s = text;
    p.names = &names;
    long long v = 0;
    if (conditional(p, v)) {
        skip_blanks(p);
        if (p.pos == p.s.size()) {
            value = v;
            return true;
        }
        fail(p, "unexpected text");
    }
    error = p.error + " in {" + std::string(text) + "}";
    return false;
}
