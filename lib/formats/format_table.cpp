#include "format_table.h"

pack_model search_model(int index) {
    pack_model m;
    if (index < 0 || index >= search_model_count) return m;
    m.type = compression_types[index % compression_type_count].type;
    int c = index / compression_type_count;
    for (const offset_coding_row& row : offset_codings) {
        const int count = search_models_of(row);
        if (c >= count) {
            c -= count;
            continue;
        }
        m.coding = row.coding;
        if (row.params == 1) m.offset1 = c + 1;
        if (row.params == 2) {
            m.offset1 = c / row.search_max[1] + 1;
            m.offset2 = c % row.search_max[1] + 1;
        }
        break;
    }
    return m;
}

bool in_search_set(const pack_model& m) {
    const offset_coding_row* row = find_coding(m.coding);
    if (find_type(m.type) == nullptr || row == nullptr) return false;
    const int widths[2] = {m.offset1, m.offset2};
    for (int i = 0; i < 2; ++i) {
        const int most = i < row->params ? row->search_max[i] : 0;
        const int least = i < row->params ? 1 : 0;
        if (widths[i] < least || widths[i] > most) return false;
    }
    return true;
}
