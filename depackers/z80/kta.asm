; KTA depacker for the Z80
; with offsets of one byte.
; In:  HL = packed stream, DE = destination.
; Out: DE = one past the last byte written, HL = one past the end of the stream.
; Destroys AF, BC, HL. Keeps IX, IY and the alternate set. Writes no memory but the output and
; two bytes of stack besides its return address.
; Position independent (relative jumps only); labels start with depack_t11; no self-modifying code.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; with M the margin that KtuPack reports for the stream (M is at least 1: the end mark is read
; after the last byte is written).
; Checked with pasmo 0.5.3 and z80asm 1.8 (the same bytes).

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
