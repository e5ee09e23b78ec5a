// The phases run one after another over the shared tables; the first failing one ends it.
#include "pack_input.h"

#include "forward_pass.h"
#include "path_recovery.h"
#include "variant.h"

namespace {

template <class V>
int after_forward_pass(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig) {
    if (int s = unreverse(t, n)) return s;
    if (int s = optimize_pass_1<V>(t, n)) return s;
    if (int s = optimize_pass_2<V>(t, n)) return s;
    return emit_tokens<V>(t, in, n, out, fig);
}

} // namespace

template <class V>
int pack_input(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig) {
    if (int s = forward_pass<V>(t, in, n)) return s;
    return after_forward_pass<V>(t, in, n, out, fig);
}

template <class V>
int pack_input_plain(pack_tables& t, const uint8_t* in, int n, uint8_t* out, emit_figures& fig) {
    if (int s = forward_pass_plain<V>(t, in, n)) return s;
    return after_forward_pass<V>(t, in, n, out, fig);
}

template int pack_input<ktb_variant>(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);
template int pack_input<kta_variant>(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);
template int pack_input_plain<ktb_variant>(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);
template int pack_input_plain<kta_variant>(pack_tables&, const uint8_t*, int, uint8_t*, emit_figures&);
