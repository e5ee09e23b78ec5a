; Both Z80 depackers in one program after the user's own org: their labels must not clash.
        org 0x8000
        ld hl,0x9000
        ld de,0xA000
        call depack_t11
        ld hl,0x9100
        call depack_t22
        ret
        include "kta.asm"
        include "ktb.asm"
