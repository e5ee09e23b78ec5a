// The formats' facts in one table: each compression type with its label, its first raw byte
// and its grammar; each offset coding with its label, its widths and their limits, the widths
// the search set tries, and how its offsets are read and coded. Whatever lists the types or the
// codings reads them here, so that a new type is a grammar and a row.
#pragma once

#include <cstdint>

#include "bit_formats.h"
#include "byte_formats.h"
#include "item_code.h"
#include "ktr_format.h"
#include "offset_codings.h"
#include "pack_model.h"

// How a type's tokens are read and coded, everything but the offset. Each coder gives false
// when the grammar has no form for the value.
struct token_grammar {
    token_head (*read_head)(stream_cursor& cur);
    bool (*code_literal_head)(uint32_t length, item_code& code);
    bool (*code_sequence_head)(uint32_t length, item_code& code);
    bool (*code_end_mark)(item_code& code);
    // A repeat sequence (the last offset again); code_no_repeat for the types without one.
    bool (*code_repeat_head)(uint32_t length, item_code& code);
};

constexpr bool code_no_repeat(uint32_t, item_code&) { return false; }

struct compression_type_row {
    int type;          // the number models and name tags give it
    const char* label; // as the listing's header and KtuPack's -v lines print it
    bool first_byte;   // the stream starts with one raw byte, the first of the output
    // Two literal runs never follow each other: a writer joins them into one.
    bool joined_runs;
    token_grammar grammar;
};

// The rows in type order, from 1: a type's number is its place.
inline constexpr compression_type_row compression_types[] = {
    {type_kta,
     "KTA",
     false,
     false,
     {read_kta_token, code_kta_literal, code_kta_sequence, code_byte_end_mark, code_no_repeat}},
    {type_ktb,
     "KTB",
     false,
     false,
     {read_ktb_token, code_ktb_literal, code_ktb_sequence, code_byte_end_mark, code_no_repeat}},
    {type_zx7,
     "ZX7",
     true,
     false,
     {read_zx7_token, code_zx7_literal, code_zx7_sequence, code_zx7_end_mark, code_no_repeat}},
    {type_blk,
     "BLK",
     false,
     false,
     {read_blk_token, code_blk_literal, code_blk_sequence, code_blk_end_mark, code_no_repeat}},
    {type_ts1,
     "TS1",
     true,
     false,
     {read_ts1_token, code_ts1_literal, code_ts1_sequence, code_ts1_end_mark, code_no_repeat}},
    {type_ktr,
     "KTR",
     true,
     true,
     {read_ktr_token, code_ktr_literal, code_ktr_sequence, code_ktr_end_mark, code_ktr_repeat}},
};
inline constexpr int compression_type_count =
    static_cast<int>(sizeof compression_types / sizeof compression_types[0]);

// Whether the type has repeat sequences, whose cost depends on the tokens before them.
constexpr bool has_repeats(const compression_type_row& row) {
    return row.grammar.code_repeat_head != code_no_repeat;
}

// What the listing's header gives the label's conversions: nothing, the widths (offset1, then
// offset2), or the value widths of coding 4's four classes (offset1 times 1 to 4).
enum class label_values : uint8_t { none, widths, class_widths };

struct offset_coding_row {
    int coding;        // the number models and name tags give it
    const char* label; // printf format of the listing's header text, taking four unsigned values
    label_values values;
    int params;        // widths the coding takes: 0, 1 (offset1) or 2 (offset1 and offset2)
    int width_max;     // each width is 1 to this for a stream KtuPack writes
    int search_max[2]; // the search set tries offset1 and offset2 from 1 to these
    // A zero offset is an error (the byte codings); under the others a zero can only be the
    // gamma coding's overlong code, which the reader passes on.
    bool zero_fails;
    uint32_t (*read)(stream_cursor& cur, const pack_model& model);
    // Gives false when the coding has no form for the offset under the model's widths.
    bool (*code)(const pack_model& model, uint32_t offset, item_code& code);
};

// The rows in the order the search set takes them: the codings without widths first.
inline constexpr offset_coding_row offset_codings[] = {
    {coding_one_byte,
     "offset 1 byte",
     label_values::none,
     0,
     0,
     {0, 0},
     true,
     read_offset_1byte,
     code_offset_1byte},
    {coding_two_bytes,
     "offset 2 bytes",
     label_values::none,
     0,
     0,
     {0, 0},
     true,
     read_offset_2bytes,
     code_offset_2bytes},
    {coding_gamma,
     "elias-gama offset",
     label_values::none,
     0,
     0,
     {0, 0},
     false,
     read_offset_gamma,
     code_offset_gamma},
    {coding_classes,
     "4 offs: %u %u %u %u",
     label_values::class_widths,
     1,
     7,
     {7, 0},
     false,
     read_offset_classes,
     code_offset_classes},
    {coding_fixed,
     "fixed offset %2u",
     label_values::widths,
     1,
     30,
     {16, 0},
     false,
     read_offset_fixed,
     code_offset_fixed},
    {coding_two,
     "two offsets %2u %u",
     label_values::widths,
     2,
     30,
     {15, 16},
     false,
     read_offset_two,
     code_offset_two},
};
inline constexpr int offset_coding_count =
    static_cast<int>(sizeof offset_codings / sizeof offset_codings[0]);

// Name tags write a type and a coding as one digit each.
inline constexpr int max_format_number = 9;

constexpr const compression_type_row* find_type(int type) {
    if (type < 1 || type > compression_type_count) return nullptr;
    return &compression_types[type - 1];
}

constexpr const offset_coding_row* find_coding(int coding) {
    for (const offset_coding_row& row : offset_codings)
        if (row.coding == coding) return &row;
    return nullptr;
}

// Models the search set tries under a coding: the product of its search widths.
constexpr int search_models_of(const offset_coding_row& row) {
    int count = 1;
    for (int i = 0; i < row.params; ++i) count *= row.search_max[i];
    return count;
}

constexpr int count_search_codings() {
    int count = 0;
    for (const offset_coding_row& row : offset_codings) count += search_models_of(row);
    return count;
}

// The search set of -b: every type with every coding at every width up to its search_max
// (1,596 models).
inline constexpr int search_coding_count = count_search_codings();
inline constexpr int search_model_count = compression_type_count * search_coding_count;

// Model index of the set: the types in a row for each coding and widths, the codings in row
// order, offset2 counting fastest.
pack_model search_model(int index);
// Whether the set holds the model: a type of the table, a coding, and its widths (none other
// than those it takes) within the search widths.
bool in_search_set(const pack_model& model);

namespace format_table_checks {
constexpr bool types_in_place() {
    for (int i = 0; i < compression_type_count; ++i)
        if (compression_types[i].type != i + 1) return false;
    return compression_type_count <= max_format_number;
}
constexpr bool codings_sound() {
    for (const offset_coding_row& row : offset_codings) {
        if (row.coding < 1 || row.coding > max_format_number || find_coding(row.coding) != &row)
            return false;
        if (row.params < 0 || row.params > 2) return false;
        for (int i = 0; i < row.params; ++i)
            if (row.search_max[i] < 1 || row.search_max[i] > row.width_max) return false;
    }
    return true;
}
static_assert(types_in_place(), "types are numbered 1 to N in row order");
static_assert(codings_sound(), "one row per coding number, search widths within the limits");
} // namespace format_table_checks
