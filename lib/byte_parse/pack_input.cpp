// The phases run one after another over the shared tables; the first failing one ends it.
#include "pack_input.h"

#include "forward_pass.h"
#include "path_recovery.h"
#include "variant.h"

template <class V>
pack_status pack_after_forward_pass(pack_tables& t, const uint8_t* in, int n, uint8_t* out,
                                    emit_figures& fig) {
    if (pack_status s = unreverse(t, n); failed(s)) return s;
    if (pack_status s = optimize_pass_1<V>(t, n); failed(s)) return s;
    if (pack_status s = optimize_pass_2<V>(t, n); failed(s)) return s;
    return write_path<V>(t, in, n, out, fig);
}

template <class V>
pack_status pack_input(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig) {
    if (pack_status s = forward_pass<V>(t, in, n); failed(s)) return s;
    return pack_after_forward_pass<V>(t, in, n, out, fig);
}

template pack_status pack_after_forward_pass<ktb_variant>(pack_tables&, const uint8_t*, int,
                                                          uint8_t*, emit_figures&);
template pack_status pack_after_forward_pass<kta_variant>(pack_tables&, const uint8_t*, int,
                                                          uint8_t*, emit_figures&);
template pack_status pack_input<ktb_variant>(pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
template pack_status pack_input<kta_variant>(pack_tables&, const uint8_t*, int, uint8_t*,
                                             emit_figures&);
