; KTB depacker for the Z80,
; offsets of one or two bytes (KtuPack model -t22).
; In:  HL = packed stream, DE = destination.
; Out: DE = one past the last byte written, HL = one past the end of the stream.
; Destroys AF, BC, HL. Keeps IX, IY and the alternate set. Writes no memory but the output and
; four bytes of stack besides its return address.
; Size: 51 bytes. Speed: 32.1 T-states per output byte on the test corpus (LDIR: 21).
; Labels start with depack_t22.
; Position independent (relative jumps only); no self-modifying code.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, or +2 above 63 bytes; a sequence
; its 2 to 4 bytes - its length).
; Checked with pasmo 0.5.3 and z80asm 1.8, which give the same bytes.

depack_t22:
        ld b,0                  ; and 0 again after every ldir
depack_t22_token:
        ld a,(hl)
        inc hl
        or a
        ret z                   ; 0x00 ends
        ld c,a
        and 63                  ; count, or its high bits; also clears carry for the sbc below
        bit 7,c
        jr z,depack_t22_short_count
        ld b,a                  ; long count: high bits here, low byte next
        ld a,(hl)
        inc hl
depack_t22_short_count:
        bit 6,c
        ld c,a                  ; BC = count; ld keeps the flag of bit 6
        jr nz,depack_t22_sequence
        ldir                    ; literal run
        jr depack_t22_token
depack_t22_sequence:
        push bc
        ld c,(hl)
        inc hl
        ld b,0
        bit 7,c
        jr z,depack_t22_short_offset
        res 7,c                 ; long offset: high part first
        ld b,c
        ld c,(hl)
        inc hl
depack_t22_short_offset:
        ex (sp),hl              ; stream position kept, count in HL
        push hl
        ld h,d
        ld l,e
        sbc hl,bc
        pop bc
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
        jr depack_t22_token
