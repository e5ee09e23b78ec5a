;; The Z80 depackers of every model: compression types t1..t5 (KTA, KTB, ZX7, BLK, TS1) with
;; offset codings o1, o2, o4..o7. KtuPack and kt_routine_text write one model's routine from
;; this template: a ";#if" line keeps the lines up to its ";#elif", ";#else" or ";#endif" for
;; the types and codings it names, "@" becomes the entry label, and "{...}" the value of an
;; expression over the widths W1, W2 (0 when the coding has none), the type T and the coding C.
;; Lines like this one are the template's own notes.
;;
;; Registers throughout: HL the stream, DE the output, BC a count, A the bit buffer (a bit
;; byte shifted left with a marker 1 below its unread bits; 128 when empty) in every model
;; that reads bits (complemented in ZX7 with coding 5, where the offset wants them so).
;; Sequences push DE and take the offset in DE, so that the copy is
;; "ex (sp),hl / push hl / sbc hl,de / pop de / ldir / pop hl"; a fixed-width offset (o5)
;; is read negated instead, for "ex (sp),hl / ex de,hl / add hl,de / ldir / pop hl". TS1's
;; bit offsets (and BLK's gamma ones) push the length and come into BC instead, for
;; "ex (sp),hl / push hl / ld h,d / ld l,e / sbc hl,bc / pop bc / ldir / pop hl".
;;
;; ---------------------------------------------------------------- the datasheet
;#if t1
; KTA depacker for the Z80,
;#elif t2
; KTB depacker for the Z80,
;#elif t3
; ZX7 depacker for the Z80,
;#elif t4
; BLK depacker for the Z80,
;#else
; TS1 depacker for the Z80,
;#endif
;#if o1
; offsets of one byte (KtuPack model -t{T}{C}).
;#elif o2
; offsets of one or two bytes (KtuPack model -t{T}{C}).
;#elif o4
; offsets in four classes of {W1}, {2*W1}, {3*W1} and {4*W1} bits (KtuPack model -t{T}{C}o{W1}).
;#elif o5
; offsets of {W1} bits (KtuPack model -t{T}{C}o{W1}).
;#elif o6
; offsets of {W1} bits after a 1, {W2} bits after a 0 (KtuPack model -t{T}{C}o{W1}o{W2}).
;#else
; Elias gamma offsets (KtuPack model -t{T}{C}).
;#endif
; In:  HL = packed stream, DE = destination.
; Out: DE = one past the last byte written, HL = one past the end of the stream.
; Destroys AF, BC, HL. Keeps IX, IY and the alternate set. Writes no memory but the output and
;#if t1 t2 o1 o2
;#if t1 o1
; two bytes of stack besides its return address.
;#else
; four bytes of stack besides its return address.
;#endif
;#elif t2 o7
; six bytes of stack besides its return address.
;#elif t2 t4 o4
; six bytes of stack besides its return address.
;#elif t4 o7
; six bytes of stack besides its return address.
;#elif t5 o1 o2
; six bytes of stack besides its return address.
;#elif t5 o4
; ten bytes of stack besides its return address.
;#elif o4 o7
; eight bytes of stack besides its return address.
;#elif t5 o5 o6
; eight bytes of stack besides its return address.
;#elif o6
; six bytes of stack besides its return address.
;#else
; four bytes of stack besides its return address.
;#endif
;; figures: measured by tests/depackers/z80_model_tests, which checks them
;#if t1
;#if o1
; Size: 27 bytes. Speed: 27.6 T-states per output byte on the test corpus (LDIR: 21).
;#elif o2
; Size: 41 bytes. Speed: 31.2 T-states per output byte on the test corpus (-t12).
;#elif o4
; Size: 67 bytes. Speed: 68.5 T-states per output byte on the test corpus (-t14o4).
;#elif o5
; Size: 43 bytes. Speed: 53.9 T-states per output byte on the test corpus (-t15o12).
;#elif o6
; Size: 68 bytes. Speed: 58.4 T-states per output byte on the test corpus (-t16o6o14).
;#else
; Size: 58 bytes. Speed: 56.2 T-states per output byte on the test corpus (-t17).
;#endif
;#elif t2
;#if o1
; Size: 42 bytes. Speed: 33.4 T-states per output byte on the test corpus (-t21).
;#elif o2
; Size: 51 bytes. Speed: 32.1 T-states per output byte on the test corpus (LDIR: 21).
;#elif o4
; Size: 72 bytes. Speed: 66.6 T-states per output byte on the test corpus (-t24o4).
;#elif o5
; Size: 54 bytes. Speed: 55.7 T-states per output byte on the test corpus (-t25o12).
;#elif o6
; Size: 71 bytes. Speed: 60.4 T-states per output byte on the test corpus (-t26o6o14).
;#else
; Size: 68 bytes. Speed: 55.7 T-states per output byte on the test corpus (-t27).
;#endif
;#elif t3
;#if o1
; Size: 55 bytes. Speed: 61.7 T-states per output byte on the test corpus (-t31).
;#elif o2
; Size: 63 bytes. Speed: 58.5 T-states per output byte on the test corpus (-t32).
;#elif o4
; Size: 80 bytes. Speed: 106.8 T-states per output byte on the test corpus (-t34o4).
;#elif o5
; Size: 64 bytes. Speed: 88.3 T-states per output byte on the test corpus (-t35o12).
;#elif o6
; Size: 79 bytes. Speed: 106.0 T-states per output byte on the test corpus (-t36o6o14).
;#else
; Size: 64 bytes. Speed: 83.8 T-states per output byte on the test corpus (-t37).
;#endif
;#elif t4
;#if o1
; Size: 54 bytes. Speed: 55.8 T-states per output byte on the test corpus (-t41).
;#elif o2
; Size: 62 bytes. Speed: 51.2 T-states per output byte on the test corpus (-t42).
;#elif o4
; Size: 80 bytes. Speed: 93.8 T-states per output byte on the test corpus (-t44o4).
;#elif o5
; Size: 64 bytes. Speed: 77.8 T-states per output byte on the test corpus (-t45o12).
;#elif o6
; Size: 79 bytes. Speed: 94.0 T-states per output byte on the test corpus (-t46o6o14).
;#else
; Size: 64 bytes. Speed: 89.1 T-states per output byte on the test corpus (-t47).
;#endif
;#else
;#if o1
; Size: 75 bytes. Speed: 54.2 T-states per output byte on the test corpus (-t51).
;#elif o2
; Size: 83 bytes. Speed: 51.8 T-states per output byte on the test corpus (-t52).
;#elif o4
; Size: 93 bytes. Speed: 99.7 T-states per output byte on the test corpus (-t54o4).
;#elif o5
; Size: 82 bytes. Speed: 86.7 T-states per output byte on the test corpus (-t55o12).
;#elif o6
; Size: 92 bytes. Speed: 98.4 T-states per output byte on the test corpus (-t56o6o14).
;#else
; Size: 80 bytes. Speed: 88.6 T-states per output byte on the test corpus (-t57).
;#endif
;#endif
;; end of figures
; Labels start with @.
;#if t1 t2 o1 o2
; Position independent (relative jumps only); no self-modifying code.
;#else
; It calls its own bit reader: assemble it where it runs. No self-modifying code.
;#endif
; In place: the stream may end M bytes past the end of the output, inside the output area,
;#if t1 o1
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, a sequence 2 - its length).
;#elif t2 o2
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, or +2 above 63 bytes; a sequence
; its 2 to 4 bytes - its length).
;#else
; M being the margin KtuPack reports for the stream.
;#endif
; Checked with pasmo 0.5.3 and z80asm 1.8, which give the same bytes.

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
;; A holds the bit buffer: KTA parses the control byte in C, KTB in C too, its flags shifted
;; out of a copy in E, the output position being on the stack by then.
@:
;#if t1
        ld a,128                ; no bit byte yet
        ld b,0                  ; and 0 again after every ldir
