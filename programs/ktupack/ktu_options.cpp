#include "ktu_options.h"

#include <cstdlib>

#include "format_table.h"
#include "item_code.h"

namespace {

// Reads a width's digits at text[at..); false when there are none or too many to mean a width.
bool read_width(const std::string& text, size_t& at, int& width) {
    size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9' && end - at < 4) ++end;
    if (end == at || (end < text.size() && text[end] >= '0' && text[end] <= '9')) return false;
    width = std::atoi(text.substr(at, end - at).c_str());
    at = end;
    return true;
}

// "1 to 5": the table numbers its types from 1 in row order.
std::string type_numbers() { return "1 to " + std::to_string(compression_type_count); }

// "1, 2, 4, 5, 6, 7": the coding numbers in increasing order.
std::string coding_numbers() {
    std::string list;
    for (int c = 0; c <= max_format_number; ++c) {
        if (find_coding(c) == nullptr) continue;
        if (!list.empty()) list += ", ";
        list += std::to_string(c);
    }
    return list;
}

} // namespace

std::string read_model_tag(const std::string& text, pack_model& model) {
    std::string option = "-t";
    option += text;
    model = pack_model{};
    if (text.size() < 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return option + ": not a model (write it as a name tag: -t35o4, -t56o4o12, -t17)";
    model.type = text[0] - '0';
    model.coding = text[1] - '0';
    if (first_byte_flag(model.type) < 0)
        return option + ": compression type " + text.substr(0, 1) + " is not one of " +
               type_numbers();
    const int params = offset_param_count(model.coding);
    if (params < 0)
        return option + ": offset coding " + text.substr(1, 1) + " is not one of " +
               coding_numbers();
    size_t at = 2;
    int widths[2] = {0, 0};
    for (int i = 0; i < params; ++i) {
        if (at >= text.size())
            return option + ": offset coding " + text.substr(1, 1) +
                   (params == 1 ? " needs a width (as in -t35o4)"
                                : " needs two widths (as in -t56o4o12)");
        if (text[at] != 'o' || !read_width(text, ++at, widths[i]))
            return option + ": not a model (write it as a name tag: -t35o4, -t56o4o12, -t17)";
        if (widths[i] == 0) return option + ": a width of 0";
    }
    if (at != text.size())
        return option + ": not a model (write it as a name tag: -t35o4, -t56o4o12, -t17)";
    model.offset1 = widths[0];
    model.offset2 = widths[1];
    const int widest = find_coding(model.coding)->width_max;
    for (int i = 0; i < params; ++i)
        if (widths[i] > widest)
            return option + ": a width of " + std::to_string(widths[i]) + " is over " +
                   std::to_string(widest) + " for offset coding " + text.substr(1, 1);
    if (!model_is_packable(model)) return option + ": not a model the formats have";
    return "";
}

ktu_args read_ktu_args(int argc, char** argv, ktu_run& run) {
    ktu_args a;
    if (argc < 2) {
        a.outcome = ktu_args_outcome::usage_fail;
        return a;
    }
    ktu_file_job next; // the settings the next file gets
    int groups = 0;
    bool named_output = false;
    bool options_ended = false; // after "--" every argument is a file, "-x.bin" included
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!options_ended && arg == "--") {
            options_ended = true;
            continue;
        }
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            next.name = arg;
            run.files.push_back(next);
            next.output.clear();
            continue;
        }
        if (arg == "-h") {
            a.outcome = ktu_args_outcome::usage_ok;
            return a;
        }
        if (arg == "-V") {
            a.outcome = ktu_args_outcome::version;
            return a;
        }
        a.outcome = ktu_args_outcome::refused;
        if (arg == "-b") {
            next.search = true;
            next.group = 0;
        } else if (arg == "-B") {
            next.search = true;
            next.group = ++groups;
        } else if (arg == "-rz80") {
            next.cpu = ktu_cpu::z80;
        } else if (arg == "-r6502") {
            next.cpu = ktu_cpu::m6502;
        } else if (arg == "-v") {
            next.verbose = true;
        } else if (arg == "-q") {
            next.quiet = true;
        } else if (arg == "-f") {
            next.force = true;
        } else if (arg == "-o") {
            if (i + 1 >= argc) {
                a.message = "-o needs the name of an output file";
                return a;
            }
            next.output = argv[++i];
            named_output = true;
        } else if (arg.compare(0, 2, "-t") == 0) {
            a.message = read_model_tag(arg.substr(2), next.model);
            if (!a.message.empty()) return a;
            next.search = false;
            next.group = 0;
        } else {
            a.message = std::string("unknown option ").append(arg);
            return a;
        }
        a.outcome = ktu_args_outcome::run;
    }
    a.outcome = ktu_args_outcome::refused;
    if (run.files.empty()) {
        a.message = "no input files";
    } else if (named_output && run.files.size() > 1) {
        a.message = std::string("-o names the output of one file, but ")
                        .append(std::to_string(run.files.size()))
                        .append(" files are given");
    } else if (!next.output.empty()) {
        a.message =
            std::string("-o ").append(next.output).append(" is not followed by a file to pack");
    } else {
        a.outcome = ktu_args_outcome::run;
    }
    return a;
}
