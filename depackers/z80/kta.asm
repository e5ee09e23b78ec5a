; KTA depacker for the Z80,
; offsets of one byte (KtuPack model -t11).
; In:  HL = packed stream, DE = destination.
; Out: DE = one past the last byte written, HL = one past the end of the stream.
; Destroys AF, BC, HL. Keeps IX, IY and the alternate set. Writes no memory but the output and
; two bytes of stack besides its return address.
; Size: 27 bytes. Speed: 27.6 T-states per output byte on the test corpus (LDIR: 21).
; Labels start with depack_t11.
; Position independent (relative jumps only); no self-modifying code.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, a sequence 2 - its length).
; Checked with pasmo 0.5.3 and z80asm 1.8, which give the same bytes.

depack_t11:
        ld b,0                  ; and 0 again after every ldir
depack_t11_token:
        ld a,(hl)
        inc hl
        srl a                   ; count, with the sequence flag in carry; 0x00 ends
        ret z
        ld c,a
        jr c,depack_t11_sequence
        ldir                    ; literal run
        jr depack_t11_token
depack_t11_sequence:
        ld a,e                  ; HL = DE - offset; B = 0 carries the borrow
        sub (hl)
        inc hl
        push hl
        ld l,a
        ld a,d
        sbc a,b
        ld h,a
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
        jr depack_t11_token