;#else
        xor a                   ; no bit byte yet: the reload sets its own marker
        ld b,a                  ; and 0 again after every ldir
;#endif
@_token:
        ld c,(hl)
        inc hl
;#if t1
        srl c                   ; count, with the sequence flag in carry; 0x00 ends
        ret z
        jr c,@_sequence
        ldir                    ; literal run
        jr @_token
@_sequence:
        push de
;#else
        push de
        ld e,c                  ; the control byte's flags, tested here
        res 7,c
        res 6,c                 ; count, or its high bits
        sla e                   ; bit 7 into carry, bit 6 into the sign; zero for 0x00, 0x80
        jr nc,@_short_count
        ld b,c                  ; long count: high bits here, low byte next
        ld c,(hl)
        inc hl
        inc e                   ; into bit 0: not zero now, the sign kept
@_short_count:
        jp m,@_sequence
        pop de
        ret z                   ; 0x00 ends
        ldir                    ; literal run
        jr @_token
@_sequence:
;#endif
;#endif
;#elif t3
;; ---------------------------------------------------------------- ZX7: 1 literal, 0 gamma
@:
        ld a,128                ; no bit byte yet
@_literal:
        ldi                     ; the first raw byte, then each literal
@_token:
;#if o1 o2
        call @_bit              ; a byte less than inlined, for speed to spare
