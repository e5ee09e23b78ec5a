// KtbPack or KtaPack with the plain candidate walk, for measuring the fast walk against it.
// Built twice, once per variant (PLAIN_KTA picks KTA); same texts, output and report.
#include "pack_driver.h"
#include "pack_input.h"
#include "variant.h"

int main(int argc, char** argv) {
#ifdef PLAIN_KTA
    const packer_texts texts{"\nTalvik soft: KTA Packer 01", "Use: KtaPack <filename>\n", ".kta"};
    return run_packer(argc, argv, texts, pack_input_plain<kta_variant>);
#else
    const packer_texts texts{"\nTalvik soft: KTB Packer 01", "Use: KtbPack <filename>\n", ".ktb"};
    return run_packer(argc, argv, texts, pack_input_plain<ktb_variant>);
#endif
}
