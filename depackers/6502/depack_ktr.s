;; The 6502 routines of compression type 6 (KTR) with offset codings o1, o2, o4..o7, a template
;; of its own beside depack.s: KTR's repeat offset and interlaced lengths share no token code
;; with the other types. The notation is depack.s's.
;; Register use while a token is decoded: Y = 0, as the byte and bit reads index with it.
;; One copy loop serves the first byte, literal runs, repeats and sequences: X picks the pointer
;; it reads through, @_src (a literal run) or @_from (a copy from the output), and @_count is
;; the bytes left. X also tells the token after it: each token starts by flipping X between 0
;; and <(@_src - @_from), so that flag 0 reads a literal run through @_src after a sequence, a
;; repeat or the first byte (X was 0) and a repeat through @_from after a literal run; a new
;; offset's read leaves X = 0. A literal run passes through the repeat's subtraction, which
;; only writes @_from.
;; @_last keeps the last offset (less one under codings 4 to 6, whose fields hold offset - 1).
; KTR depacker for the 6502: routine @.
;#if o1
; Offsets: one byte, 1..255.
;#elif o2
; Offsets: one byte, 1..127, or two with the high part first, up to 32767.
;#elif o4
; Offsets: a 2-bit class n, then (n + 1) * {W1} bits over the class's base.
;#elif o5
; Offsets: {W1} bits, plus one.
;#elif o6
; Offsets: bit 1 and {W1} bits plus one, or bit 0 and {W2} bits plus {(1 << W1) + 1}.
;#else
; Offsets: an Elias gamma code.
;#endif
; In:  @_src = packed stream, @_dst = destination (zero page, low byte first).
;      Call with jsr @. The decimal flag may be set: the routine clears it.
; Out: @_dst = one past the last byte written; @_src one past the end mark.
; Destroys A, X, Y and the flags. Uses 11 zero-page bytes (segment ZEROPAGE) and up to
; {C == 2 ? 5 : 3} bytes of stack besides its return address; writes no memory but the
; output and those bytes.
; Ends at an overlong length after either flag (the packers write flag 1).
;#if o1
; Size: 120 bytes. Speed: 61.3 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif o2
; Size: 133 bytes. Speed: 60.5 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif o4
; Size: 146 bytes. Speed: 79.6 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#elif o5
; Size: 124 bytes. Speed: 77.7 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif o6
; Size: 142 bytes. Speed: 80.7 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#else
; Size: 135 bytes. Speed: 78.0 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#endif
; Speed over the corpus files cut to 8192 bytes, with the offset widths 4 (coding 4), 12
; (coding 5) or 6 and 14 (coding 6); other widths run at somewhat other speeds.
; In place: the stream may end M bytes past the end of the output, inside the output area, M
; being the margin KtuPack reports: the routine reads a token's codes before it writes, each
; literal byte just before writing it, and a bit byte when the first of its bits is needed.
; Checked with ca65 2.19.

.export @
.exportzp @_src, @_dst

.segment "ZEROPAGE"
@_src:   .res 2
@_dst:   .res 2
@_bits:  .res 1                 ; bit buffer: bits left, then a marker 1; 0 when empty
@_count: .res 2                 ; bytes left to copy; 0 between tokens
@_last:  .res 2                 ; the last offset, or the offset - 1 the coding reads
@_from:  .res 2                 ; where a copy from the output reads (coding 4: the groups left)

.segment "CODE"
@:
        cld
        ldy #0
;#if ! o2
        jsr @_load              ; the first byte, raw, as the bit reader loads a byte: shifted
        ror a                   ; over a marker, which ror takes back; the clear empties @_bits
;#endif
        ldx #<-5
@_clear:                        ; X = -5..-1: @_bits, @_count and @_last, the bytes before @_from
        sty @_from,x
        inx
        bne @_clear
;#if o1 o2 o7
        inc @_last              ; the last offset: 1 before any sequence
;#endif
;#if o2
        jsr @_byte              ; the first byte, raw
;#endif
; The first byte is stored as a copy through @_from with X = 0: a literal run may follow it.
;#if o1 o2 o7
        bne @_store
;#else
        beq @_store             ; as the clear leaves Z set
;#endif
; The copy ended: a flag, kept on the stack, then a length as an interlaced gamma code into
; @_count, which is 0. After 16 value bits the code is overlong, the end mark.
@_done:
        txa                     ; the pointer a flag 0 reads through
        eor #<(@_src - @_from)
        tax
        jsr @_bit
        php
        inc @_count             ; the leading 1
@_gamma_next:
        jsr @_bit               ; a 1 goes on, a 0 stops
        bcc @_gamma_end
        jsr @_bit
        rol @_count
        rol @_count+1
        bcc @_gamma_next        ; the leading 1 leaves after 16 value bits
        pla
        rts
@_gamma_end:
        plp
        php                     ; the flag stays for the copy
        bcc @_repeat            ; flag 0: a literal run or a repeat, as X says
