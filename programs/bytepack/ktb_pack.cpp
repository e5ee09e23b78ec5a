// KtbPack: packs one file of up to 65536 bytes into a KTB stream in a ".ktb" file.
#include "pack_driver.h"
#include "pack_input.h"
#include "variant.h"

int main(int argc, char** argv) {
    const packer_texts texts{"\nTalvik soft: KTB Packer 01", "Use: KtbPack <filename>\n", ".ktb"};
    return run_packer(argc, argv, texts, pack_input<ktb_variant>);
}
