;; The Z80 depackers of every model: compression types t1..t5 (KTA, KTB, ZX7, BLK, TS1) with
;; offset codings o1, o2, o4..o7. KtuPack and kt_routine_text write one model's routine from
;; this template: a ";#if" line keeps the lines up to its ";#elif", ";#else" or ";#endif" for
;; the types and codings it names, "@" becomes the entry label, and "{...}" the value of an
;; expression over the widths W1, W2 (0 when the coding has none), the type T and the coding C.
;; Lines like this one are the template's own notes.
;;
;; Registers throughout: HL the stream, DE the output, BC a count, A the bit buffer (a bit
;; byte shifted left with a marker 1 below its unread bits; 128 when empty) in every model
;; that reads bits. Sequences push DE and take the offset in DE, so that the copy is
;; "ex (sp),hl / push hl / sbc hl,de / pop de / ldir / pop hl".
;;
;; ---------------------------------------------------------------- the datasheet
;#if t1
; KTA depacker for the Z80
;#elif t2
; KTB depacker for the Z80
;#elif t3
; ZX7 depacker for the Z80
;#elif t4
; BLK depacker for the Z80
;#else
; TS1 depacker for the Z80
;#endif
;#if o1
; with offsets of one byte.
;#elif o2
; with offsets of one or two bytes.
;#elif o4
; with offsets in four classes of {W1}, {2*W1}, {3*W1} and {4*W1} bits.
;#elif o5
; with offsets of {W1} bits.
;#elif o6
; with offsets of {W1} bits (after a 1) or {W2} bits (after a 0).
;#else
; with Elias gamma offsets.
;#endif
; In:  HL = packed stream, DE = destination.
; Out: DE = one past the last byte written, HL = one past the end of the stream.
; Destroys AF, BC, HL. Keeps IX, IY and the alternate set. Writes no memory but the output and
;#if t1 o1 o2
;#if t1
;#if o1
; two bytes of stack besides its return address.
;#else
; four bytes of stack besides its return address.
;#endif
;#else
; four bytes of stack besides its return address.
;#endif
;#elif o4 o7
; eight bytes of stack besides its return address.
;#else
; six bytes of stack besides its return address.
;#endif
;;FIGURES
;#if t1 t2
;#if o1 o2
; Position independent (relative jumps only); labels start with @; no self-modifying code.
;#else
; Not position independent (it calls its bit reader); labels start with @; no self-modifying
; code.
;#endif
;#else
; Not position independent (it calls its bit reader); labels start with @; no self-modifying
; code.
;#endif
; In place: the stream may end M bytes past the end of the output, inside the output area,
; with M the margin that KtuPack reports for the stream (M is at least 1: the end mark is read
; after the last byte is written).
; Checked with pasmo 0.5.3 and z80asm 1.8 (the same bytes).