; Flag 1: the length - 1, then the new offset.
;; ---------------------------------------------------------------- the offset, into @_last
;; Codings 4 to 6 leave carry clear for the subtraction below: their last shift moves a 0 out.
;#if o1
        lda (@_src),y
        jsr @_next
        sta @_last
        ldx #0
;#elif o2
        jsr @_byte
        sty @_last+1            ; high part 0 unless the long form follows
        tax
        bpl @_offset_short
        and #$7F                ; long offset: high part first
        sta @_last+1
        jsr @_byte
@_offset_short:
        sta @_last
        ldx #0
;#elif o4
        sty @_from              ; the class n, into @_from
        ldx #1
@_offset_class:
        jsr @_bit
        rol @_from
        dex
        bpl @_offset_class
        stx @_last              ; X = $FF: @_last = -1, which the first group's + 1 makes 0
        stx @_last+1
@_offset_group:                 ; n + 1 groups of {W1} bits, each after a + 1: the classes
        inc @_last              ; before n add their bases
        bne @_offset_width
        inc @_last+1
@_offset_width:
        ldx #{W1}
@_offset_bit:
        jsr @_bit
        rol @_last
        rol @_last+1
        dex
        bne @_offset_bit
        dec @_from
        bpl @_offset_group
;#elif o5
        sty @_last
        sty @_last+1
        ldx #{W1}
@_offset_bit:                   ; the top bit of 16 leaves carry clear
        jsr @_bit
        rol @_last
        rol @_last+1
        dex
        bne @_offset_bit
;#elif o6
;; The offset - 1 is read over a preset: 0 in the short form. In the long form a bit that the
;; read moves up to 1 << {W1} when {W2} <= {W1}; when wider, a marker that leaves the top after
;; the first {W2} - {W1} bits, its carry adding 1 there, which the last {W1} bits move up to
;; 1 << {W1}. Either is one bit, so one byte of @_last takes it and Y clears the other.
        jsr @_bit
        ldx #{W1}
        tya
        bcs @_offset_preset
        ldx #{W2}
        lda #{1 << ((W2 > W1 ? 16 - W2 + W1 : W1 - W2) & 7)}
@_offset_preset:
        sta @_last+{(W2 > W1 ? 16 - W2 + W1 : W1 - W2) >> 3}
        sty @_last+{1 - ((W2 > W1 ? 16 - W2 + W1 : W1 - W2) >> 3)}
@_offset_bit:
        jsr @_bit
        rol @_last
        rol @_last+1
        bcc @_offset_next       ; the marker leaves only once, never at the last bit
        inc @_last
        bne @_offset_next
        inc @_last+1
@_offset_next:
        dex
        bne @_offset_bit
;#else
        sty @_last
        sty @_last+1
        ldx #0
@_offset_zero:                  ; X = the zeros before the leading 1, plus one
        inx
        jsr @_bit
        bcc @_offset_zero
@_offset_value:                 ; then as many bits after it
        rol @_last
        rol @_last+1
        dex
        beq @_offset_read
        jsr @_bit
        bne @_offset_value      ; the bit reader leaves the flags not zero
@_offset_read:
;#endif
; A repeat, or a sequence once its offset is read: from = dst - offset.
@_repeat:
;#if o1 o2 o7
        sec
;#endif
        lda @_dst               ; (codings 4 to 6: carry clear takes offset - 1 and one more)
        sbc @_last
        sta @_from
        lda @_dst+1
        sbc @_last+1
        sta @_from+1
;; ---------------------------------------------------------------- the copy
; @_count bytes from the pointer X picks to dst, both moving past them, then to @_done; a
; sequence's length, one more than its code, copies a byte before the count.
@_copy_flag:
        plp
        bcs @_copy_byte
@_copy_next:
        lda @_count
        bne @_count_low
        lda @_count+1
        beq @_done
        dec @_count+1
@_count_low:
        dec @_count
@_copy_byte:
        lda (@_from,x)          ; front to back one byte at a time, so an offset below the
@_store:                        ; length repeats
        sta (@_dst),y
        inc @_from,x
        bne @_put
        inc @_from+1,x
@_put:
        inc @_dst
        bne @_copy_next
        inc @_dst+1
        bne @_copy_next         ; the output does not pass $FFFF
;; ---------------------------------------------------------------- the readers
; Carry = the next bit, and Z clear. Destroys A.
@_bit:
        asl @_bits
;#if o2
        bne @_bit_end
        jsr @_byte
        sec                     ; the marker
        rol a
        sta @_bits
@_bit_end:
        rts
; A = the next stream byte. Takes Y = 0; keeps X, Y and carry.
@_byte:
        lda (@_src),y
;#else
        bne @_bit_read
@_load:
        lda (@_src),y
        sec                     ; the marker
        rol a
        sta @_bits
;#endif
; The stream pointer moved past a byte: the flags not zero; keeps A, X, Y and carry.
@_next:
        inc @_src
        bne @_bit_read
        inc @_src+1
@_bit_read:
        rts