;#else
        add a,a                 ; the reader inlined where every token passes
        call z,@_reload
;#endif
;#if o5
        jr nc,@_literal         ; the bits come complemented: carry clear is a 1
;#else
        jr c,@_literal
;#endif
;#if o5
        ; The gamma code, DE untouched: each 0 moves a marker in BC one place down from bit
        ; 15, and the leading 1 and the value bits shift in below it until it leaves into
        ; carry. A 16th 0 moves it out first: the overlong code of the end mark, whose 1 the
        ; reader takes as it returns.
        ld bc,32768
@_gamma_zero:
        add a,a
        call z,@_reload
        jr nc,@_value
        srl b
        rr c
        jr nc,@_gamma_zero
@_bit:
        add a,a                 ; the next bit, complemented, into carry
        ret nz
@_reload:
        ; The bit bytes are taken complemented, so that the offset's bits come as minus the
        ; offset wants them: A = 0 and carry set here, so sbc gives NOT the byte and leaves
        ; carry set for the marker.
        sbc a,(hl)
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
@_value_bit:
        call @_bit              ; called: value bits are few, offset bits many
@_value:
        ccf                     ; the leading 1, then each value bit, back to itself
        rl c
        rl b
        jr nc,@_value_bit
        push de
;#elif o1 o2 o6
        push de
;; This model reads no other gamma code: the reading is inlined.
        ld bc,0
        ld d,b                  ; minus the value bits, counted down from no extra bits
@_gamma_zero:
        dec d
;#if o6
        add a,a
        call z,@_reload
;#else
        call @_bit
;#endif
        jr nc,@_gamma_zero
        bit 4,d                 ; clear at 16 value bits: the overlong code of the end mark
;#if o6
        jr nz,@_value
        pop de                  ; the end mark: the output position
        ret
@_value:
;#else
        jr z,@_end
@_value:
        ; carry is set only by the leading 1, which needs no read; after each rl b it is
        ; clear again, since the value stays below 65536
        call nc,@_bit
;#endif
        rl c                    ; the leading 1 from carry, then each value bit
        rl b
;#if o6
        add a,a                 ; one bit past the value: the offset's flag, kept by inc d
        call z,@_reload
;#endif
        inc d
        jr nz,@_value
;#else
        push de
        call @_gamma
;#if o4 o7
        inc de                  ; the length is the gamma value + 1
;#endif
;#endif
;#if ! o4 o7
        inc bc                  ; the length is the gamma value + 1
;#endif
;#elif t4
;; ---------------------------------------------------------------- BLK: gamma, then 1 or 0
@:
;#if o7
        ld a,128                ; no bit byte yet
;#else
        ; Every token but the first starts after an ldir, with BC = 0. The first finds C = 0
        ; and B = 128, whose one bit the gamma's first shift drops.
        ld bc,32768
        ld a,b                  ; no bit byte yet
;#endif
@_token:
;#if o1 o2 o4 o5 o6
        push de
;; This model reads no other gamma code: the reading is inlined, and its value loop reads one
;; bit past the value, the token's kind, which it leaves in carry.
        ld d,c                  ; minus the value bits, counted down from no extra bits
