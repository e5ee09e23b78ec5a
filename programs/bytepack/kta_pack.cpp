// KtaPack: packs one file of up to 65536 bytes into a KTA stream in a ".kta" file.
#include "pack_driver.h"
#include "pack_input.h"
#include "variant.h"

int main(int argc, char** argv) {
    const packer_texts texts{"\nTalvik soft: KTA Packer 01", "Use: KtaPack <filename>\n", ".kta"};
    return run_packer(argc, argv, texts, pack_input<kta_variant>);
}
