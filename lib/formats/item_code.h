// Every item of a packed stream as the fields it is written in, in the order the reader takes
// them: whole bytes and bit fields. The stream writer writes these fields and the packers' cost
// tables add them up, so a parse's cost and the written stream's size come from one place.
// The grammars and codings (format_table.h) build their items from the fields here.
#pragma once

#include <cstdint>

#include "pack_model.h"

// A whole byte (control or offset byte, 8 bits in read order) or a bit field of 0..32 bits,
// first bit most significant.
struct code_field {
    uint32_t value = 0;
    uint8_t bits = 0;
    bool whole = false;
};

// Enough for the longest item: a TS1 head (prefix, gamma zeros and value) and a coding 6 offset.
inline constexpr int max_code_fields = 8;

struct item_code {
    code_field field[max_code_fields];
    int count = 0;
};

// Bits the item takes in the stream, whole bytes counted as 8.
int item_bits(const item_code& code);

// Each gives false (code left partly filled) when the grammar or coding has no form for the
// value, or the type or coding is none of the table's; otherwise appends the item's fields.
// The head of a literal run of length bytes; the bytes themselves follow it whole.
bool code_literal_head(int type, uint32_t length, item_code& code);
// The head of a sequence of this length, without its offset.
bool code_sequence_head(int type, uint32_t length, item_code& code);
// A sequence's offset under the model's coding and widths.
bool code_offset(const pack_model& model, uint32_t offset, item_code& code);
bool code_end_mark(int type, item_code& code);
// The head of a repeat sequence (the last offset, none coded); KTR only.
bool code_repeat_head(int type, uint32_t length, item_code& code);

// The fields the grammars and codings are made of; false when the item has no room left.
bool add_bits(item_code& code, uint32_t value, int bits);
bool add_byte(item_code& code, uint32_t value); // the low 8 bits, whole
// An Elias gamma value (1..65535) with at least extra value bits after the leading 1.
bool code_gamma(uint32_t value, int extra, item_code& code);
// The shortest gamma code the reader calls overlong, with extra value bits taken as read.
bool code_overlong_gamma(int extra, item_code& code);

// Whether the writers have a form for the model: a type of the table, and each width its
// coding takes between 1 and the coding's limit (7 for coding 4, 30 for codings 5 and 6).
bool model_is_packable(const pack_model& model);
