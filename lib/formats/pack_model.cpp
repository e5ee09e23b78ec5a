#include "pack_model.h"

#include "format_table.h"

int first_byte_flag(int type) {
    const compression_type_row* row = find_type(type);
    if (row == nullptr) return -1;
    return row->first_byte ? 1 : 0;
}

int offset_param_count(int coding) {
    const offset_coding_row* row = find_coding(coding);
    return row == nullptr ? -1 : row->params;
}
