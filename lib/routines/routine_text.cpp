// One pass over the template's lines: a stack of open conditions decides which lines are kept,
// and each kept line has "@" and "{EXPR}" replaced. Errors name the template's line.
#include "routine_text.h"

#include <algorithm>
#include <cctype>

#include "format_table.h"
#include "routine_expr.h"

namespace {

// Widths the coding takes; 0 for a coding the table does not have (no routine is made for it).
int param_count(int coding) { return std::max(offset_param_count(coding), 0); }

struct open_if {
    bool parent_on = true; // the lines around the block are kept
    bool taken = false;    // a branch of this block has been kept already
    bool on = false;       // the current branch is kept
    bool had_else = false;
};

constexpr int max_depth = 32;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

expr_names names_of(const pack_model_desc& m) {
    expr_names names;
    names.type = m.type;
    names.coding = m.coding;
    names.w1 = param_count(m.coding) >= 1 ? m.offset1 : 0;
    names.w2 = param_count(m.coding) >= 2 ? m.offset2 : 0;
    return names;
}

// True when COND holds for the model: every kind of word present must match. A word "{EXPR}"
// (a width test) holds when the expression is not 0.
bool eval_cond(std::string_view cond, const pack_model_desc& m, bool& value, std::string& why) {
    bool negate = false;
    size_t i = 0;
    while (i < cond.size() && is_blank(cond[i])) ++i;
    if (i < cond.size() && cond[i] == '!') {
        negate = true;
        ++i;
    }
    bool any_t = false, any_o = false, match_t = false, match_o = false;
    bool any_x = false, match_x = false;
    while (i < cond.size()) {
        if (is_blank(cond[i])) {
            ++i;
            continue;
        }
        if (cond[i] == '{') {
            const size_t close = cond.find('}', i);
            if (close == std::string_view::npos) {
                why = "{ without }";
                return false;
            }
            long long v = 0;
            if (!eval_expr(cond.substr(i + 1, close - i - 1), names_of(m), v, why)) return false;
            any_x = true;
            match_x = match_x || v != 0;
            i = close + 1;
            continue;
        }
        size_t e = i;
        while (e < cond.size() && !is_blank(cond[e])) ++e;
        const std::string_view w = cond.substr(i, e - i);
        i = e;
        bool digits = w.size() >= 2;
        int n = 0;
        for (size_t k = 1; k < w.size() && digits; ++k) {
            digits = std::isdigit(static_cast<unsigned char>(w[k])) != 0 && n < 1000;
            n = n * 10 + (w[k] - '0');
        }
        if (!digits || (w[0] != 't' && w[0] != 'o')) {
            why = "bad condition word ";
            why += w;
            return false;
        }
        if (w[0] == 't') {
            any_t = true;
            match_t = match_t || n == m.type;
        } else {
            any_o = true;
            match_o = match_o || n == m.coding;
        }
    }
    if (!any_t && !any_o && !any_x) {
        why = "empty condition";
        return false;
    }
    value = (!any_t || match_t) && (!any_o || match_o) && (!any_x || match_x);
    if (negate) value = !value;
    return true;
}

// "@" to the entry name, "{EXPR}" to its decimal value.
bool substitute(std::string_view line, const std::string& entry, const expr_names& names,
                std::string& out, std::string& why) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '@') {
            out += entry;
        } else if (line[i] == '{') {
            const size_t close = line.find('}', i);
            if (close == std::string_view::npos) {
                why = "{ without }";
                return false;
            }
            long long v = 0;
            if (!eval_expr(line.substr(i + 1, close - i - 1), names, v, why)) return false;
            out += std::to_string(v);
            i = close;
        } else {
            out += line[i];
        }
    }
    return true;
}

// Handles a ";#" directive line; false with a reason when it is malformed or misplaced.
bool directive(std::string_view text, const pack_model_desc& m, open_if* stack, int& depth,
               std::string& why) {
    size_t e = 0;
    while (e < text.size() && std::isalpha(static_cast<unsigned char>(text[e]))) ++e;
    const std::string_view word = text.substr(0, e), rest = text.substr(e);
    bool value = false;
    if (word == "if") {
        if (depth == max_depth) {
            why = "conditions nested too deep";
            return false;
        }
        if (!eval_cond(rest, m, value, why)) return false;
        const bool parent = depth == 0 || stack[depth - 1].on;
        stack[depth++] = {parent, value, parent && value, false};
        return true;
    }
    if (depth == 0) {
        why.assign(";#").append(word).append(" without ;#if");
        return false;
    }
    open_if& top = stack[depth - 1];
    if (word == "elif" || word == "else") {
        if (top.had_else) {
            why.assign(";#").append(word).append(" after ;#else");
            return false;
        }
        if (word == "elif") {
            if (!eval_cond(rest, m, value, why)) return false;
        } else {
            for (char c : rest)
                if (!is_blank(c) && c != '\r') {
                    why = "text after ;#else";
                    return false;
                }
            value = true;
            top.had_else = true;
        }
        top.on = top.parent_on && !top.taken && value;
        top.taken = top.taken || value;
        return true;
    }
    if (word == "endif") {
        --depth;
        return true;
    }
    why.assign("unknown directive ;#").append(word);
    return false;
}

} // namespace

bool routine_model_known(target_cpu cpu, const pack_model_desc& m) {
    return in_search_set({m.type, m.coding, m.offset1, m.offset2}) &&
           !routine_template(cpu, m.type).empty();
}

std::string routine_entry_name(const pack_model_desc& m) {
    if (!in_search_set({m.type, m.coding, m.offset1, m.offset2})) return {};
    std::string s = "depack_t";
    s += std::to_string(m.type);
    s += std::to_string(m.coding);
    for (int k = 0; k < param_count(m.coding); ++k) {
        s += 'o';
        s += std::to_string(k == 0 ? m.offset1 : m.offset2);
    }
    return s;
}

bool specialise_routine(std::string_view template_text, const pack_model_desc& m, std::string& out,
                        std::string& error) {
    out.clear();
    error.clear();
    const std::string entry = routine_entry_name(m);
    if (entry.empty() || template_text.empty()) {
        error = "no routine for this model";
        return false;
    }
    const expr_names names = names_of(m);
    open_if stack[max_depth];
    int depth = 0;
    size_t start = 0;
    int line_no = 0;
    while (start < template_text.size()) {
        size_t end = template_text.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = template_text.size();
        const std::string_view line = template_text.substr(start, end - start);
        start = end + 1;
        ++line_no;
        size_t b = 0;
        while (b < line.size() && is_blank(line[b])) ++b;
        const std::string_view text = line.substr(b);
        std::string why;
        if (text.substr(0, 2) == ";#") {
            if (!directive(text.substr(2), m, stack, depth, why)) {
                error.assign("line ").append(std::to_string(line_no)).append(": ").append(why);
                return false;
            }
            continue;
        }
        if (depth > 0 && !stack[depth - 1].on) continue;
        if (text.substr(0, 2) == ";;") continue;
        if (!substitute(line, entry, names, out, why)) {
            error.assign("line ").append(std::to_string(line_no)).append(": ").append(why);
            return false;
        }
        if (!last) out += '\n';
    }
    if (depth != 0) {
        error = ";#if without ;#endif at the end";
        return false;
    }
    return true;
}