@_gamma_zero:
        dec d
;#if o5
        add a,a
        call z,@_reload
;#else
        call @_bit
;#endif
        jr nc,@_gamma_zero
        bit 4,d                 ; clear at 16 value bits: the overlong code of the end mark
;#if o4 o5 o6
        jr nz,@_value
        pop de                  ; the end mark: the output position
        ret
;#else
        jr z,@_end
;#endif
@_value:
        rl c                    ; the leading 1 from carry, then each value bit
        rl b
;#if o5
        add a,a
        call z,@_reload
;#else
        call @_bit
;#endif
        inc d                   ; keeps carry: after the last value bit it holds the kind
        jr nz,@_value
;#else
        call @_gamma            ; DE untouched
;#if o7
        call @_bit              ; the gamma's reader, there for its end mark
;#else
        add a,a                 ; inlined: this model has no other bit to call a reader for
        call z,@_reload
;#endif
;#endif
        jr nc,@_sequence
;#if ! o7
        pop de
;#endif
        ldir                    ; literal run
        jr @_token
@_sequence:
        inc bc                  ; the length is the gamma value + 1
;#else
;; ---------------------------------------------------------------- TS1: 0, 10, 110, 1110, 1111
;; A literal is a run of one: every token starts after an ldir, with BC = 0.
@:
        ld a,128                ; no bit byte yet
        ld bc,1                 ; the first raw byte
@_run:
        ldir                    ; a literal run
        ; Tokens are called from here, and a literal run returns here: a literal from the
        ; token, a longer run from its gamma, which no other kind of token then needs to
        ; tell apart. The gamma is the one BLK's offsets use: a marker in BC counts it.
        call @_token
;#if o5
        jr @_run
;#else
        jr nc,@_run
        ; The end mark returns here with carry set: the reader takes its last bit and returns
        ; from the routine.
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
@_reload:
        ld a,(hl)               ; when the marker has left: carry is set
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
;#endif
;; The sequence's copy falls into the token, which lies after it.
@_offset:
;#endif
;#if t5 o1 o2
        push de                 ; the output position
        ld d,0
;#endif
;#if t5 o4 o5 o6 o7
;; ---------------------------------------------------------------- TS1's offset, into BC
;; The length waits on the stack and the output stays in DE, for the copy to take the offset
;; from. Every field is read by the gamma's value loop, under a marker in BC.
        push bc                 ; the length
