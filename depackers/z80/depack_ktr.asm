;; The Z80 depackers of compression type 6 (KTR) with offset codings o1, o2, o4..o7, a template
;; of its own beside depack.asm: KTR's repeat offset and interlaced lengths share nothing with
;; the other types' token code, only the offset readings. The notation is depack.asm's.
;;
;; Registers throughout: HL the stream, DE the output, BC a length, A the bit buffer (a bit
;; byte shifted left with a marker 1 below its unread bits; 128 when empty), read by calling
;; @_bit (three bytes a read against four for the reader inlined), except in coding 4's bit
;; fields, where offsets need the speed. The last offset, negated, is the one word on the
;; stack between tokens, and a repeat adds it to DE. Codings 1 and 4 to 7 read minus a new
;; offset (4 to 7 read their bits inverted, at the cost of a ccf; 1 negates its byte in A
;; while the bit buffer waits on the stack), so a new offset takes a repeat's copy, which keeps
;; the word across it. Coding 2 keeps the offset itself, which its copy subtracts from DE with
;; the carry the gamma leaves clear: a new offset comes to the copy with the offset in DE and
;; the output in HL, a repeat one ex de,hl from there.
;;
;; ---------------------------------------------------------------- the datasheet
; KTR depacker for the Z80,
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
;#if o4
; eight bytes of stack besides its return address.
;#else
; six bytes of stack besides its return address.
;#endif
; Ends at the packers' end mark: flag 1 and an overlong length.
;; figures: measured by tests/depackers/z80_model_tests, which checks them
;#if o1
; Size: 71 bytes. Speed: 56.8 T-states per output byte on the test corpus (-t61).
;#elif o2
; Size: 80 bytes. Speed: 52.3 T-states per output byte on the test corpus (-t62).
;#elif o4
; Size: 96 bytes. Speed: 81.9 T-states per output byte on the test corpus (-t64o4).
;#elif o5
; Size: 78 bytes. Speed: 82.4 T-states per output byte on the test corpus (-t65o12).
;#elif o6
; Size: 94 bytes. Speed: 84.6 T-states per output byte on the test corpus (-t66o6o14).
;#else
; Size: 90 bytes. Speed: 81.6 T-states per output byte on the test corpus (-t67).
;#endif
;; end of figures
; Labels start with @.
; It calls its own bit reader: assemble it where it runs. No self-modifying code.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being the margin KtuPack reports for the stream.
; Checked with pasmo 0.5.3 and z80asm 1.8, which give the same bytes.

@:
        ld a,128                ; no bit byte yet
        ldi                     ; the first byte, raw
;#if o2
        ld bc,1                 ; the last offset: 1 before any sequence
;#else
        ld bc,-1                ; the last offset, negated: 1 before any sequence
;#endif
        push bc
@_token:
        call @_head             ; flag 0 after a sequence: a literal run
        ldir
        call @_head             ; flag 0 after a literal run: a repeat
        ex (sp),hl              ; HL = the last offset word, the stream position kept
;#if o1 o4 o5 o6 o7
;; ---------------------------------------------------------------- the copy
;; In: HL = minus the offset, the stream position on the stack. The offset is kept across the
;; copy, so a repeat and a new offset end alike.
@_copy:
        push hl
        add hl,de
        ldir                    ; byte by byte, so an offset below the length repeats
        pop hl
        ex (sp),hl
        jr @_token
;#else
        ex de,hl                ; HL = output, DE = the offset, as a new offset has them
        jr @_copy
;#endif
;; ---------------------------------------------------------------- the flag, then a length
;; Out: BC = the length of a literal run or a repeat, back at the caller. A new offset does not
;; go back: its return address and the last offset leave the stack.
@_head:
        call @_bit
        jr nc,@_gamma
        pop bc
        pop bc
        call @_gamma
        inc bc                  ; the length is the gamma value + 1
;#if o1
;; ---------------------------------------------------------------- the offset, into HL
;; The bit buffer waits on the stack while A takes minus the offset byte.
        push af
        xor a
        sub (hl)                ; an offset of 1 to 255: the high byte of minus it is 255
        inc hl
        ex (sp),hl              ; H = the bit buffer, the stream position kept
        ld l,a
        ld a,h
        ld h,255                ; HL = minus the offset, DE = output, as a repeat has them
        jr @_copy
;#else
        push de                 ; DE takes the offset
;; ---------------------------------------------------------------- the offset, into DE
;#if o4 o5 o6 o7
;; Out: DE = minus the offset, which the copy keeps on the stack as it is. BC is kept.
;#else
;; Out: DE = the offset, carry still clear from the gamma for the copy's sbc. BC is kept.
        ld d,0
;#endif
;#if o2
        bit 7,(hl)
        jr z,@_short_offset
        ld d,(hl)               ; long offset: high part first
        res 7,d
        inc hl
@_short_offset:
;#endif
;#if o2
        ld e,(hl)
        inc hl