;#if t1 t2
;#if o1 o2
;; ---------------------------------------------------------------- KTA and KTB, byte offsets
;; A is free: the control byte is parsed in A, the offset taken in BC (KTB's own routine) or
;; subtracted byte by byte (KTA's).
@:
        ld b,0                  ; and 0 again after every ldir
@_token:
        ld a,(hl)
        inc hl
;#if t1
        srl a                   ; count, with the sequence flag in carry; 0x00 ends
        ret z
        ld c,a
        jr c,@_sequence
;#else
        or a
        ret z                   ; 0x00 ends
        ld c,a
        and 63                  ; count, or its high bits; also clears carry for the sbc below
        bit 7,c
        jr z,@_short_count
        ld b,a                  ; long count: high bits here, low byte next
        ld a,(hl)
        inc hl
@_short_count:
        bit 6,c
        ld c,a                  ; BC = count; ld keeps the flag of bit 6
        jr nz,@_sequence
;#endif
        ldir                    ; literal run
        jr @_token
@_sequence:
;#if t1 o1
        ld a,e                  ; HL = DE - offset; B = 0 carries the borrow
        sub (hl)
        inc hl
        push hl
        ld l,a
        ld a,d
        sbc a,b
        ld h,a
;#else
        push bc
        ld c,(hl)
        inc hl
        ld b,0
;#if o2
        bit 7,c
        jr z,@_short_offset
        res 7,c                 ; long offset: high part first
        ld b,c
        ld c,(hl)
        inc hl
@_short_offset:
;#endif
        ex (sp),hl              ; stream position kept, count in HL
        push hl
        ld h,d
        ld l,e
;#if t1
        or a                    ; the sequence flag is still in carry
;#endif
        sbc hl,bc
        pop bc
;#endif
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
        jr @_token
;#else
;; ---------------------------------------------------------------- KTA and KTB, bit offsets
;; A holds the bit buffer, so the control byte is parsed in C (and B).
@:
        ld a,128                ; no bit byte yet
        ld b,0                  ; and 0 again after every ldir
@_token:
        ld c,(hl)
        inc hl
;#if t1
        srl c                   ; count, with the sequence flag in carry; 0x00 ends
        ret z
        jr c,@_sequence
;#else
        bit 7,c
        jr z,@_short_count
        res 7,c                 ; long count: high bits here, low byte next
        ld b,c
        ld c,(hl)
        inc hl
        bit 6,b
        res 6,b
        jr @_kind
@_short_count:
        inc c
        dec c
        ret z                   ; 0x00 ends
        bit 6,c
        res 6,c                 ; res keeps the flag of bit 6
@_kind:
        jr nz,@_sequence
;#endif
        ldir                    ; literal run
        jr @_token
@_sequence:
        push de
;#endif
;#elif t3
;; ---------------------------------------------------------------- ZX7: 1 literal, 0 gamma
@:
        ld a,128                ; no bit byte yet
@_literal:
        ldi                     ; the first raw byte, then each literal
@_token:
        add a,a
        call z,@_reload
        jr c,@_literal
        push de
        ld d,255                ; no extra value bits
        call @_gamma
        inc bc                  ; the length is the gamma value + 1
;#elif t4
;; ---------------------------------------------------------------- BLK: gamma, then 1 or 0
@:
        ld a,128                ; no bit byte yet
@_token:
        push de
        ld d,255                ; no extra value bits
        call @_gamma
        add a,a
        call z,@_reload
        jr nc,@_sequence
        pop de
        ldir                    ; literal run
        jr @_token
@_sequence:
        inc bc                  ; the length is the gamma value + 1
;#else
;; ---------------------------------------------------------------- TS1: 0, 10, 110, 1110, 1111
@:
        ld a,128                ; no bit byte yet
@_literal:
        ldi                     ; the first raw byte, then each literal
@_token:
        add a,a
        call z,@_reload
        jr nc,@_literal
        ld bc,2
        push de
        add a,a
        call z,@_reload
        jr nc,@_offset          ; 10: length 2
        inc c
        add a,a
        call z,@_reload
        jr nc,@_offset          ; 110: length 3
        ld d,1                  ; two extra value bits
        add a,a
        call z,@_reload
        jr nc,@_long            ; 1110: a longer sequence
        inc d                   ; 1111: a literal run, three extra value bits
        call @_gamma
        pop de
        ldir
        jr @_token
@_long:
        call @_gamma
@_offset:
;#endif
;#if ! t1 t2
;; ---------------------------------------------------------------- the offset, into DE
;; On the way to @_copy: BC = length, the output position on the stack, and the offset in DE
;; less one when carry is set.
;#if o1
        ld e,(hl)
        inc hl
        ld d,0
        or a
;#elif o2
        ld e,(hl)
        inc hl
        ld d,0
        bit 7,e
        jr z,@_short_offset
        ld d,e                  ; long offset: high part first
        res 7,d
        ld e,(hl)
        inc hl
@_short_offset:
        or a
;#endif
;#endif
;#if o4
;; offset = the (n+1) groups of W1 bits read as ((g0 + 1) << W1 | g1) + 1 ..., each group
;; after the first adding the base of its class; the last +1 comes from carry.
        push bc
        ld bc,{W1*256}          ; B = bits of a group, C = the class
        add a,a
        call z,@_reload
        rl c
        add a,a
        call z,@_reload
        rl c
        ld de,65535
@_group:
        inc de
@_group_bit:
        add a,a
        call z,@_reload
        rl e
        rl d
        djnz @_group_bit
        ld b,{W1}
        dec c
        jp p,@_group
        pop bc
        scf
;#elif o5
        ld de,{1<<(16-W1)}      ; a marker that carry takes after the last bit: offset - 1
@_offset_bit:
        add a,a
        call z,@_reload
        rl e
        rl d
        jr nc,@_offset_bit
;#elif o6
        add a,a
        call z,@_reload
        ld de,{1<<(16-W1)}      ; a marker that carry takes after the last bit
        jr c,@_offset_bit
        ld de,{1<<(16-W2)}
        call @_offset_bits
        ex (sp),hl
        push hl
        sbc hl,de
        ld de,{1<<W1}           ; the long offsets begin after the short ones
        jr @_subtract
@_offset_bits:
        add a,a
        call z,@_reload
        rl e
        rl d
        jr nc,@_offset_bits
        ret
@_offset_bit:
        call @_offset_bits
;#elif o7
        push bc
        ld d,255                ; no extra value bits
        call @_gamma
        ld e,c
        ld d,b
        pop bc
        or a
;#endif
;#if ! t1 t2 o1 o2
@_copy:
        ex (sp),hl              ; HL = output, the stream position kept
        push hl
;#if o6
@_subtract:
;#endif
        sbc hl,de
        pop de
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
        jr @_token
;#endif
;#if ! t1 t2 o1 o2 o4 o5 o6
;; ---------------------------------------------------------------- the gamma code, into BC
;; In: D = extra value bits - 1. Out: BC = the value; an overlong code is the end mark.
@_gamma:
        ld bc,1
@_gamma_zero:
        inc d
        add a,a
        call z,@_reload
        jr nc,@_gamma_zero
;#if t3 t4 t5
        bit 4,d                 ; 16 value bits: the overlong code of the end mark
        jr nz,@_end
;#endif
        inc d
@_gamma_value:
        dec d
        ret z
        add a,a
        call z,@_reload
        rl c
        rl b
        jr @_gamma_value
;#endif
;#if t3 t4 t5
@_end:
        pop de                  ; the gamma's return address
        pop de                  ; the output position
        ret
;#endif
;#if ! t1 t2 o1 o2
@_reload:
        ld a,(hl)               ; called when the marker has left: carry is set
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
;#endif
