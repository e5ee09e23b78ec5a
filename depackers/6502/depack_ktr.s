;; The 6502 routines of compression type 6 (KTR) with offset codings o1, o2, o4..o7, a template
;; of its own beside depack.s: KTR's repeat offset and interlaced lengths share no token code
;; with the other types. The notation is depack.s's.
;; Register use while a token is decoded: Y = 0, as the byte and bit reads index with it.
;; One copy loop serves literal runs and sequences: it reads through @_src, which a sequence
;; points at dst - offset for its copy, the stream position waiting on the stack. @_last keeps
;; the last offset (less one under codings 4 to 6, whose fields hold offset - 1).
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
; Destroys A, X, Y and the flags. Uses {8 + (C == 4)} zero-page bytes (segment ZEROPAGE) and
; up to {6 - (C >= 4)} bytes of stack besides its return address; writes no memory but the
; output and those bytes.
; Ends at an overlong length after either flag (the packers write flag 1).
;#if o1
; Size: 151 bytes. Speed: 58.1 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#elif o2
; Size: 165 bytes. Speed: 56.4 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#elif o4
; Size: 188 bytes. Speed: 79.0 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#elif o5
; Size: 165 bytes. Speed: 74.6 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#elif o6
; Size: 189 bytes. Speed: 76.3 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
;#else
; Size: 173 bytes. Speed: 74.2 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: size over.
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
@_src:  .res 2
@_dst:  .res 2
@_last: .res 2                  ; the last offset, or the offset - 1 the coding reads
@_hi:   .res 1                  ; a length's high byte, then the pages left to copy
@_bits: .res 1                  ; bit buffer: bits left, then a marker 1; 0 when empty
;#if o4
@_class: .res 1                 ; offset classes left to read
;#endif

.segment "CODE"
@:
        cld
        ldy #0
        sty @_bits
        sty @_last+1
;#if o4 o5 o6
        sty @_last              ; offset - 1: 0 before any sequence
;#endif
        ldx #1                  ; the first byte: a literal run of one, raw
        stx @_hi
;#if o1 o2 o7
        stx @_last              ; the last offset: 1 before any sequence
;#endif
        jsr @_copy
@_token:                        ; after a sequence or the first byte: 0 = a literal run
        jsr @_head
        jsr @_copy              ; from the stream, which moves past the run
        jsr @_head              ; after a literal run: 0 = a repeat
@_copy_back:                    ; src = dst - offset while the copy runs
        lda @_src
        pha
        lda @_src+1
        pha
;#if o1 o2 o7
        sec
;#else
        clc                     ; the minus one of offset - 1
;#endif
        lda @_dst
        sbc @_last
        sta @_src
        lda @_dst+1
        sbc @_last+1
        sta @_src+1
        jsr @_copy
        pla
        sta @_src+1
        pla
        sta @_src
        bcs @_token             ; carry is still the sbc's: no borrow

; The flag, then a length: back with X and @_hi as the copies count. Flag 1 does not go
; back: its return address leaves the stack for the new offset.
@_head:
        jsr @_bit
        bcc @_gamma
        pla
        pla
        jsr @_gamma             ; the length - 1
        txa                     ; + 1: a low count of 0 stood for 256
        bne @_plus_one
        inc @_hi
@_plus_one:
;#if o4 o5 o6 o7
        pha                     ; the bit reads count with X
;#else
        inx
;#endif
;; ---------------------------------------------------------------- the offset, into @_last
;; Each leaves carry clear for the branch to the copy.
;#if o1
        jsr @_byte
        sta @_last
;#elif o2
        jsr @_byte
        sty @_last+1            ; high part 0 unless the long form follows
        cmp #$80
        bcc @_offset_short
        and #$7F                ; long offset: high part first
        sta @_last+1
        jsr @_byte
        clc
@_offset_short:
        sta @_last
;#elif o4
        sty @_last
        sty @_last+1
        ldx #2
        jsr @_read              ; the class n
        ldx @_last
        stx @_class
        sty @_last
@_offset_part:                  ; each class adds {W1} bits, the classes before it adding one
        ldx #{W1}
        jsr @_read
        dec @_class
        bmi @_offset_read
        inc @_last
        bne @_offset_part
        inc @_last+1
        bne @_offset_part
@_offset_read:
;#elif o5
        sty @_last
        sty @_last+1
        ldx #{W1}
        jsr @_read
;#elif o6
        sty @_last
        sty @_last+1
        jsr @_bit
        ldx #{W1}
        bcs @_offset_short
        ldx #{W2}
        jsr @_read              ; the long form starts where the short one ends
        lda #{(1 << W1) & 255}
        adc @_last
        sta @_last
        lda #{(1 << W1) >> 8}
        adc @_last+1
        sta @_last+1
        ldx #0
@_offset_short:
        jsr @_read
;#else
        sty @_last
        sty @_last+1
        ldx #0
@_offset_zero:                  ; X = the zeros before the leading 1, the bits after it
        jsr @_bit
        bcs @_offset_value
        inx
        bne @_offset_zero
@_offset_value:
        jsr @_read_bit
;#endif
;#if o4 o5 o6 o7
        pla
        tax
        inx
;#endif
        bcc @_copy_back

; X = the low count (0 = 256), @_hi = pages: from src to dst, both moving past the bytes.
@_copy:
        lda (@_src),y           ; front to back one byte at a time, so an offset below
        sta (@_dst),y           ; the length repeats
        inc @_src
        bne @_copy_to
        inc @_src+1
@_copy_to:
        inc @_dst
        bne @_copy_count
        inc @_dst+1
@_copy_count:
        dex
        bne @_copy
        dec @_hi
        bne @_copy
        rts

;; ---------------------------------------------------------------- the readers
; An interlaced gamma code: X = its low byte, or 0 for 256, and @_hi its pages, carry clear.
; After 16 value bits the code is overlong, the end mark: it returns from the routine, its
; caller being at the routine's own level (@_head jumps here, or the new offset calls it).
@_gamma:
        ldx #1
        sty @_hi
@_gamma_next:
        jsr @_bit               ; a 1 goes on, a 0 stops
        bcs @_gamma_bit
        txa                     ; pages: high + 1, unless the low byte is 0
        beq @_gamma_end
        inc @_hi
@_gamma_end:
        rts
@_gamma_bit:
        jsr @_bit
        txa
        rol a
        tax
        rol @_hi
        bcc @_gamma_next        ; the leading 1 leaves after 16 value bits
        pla
        pla
        rts
;#if o4 o5 o6 o7
; @_last = @_last * 2 ^ X + the next X bits, carry clear. Destroys A and X.
@_read_next:
        jsr @_bit
@_read_bit:
        rol @_last
        rol @_last+1
@_read:
        dex
        bpl @_read_next
        rts
;#endif
; Carry = the next bit. Destroys A.
@_bit:
        asl @_bits
        bne @_bit_read
;#if o1 o2
        jsr @_byte
;#else
        lda (@_src),y           ; the only byte read: inline
        inc @_src
        bne @_bit_load
        inc @_src+1
@_bit_load:
;#endif
        sec                     ; the marker
        rol a
        sta @_bits
@_bit_read:
        rts
;#if o1 o2
; A = the next stream byte. Takes Y = 0; keeps X, Y and carry.
@_byte:
        lda (@_src),y
        inc @_src
        bne @_got
        inc @_src+1
@_got:
        rts
;#endif