;#endif
;#if o4
        ; The class n, then n + 1 groups of {W1} bits, offset - 1 being
        ; ((g0 + 1) << {W1} | g1) + 1 ...: each +1 adds the base of the next class. All is
        ; read inverted, which gives NOT (offset - 1), minus the offset: each +1 is a - 1 and
        ; each field is read under a 0 marker cleared above it, which carry takes after its
        ; last bit (an offset below 65536 leaves room for a group's, bit {16-W1}).
        push bc
        ld de,$803F             ; two bits of class under the marker, 0s that end in D
        call @_bits
        ld b,e                  ; NOT n, which counts n + 1 groups up to 0
        ld e,d                  ; DE = 0, NOT -1, made NOT 0 by the first group's - 1
@_group:
        dec de
        res {8-W1},d
        call @_bits
        inc b
        jr nz,@_group
        pop bc
;#elif o5
        ; DE = minus the offset, that is NOT (offset - 1): the {W1} bits read inverted under
        ; a 0 marker that carry takes after the last of them, the 1s above it the top.
        ld de,{0xFFFF-(1<<(16-W1))}
@_offset_bit:
        call @_bit
        ccf
        rl e
        rl d
        jr c,@_offset_bit
;#elif o6
        ; DE = minus the offset, that is NOT (offset - 1), read inverted under a 0 marker that
        ; carry takes after the last bit. A long offset, offset - 1 = rest + (1 << {W1}):
        ; wider than {W1} bits, its top {W2} - {W1} bits are read first, under a second
        ; marker that leaves after them, then - 1 (+ 1 before the NOT), then the last {W1} as
        ; a short one; no wider, the first call is to a bare ret (a width is an operand here
        ; too) and the rest is read whole above a 0 that ends as bit {W1}, from 1 more for the
        ; dec.
        call @_bit
        ld de,{0xFFFF-(1<<(16-W1))}
        jr c,@_offset_short
        ld de,{0xFFFF+(W2<=W1)-((1<<(16-W2)) + (W2>W1)*(1<<(16-W2+W1)) + (W2<=W1)*(1<<((W1-W2)*(W1>=W2))))}
        call @_offset_ret-{10*(W2>W1)}
        dec de
@_offset_short:
        call @_offset_bits
;#elif o7
        ; DE starts as NOT 1, the leading 1 already in place; B counts the zeros up from
        ; 255, one more for the leading 1 (inc b leaves carry alone), to 0 for none, then
        ; down over the bits after it, each inverted in, which gives NOT offset; + 1 makes it
        ; minus the offset.
        push bc
        ld de,-2
        ld b,d
@_offset_zero:
        call @_bit
        inc b
        jr nc,@_offset_zero
        jr z,@_offset_done      ; offset 1: no bits after the leading 1
@_offset_bit:
        call @_bit
        ccf
        rl e
        rl d
        djnz @_offset_bit
@_offset_done:
        pop bc
        inc de
;#endif
        ex (sp),hl              ; HL = output, the stream position kept
;#if o4 o5 o6 o7
        ex de,hl                ; HL = minus the offset, DE = output, as a repeat has them
        jr @_copy
;#else
;; ---------------------------------------------------------------- the copy
;; In: HL = output, DE = the offset, carry clear, the stream position on the stack. The offset
;; is kept across the copy, so a repeat and a new offset end alike.
@_copy:
        push de
        push hl
        sbc hl,de               ; the source
        pop de
        ldir                    ; byte by byte, so an offset below the length repeats
        pop hl
        ex (sp),hl
        jr @_token
;#endif
;#endif
;; ---------------------------------------------------------------- lengths and bit fields
;; Out: BC = the value, carry clear. An overlong code is the end mark.
@_gamma:
        ld bc,1
@_gamma_bit:
        call @_bit              ; a 1 goes on, a 0 stops
        ret nc
        call @_bit              ; the value bit
        rl c
        rl b
        jr nc,@_gamma_bit       ; the leading 1 leaves B after 16 value bits: the end mark
        pop bc                  ; the return address; the output position is in DE
        ret
;#if o6
;; Out: DE shifted left by the bits read, inverted, up to and with the one that shifts a 0
;; into carry.
@_offset_bits:
        call @_bit
        ccf
        rl e
        rl d
        jr c,@_offset_bits
@_offset_ret:
        ret
;#endif
;#if o4
;; Out: DE shifted left by the bits read, inverted, up to and with the one that shifts a 0
;; into carry.
@_bits:
        add a,a                 ; the reader inlined, where offsets need speed
        call z,@_reload
        ccf
        rl e
        rl d
        jr c,@_bits
        ret
;#endif
@_bit:
        add a,a                 ; the next bit into carry
        ret nz
@_reload:
        ld a,(hl)               ; when the marker has left: carry is set
        inc hl
        rla                     ; the first bit into carry, the marker below the rest
        ret
