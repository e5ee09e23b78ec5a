// The integer expressions of the templates' "{EXPR}": C operators and precedence over decimal
// and 0x numbers and the names W1, W2, T and C.
#pragma once

#include <string>
#include <string_view>

struct expr_names {
    long long w1 = 0, w2 = 0, type = 0, coding = 0;
};

// False with a reason in error when the text does not parse, names an unknown word, divides by
// zero or shifts outside 0..62.
bool eval_expr(std::string_view text, const expr_names& names, long long& value,
               std::string& error);