;#if o4
        ; The class n, then n + 1 groups of {W1} bits read as ((g0 + 1) << {W1} | g1) + 1 ...:
        ; each +1 adds the base of the next class, the last one the 1 of offset 1. Each group
        ; comes in under a marker set above the offset so far, which a stream keeps below it:
        ; its offsets stay below 65536.
        ; Carry is clear at each call (a 0 read, or a value's ccf), so the value loop reads
        ; the field's first bit.
        push de
        ld bc,16384             ; two bits of class
        call @_value
        ld e,c                  ; n, counted down to -1
        ld c,b
@_group:
        set {8-W1},b
        call @_value
        inc bc
        dec e
        jp p,@_group
        pop de
;#elif o5
        ld bc,{1<<(16-W1)}      ; offset - 1, carry set for the sbc
        call @_value_bit
;#elif o6
        ; Offset - 1: a short one's {W1} bits, or a long one's rest + (1 << {W1}). Wider than
        ; {W1} bits, the rest comes in under two markers: the upper one leaves after its top
        ; {W2} - {W1} bits, which then take the 1 << {W1} as + 1, and the lower one is left
        ; where a short one's starts. No wider, the first call is to the value loop's ret nc,
        ; carry being clear (a width is an operand here too), and the 1 << {W1} waits above
        ; the rest's marker, less the + 1.
        call @_bit
        ld bc,{1<<(16-W1)}
        jr c,@_offset_short
        ld bc,{(W2>W1)*((1<<(16-W2+W1))+(1<<(16-W2)))+(W2<=W1)*((1<<(16-W2))+(1<<((W1-W2)*(W1>=W2)))-1)}
        call @_value_bit-{W2<=W1}
        inc bc
@_offset_short:
        call @_value_bit
        scf                     ; for the offset - 1
;#else
        ld bc,32768             ; the marker for no extra value bits
        call @_gamma_zero
;#endif
@_copy:
        ex (sp),hl              ; HL = the length, the stream position kept
        push hl                 ; the length again, above the stream position
        ld h,d
        ld l,e
        sbc hl,bc
        pop bc
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
;#else
;; ---------------------------------------------------------------- the offset, into DE
;; On the way to the copy: BC = length, the output position on the stack, and DE + carry the
;; offset (o5 in KTB, ZX7 and BLK: DE = minus the offset). After a bit grammar's head
;; carry is clear (a 0 read, or a gamma value's top bit).
;#if ! t1 t2
;#if o2
        ; A long offset's first byte is tested where it lies, so that it goes to D alone,
        ; which is 0 here.
        bit 7,(hl)
        jr z,@_short_offset
        ld d,(hl)               ; long offset: high part first
        res 7,d
        inc hl
@_short_offset:
        ld e,(hl)
        inc hl
;#else
;#if o1
        ld e,(hl)
        inc hl
;; (after ZX7's and BLK's gamma D is 0 already, and TS1's is made 0 above)
;#endif
;#endif
;#endif
;#if o4
;#if t3
        ; The class n, then n + 1 groups of {W1} bits read as ((g0 + 1) << {W1} | g1) + 1 ...:
        ; each +1 adds the base of the next class, the last one the 1 of offset 1.
        push de                 ; the length
        ld d,c                  ; C = 0 after the gamma
        ld e,c
        ld c,253                ; minus bits - 1: two bits of class
        call @_bits
        ld b,e
        inc b                   ; n + 1 groups
        ld e,d
@_group:
        ld c,{255-W1}                ; {W1} bits
        call @_bits
        inc de
        djnz @_group
        pop bc                  ; carry clear from the last group's top bit
;#else
;#if t1
        ; The class n, then n + 1 groups of {W1} bits read as ((g0 + 1) << {W1} | g1) + 1 ...:
        ; each +1 adds the base of the next class, the last one comes from carry.
        push bc                 ; the count
        ld de,0
        ld b,253                ; minus bits - 1: two bits of class
        call @_bits
        ld c,e
        ld e,d
        dec de                  ; -1, made 0 by the first group's inc
@_group:
        inc de
        ld b,{255-W1}                ; {W1} bits
        call @_bits
        dec c
        jp p,@_group
        pop bc
        scf
;#else
        ; The class n, then n + 1 groups of {W1} bits read as ((g0 + 1) << {W1} | g1) + 1 ...:
        ; each +1 adds the base of the next class, the last one the 1 of offset 1. Read
        ; negated, for the copy's add: -(x << {W1} | g) - 1 = (-x - 1) << {W1} | ~g, so each
        ; group takes 1 off the offset so far and shifts its bits in complemented.
;#if t2
        ; The reader is called throughout, and gives the bits complemented: this model has
        ; speed to spare, and no other bits to read. The class comes in under ones, as
        ; C = -(n + 1), counted up to 0.
        push bc                 ; the count
        ld bc,767               ; B = 2 bits of class, C = 255
@_class:
        call @_bit
        rl c
        djnz @_class
        ld d,b                  ; DE = 0, B being 0 after the djnz
        ld e,b
@_group:
        dec de
        ld b,{W1}
@_group_bit:
        call @_bit
        rl e
        rl d
        djnz @_group_bit
        inc c
        jr nz,@_group
        pop bc
;#elif t4
        ; The reader is called throughout: this model has speed to spare.
        push bc                 ; the length
        ld e,d                  ; D = 0 after the gamma
        ld c,d
        ld b,2
@_class:
        call @_bit
        rl c
        djnz @_class
@_group:
        dec de
        ld b,{W1}
@_group_bit:
        call @_bit
        ccf
        rl e
        rl d
        djnz @_group_bit
        dec c                   ; C = n counted down: n + 1 groups
        jp p,@_group
        pop bc
;#endif
;#endif
;#endif
;#elif o5
;#if t1
        ; DE = a marker bit that carry takes after the last of the {W1} bits: offset - 1.
        ld de,{1<<(16-W1)}
@_offset_bit:
        add a,a                 ; the reader inlined in the loop, where it pays
        call z,@_reload
        rl e
        rl d
        jr nc,@_offset_bit
;#else
        ; DE = the {W1} bits complemented below ones, minus the offset; the 0 that carry
        ; takes after the last bit ends the loop. A negative offset is added, which keeps
        ; the output in DE for free.
        ld de,{0xFFFF^(1<<(16-W1))}
@_offset_bit:
        add a,a                 ; the reader inlined in the loop, where it pays
        call z,@_reload
;; (ZX7's reader complements the bits itself)
;#if ! t3
        ccf
;#endif
        rl e
        rl d
        jr c,@_offset_bit
;#endif
;#elif o6
;#if t1
        add a,a                 ; inlined: this model has no other bit to call a reader for
        call z,@_reload
        ; DE = a marker bit that carry takes after the last bit: offset - 1, less 1 << {W1}
        ; for a long one.
        ld de,{1<<(16-W1)}
        jr c,@_offset_bit
        ld de,{1<<(16-W2)}
        call @_offset_bits
        ex (sp),hl
        push hl
        sbc hl,de
        ld de,{1<<W1}
        jr @_subtract
@_offset_bits:
        add a,a                 ; the reader inlined in the loop, where it pays
        call z,@_reload
        rl e
        rl d
        jr nc,@_offset_bits
        ret
@_offset_bit:
        call @_offset_bits
;#else
        ; DE = minus the offset, that is NOT (offset - 1), read inverted under a 0 marker that
        ; carry takes after the last bit; each read takes 1 off DE first. A long offset,
        ; offset - 1 = rest + (1 << {W1}): wider than {W1} bits, its top {W2} - {W1} bits are
        ; read first, under a second marker that leaves after them, then - 1 (+ 1 before the
        ; NOT) and the last {W1} as a short one; no wider, the first call is to a bare ret
        ; (a width is an operand here too) and the rest is read whole above a 0 that ends as
        ; bit {W1}.
;#if t3
        ; The flag is in carry already, read by the gamma's value loop.
;#elif t4
        ; The reader is called throughout: this model has speed to spare.
        call @_bit
;#else
        add a,a                 ; inlined: this model has no other bit to call a reader for
        call z,@_reload
;#endif
        ld de,{0x10000-(1<<(16-W1))}
        jr c,@_offset_short
        ld de,{0x10000-(1<<(16-W2))-(W2>W1)*(1<<(16-W2+W1))-(W2<=W1)*(1<<((W1-W2)*(W1>=W2)))}
;#if t4
        call @_offset_ret-{11*(W2>W1)}
;#else
        call @_offset_ret-{12*(W2>W1)}
;#endif
@_offset_short:
        call @_offset_bits
;#endif
;#elif o7
;#if t1 t3
;#if t3
        push de                 ; the length
;#else
        push bc                 ; the count
;#endif
        call @_gamma            ; the offset, read straight into DE
        pop bc
;#elif t2
;; The offset is this model's one gamma code: read inline into DE, B counting.
        push bc                 ; the count
        ld de,0
        ld b,d                  ; minus the value bits, counted down from no extra bits
@_gamma_zero:
        dec b
        add a,a
        call z,@_reload
        jr nc,@_gamma_zero
        jr @_value
@_value_bit:
        add a,a
        call z,@_reload
@_value:
        rl e                    ; the leading 1 from carry, then each value bit
        rl d
        inc b
        jr nz,@_value_bit
        pop bc
;#elif t4
        ; The offset in BC, the output still in DE: the copy takes the one from the other.
        push bc                 ; the length
        call @_gamma
        dec bc                  ; the gamma returns with carry set: one less for the sbc
;#else
        push bc
        call @_gamma
        ld e,c
        ld d,b
        pop bc
;#endif
;#endif
;#if ! t1 t2 o1 o2
@_copy:
;#if t4 o7
        ex (sp),hl              ; HL = the length, the stream position kept
;#else
        ex (sp),hl              ; HL = output, the stream position kept
;#endif
;#if ! t1 o5
;#if o5
        ex de,hl
        add hl,de
;#elif t2 t3 t4 o6
        ex de,hl
        add hl,de
;#elif t2 t4 o4
        ex de,hl
        add hl,de
;#elif t4 o7
        push hl                 ; the length again, above the stream position
        ld h,d
        ld l,e
        sbc hl,bc
        pop bc
;#else
        push hl
;#if o6
@_subtract:
;#endif
        sbc hl,de
        pop de
;#endif
;#else
        push hl
        sbc hl,de
        pop de
;#endif
        ldir                    ; byte by byte, so an offset below the count repeats
        pop hl
;#if ! t5
        jr @_token
;#endif
;#endif
;#endif
;#if t5
;; ---------------------------------------------------------------- TS1's token, after the copy
@_token:
        inc c                   ; BC = 1: a literal's length
        call @_bit              ; a byte less than inlined, for speed to spare
        ret nc
        ; 10: length 2; 110: length 3; 1110: longer, its gamma code with two extra value
        ; bits, the marker two places down; 1111: a literal run, its gamma code with three.
        ; Each bit read adds one to the length in C.
@_short:
        jr nc,@_offset          ; a 0 below C = 4: the length 2 or 3 in BC; a 1 reads on
@_prefix:
        inc c
        call @_bit
        bit 2,c                 ; C = 4: 1110, or 1111 with carry set
        jr z,@_short
        ld bc,8192
;#if o5
        ccf                     ; set for 1110: its gamma returns with carry set
        call c,@_gamma_zero
        jr c,@_offset
;#else
        call nc,@_gamma_zero    ; 1110, its gamma returning with carry clear
        jr nc,@_offset
;#endif
        ; 1111 falls into its gamma one place down, which returns to the ldir
;#endif
;; ---------------------------------------------------------------- gamma codes and bit fields
;#if t2 t3 t4 o6
;; In: DE = 1 + the bits read so far under a 0 marker. Out: DE - 1 shifted left and the bits
;; read in complemented until the marker leaves; @_offset_ret, 11 bytes on (12 with the
;; reader inlined), is a bare ret.
@_offset_bits:
        dec de
@_offset_bit:
;#if t4
        call @_bit
;#else
        add a,a                 ; the reader inlined in the loop, where it pays
        call z,@_reload
;#endif
        ccf
        rl e
        rl d
        jr c,@_offset_bit
@_offset_ret:
        ret
;#endif
;#if t1 t2 o1 o2 o4 o5 o6
;#elif t3 t4 o1 o2 o5 o6
;#elif t4 o4
;#elif t2 o7
;#elif t5
;; Out: BC = the value, carry clear (set with coding 5), DE untouched. Each 0 moves a marker
;; in BC one place down from bit 15 (the lengths enter below it), and the leading 1 and the
;; value bits shift in below it until it leaves into carry. A 16th 0 moves it out first: the
;; overlong code of the end mark, read in place of a length, whose 1 the reader takes as it
;; returns from the routine: the gamma returns to the run loop with carry set, which ends
;; there in the reader (with coding 5 it drops the token's return address and falls into the
;; reader itself). The zero loop shifts before it reads, so that 1111 falls into it, and its
;; 1 falls into the value loop with carry set: the leading 1 needs no read. With codings 1,
;; 2, 4 and 7 the read is skipped on carry, so that a call with carry clear reads a field's
;; first bit; with 5 and 6, whose offsets are read from any carry, @_value_bit reads first,
;; and with 6 the ret nc just before it returns at once on carry clear.
@_gamma_shift:
        srl b
        rr c
;#if o5
        jr c,@_end
;#else
        ret c                   ; the end mark, to the run loop with carry set
;#endif
@_gamma_zero:
;#if o7
        add a,a
        call z,@_reload
;#else
        call @_bit
;#endif
        jr nc,@_gamma_shift
@_value:
;#if o5 o6
        rl c
        rl b
;#if o5
        ret c                   ; carry set: the offset - 1 wants it for the sbc
;#else
        ccf                     ; clear once the marker has left
        ret nc
;#endif
@_value_bit:
;#if o5
        add a,a                 ; inlined where the offsets are read here too
        call z,@_reload
;#else
        call @_bit
;#endif
        jr @_value
;#else
        call nc,@_bit
        rl c
        rl b
        jr nc,@_value
        ccf                     ; for the sbc, 1110's way to its offset and the run loop
        ret
;#endif
;#if o5
@_end:
        pop bc                  ; the end mark: the token's return address
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
@_reload:
        ld a,(hl)               ; when the marker has left: carry is set
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
;#endif
;#elif t4 o7
;; Out: BC = the value, carry set, DE untouched. Each 0 moves a marker in BC one place down
;; from bit 15, and the leading 1 and the value bits shift in below it until it leaves into
;; carry. A 16th 0 moves it out first: the overlong code of the end mark, read in place of a
;; length, whose 1 the reader takes as it returns from the routine. The value bits call the
;; reader, a byte less for speed to spare.
@_gamma:
        ld bc,32768
@_gamma_zero:
        add a,a
        call z,@_reload
        jr c,@_value
@_gamma_shift:
        srl b
        rr c
        jr nc,@_gamma_zero
        pop bc                  ; the end mark: the gamma's return address
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
@_reload:
        ld a,(hl)               ; when the marker has left: carry is set
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
@_value_bit:
        call @_bit
@_value:
        rl c
        rl b
        jr nc,@_value_bit
        ret
;#elif t1 t2 t3 o4 o7
;; Out: DE = the value, carry clear, C (ZX7) or B = 0. Every gamma and bit field of the model
;; is a length or offset that ends up in DE or waits on the stack, so BC is the one pair free.
@_gamma:
        ld de,0
;#if t3
        ld c,d                  ; minus the value bits, counted down from no extra bits
@_gamma_zero:
        dec c
;#else
        ld b,d                  ; minus the value bits, counted down from no extra bits
@_gamma_zero:
        dec b
;#endif
        add a,a                 ; the reader inlined in the loops, where offsets need speed
        call z,@_reload
        jr nc,@_gamma_zero
;#if t3
        bit 4,c                 ; clear at 16 value bits: the overlong code of the end mark
        jr z,@_end
;#endif
;#endif
;#if t1 t2 o1 o2 o5 o6
;#elif t3 t4 t5 o1 o2 o5 o6
;#elif t4 t5 o7
;#elif t2 t4 o4
;; (the offset's fields are read inline)
;#elif t2 o7
;#elif t1 t2 t3 o4 o7
;; In at @_bits: C (ZX7) or B = minus bits - 1. Out: DE = DE shifted left by the bits read.
@_value:
        rl e                    ; a gamma's leading 1 from carry, then each value bit
        rl d
@_bits:
;#if t3
        inc c
;#else
        inc b
;#endif
        ret z
        add a,a
        call z,@_reload
;#if t1 t3 o4
        ; jp: two T-states less than jr on every offset bit
        jp @_value
;#else
        jr @_value
;#endif
;#endif
;#if t3 t4 o1 o2
@_end:
        pop de                  ; the output position
        ret
;#elif t3 t4 t5 o1 o2 o5 o6
;; (the end mark returns from the gamma reading)
;#elif t4 t5 o4
;#elif t4 t5 o7
;#elif t3 t4 t5
@_end:
        pop de                  ; the gamma's return address
        pop de                  ; the output position
        ret
;#endif
;#if t1 t2 o1 o2
;#elif t3 o5
;; (ZX7's reader follows its gamma's zero loop, which falls into it at the end mark)
;#elif t4 o7
;; (BLK's reader follows its gamma's zero loop, which falls into it at the end mark)
;#elif t5
;; (TS1's reader follows its run loop, or with coding 5 its gamma's zero loop, which falls
;; into it at the end mark)
;#else
;#if ! t1 t2 t3 t4 o4 o5 o6 o7
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
;#elif t2 t4 o4
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
;#elif t4 o6
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
;#endif
@_reload:
;#if t2
        ld a,(hl)               ; when the marker has left, or at the start with A = 0
        inc hl
;#if o4
        cpl                     ; the bits complemented, for the offset read negated
;#endif
        scf
;#else
        ld a,(hl)               ; when the marker has left: carry is set
        inc hl
;#endif
        rla                     ; the first bit into carry, the marker below the rest
        ret
;#endif
