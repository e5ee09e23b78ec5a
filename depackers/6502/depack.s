;; The 6502 routines of every pack model in one template. KtuPack and tools/routine_sizes.sh
;; specialise it (lib/routines): lines under ";#if tN oN" are kept for the model's type and
;; offset coding, "@" becomes the entry name and "{...}" the value of an expression over the
;; widths W1, W2. What comes out is plain ca65 code for that one model.
;; Register use while a token is decoded: Y = 0, as the byte and bit reads index with it.
;; @_from gathers the bits of a gamma code or an offset, then holds where a copy reads from;
;; @_hi counts the pages of a copy. In KTA, KTB with codings 1 and 2, and ZX7 the offset block
;; in the middle leaves @_from = dst - offset for every type, the types' own code lying around
;; it; ZX7 with coding 5 follows as a block of its own, its gamma read inline. KTB with the bit
;; codings, BLK and TS1 follow as a third block, with one copy loop that counts the bytes left
;; in @_count, after the offset block so that it falls in; TS1 reads its length's gamma code
;; inline into @_count, and with coding 7 keeps only that block's bit reader and copy loop,
;; its own token code around them. ZX7 with codings 1, 2, 4 and 6 keeps Y = 0 through its
;; copies too, moving both pointers (smaller, and slower where the speed goal leaves room),
;; and with codings 1 and 2 gathers its gamma in @_from+1 and @_hi, where the copy counts.
;#if t1
; KTA depacker for the 6502: routine @.
;#elif t2
; KTB depacker for the 6502: routine @.
;#elif t3
; ZX7 depacker for the 6502: routine @.
;#elif t4
; BLK depacker for the 6502: routine @.
;#else
; TS1 depacker for the 6502: routine @.
;#endif
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
; Destroys A, X, Y and the flags. Uses {6 + !(T == 1 && C <= 2) + (T == 2) + !(T <= 2 && C <= 2) + (C == 4 && T != 5) + (T >= 4)} zero-page bytes (segment ZEROPAGE) and
;#if t1 o1
; no stack besides its return address; writes no memory but the output and those bytes.
;#elif t1 t2 o1 o2
; 2 bytes of stack besides its return address; writes no memory but the output and those bytes.
;#else
; up to 7 bytes of stack besides its return address; writes no memory but the output and
; those bytes.
;#endif
;#if t1 o1
; Size: 75 bytes. Speed: 23.0 cycles per output byte on the test corpus (page copy: 16).
; Goal: no larger or slower than before the template (75 bytes, 23.0 cycles): met.
;#elif t1 o2
; Size: 94 bytes. Speed: 24.9 cycles per output byte on the test corpus.
; Goal: at most 119 bytes and 30.42 cycles per output byte: met.
;#elif t1 o4
; Size: 133 bytes. Speed: 43.8 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t1 o5
; Size: 106 bytes. Speed: 38.4 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t1 o6
; Size: 137 bytes. Speed: 49.5 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t1 o7
; Size: 125 bytes. Speed: 44.6 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t2 o1
; Size: 111 bytes. Speed: 29.5 cycles per output byte on the test corpus.
; Goal: at most 119 bytes and 30.42 cycles per output byte: met.
;#elif t2 o2
; Size: 119 bytes. Speed: 28.9 cycles per output byte on the test corpus (page copy: 16).
; Goal: no larger or slower than before the template (119 bytes, 28.9 cycles): met.
;#elif t2 o4
; Size: 135 bytes. Speed: 67.6 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t2 o5
; Size: 112 bytes. Speed: 62.3 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t2 o6
; Size: 139 bytes. Speed: 74.1 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t2 o7
; Size: 127 bytes. Speed: 68.0 cycles per output byte on the test corpus.
; Goal: at most 140 bytes and 90 cycles per output byte: met.
;#elif t3 o1
; Size: 116 bytes. Speed: 67.1 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t3 o2
; Size: 127 bytes. Speed: 66.4 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t3 o4
; Size: 150 bytes. Speed: 105.2 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t3 o5
; Size: 127 bytes. Speed: 86.2 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t3 o6
; Size: 150 bytes. Speed: 103.9 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t3 o7
; Size: 128 bytes. Speed: 82.9 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t4 o1
; Size: 115 bytes. Speed: 61.9 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t4 o2
; Size: 126 bytes. Speed: 60.6 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t4 o4
; Size: 149 bytes. Speed: 95.7 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t4 o5
; Size: 127 bytes. Speed: 89.7 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t4 o6
; Size: 149 bytes. Speed: 92.2 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t4 o7
; Size: 122 bytes. Speed: 86.5 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t5 o1
; Size: 119 bytes. Speed: 72.5 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t5 o2
; Size: 131 bytes. Speed: 59.8 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: size over.
;#elif t5 o4
; Size: 148 bytes. Speed: 87.4 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t5 o5
; Size: 128 bytes. Speed: 86.7 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#elif t5 o6
; Size: 148 bytes. Speed: 88.1 cycles per output byte on the test corpus.
; Goal: at most 150 bytes and 110 cycles per output byte: met.
;#elif t5 o7
; Size: 127 bytes. Speed: 86.7 cycles per output byte on the test corpus.
; Goal: at most 128 bytes and 90 cycles per output byte: met.
;#endif
;#if t1 o1
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, a sequence 2 - its length).
;#elif t2 o2
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, or +2 above 63 bytes; a sequence
; its 2 to 4 bytes - its length).
;#else
; Speed over the corpus files cut to 8192 bytes, with the offset widths 4 (coding 4), 12
; (coding 5) or 6 and 14 (coding 6); other widths run at somewhat other speeds.
; In place: the stream may end M bytes past the end of the output, inside the output area, M
; being the margin KtuPack reports: the routine reads a token's codes before it writes, each
; literal byte just before writing it, and a bit byte when the first of its bits is needed.
;#endif
; Checked with ca65 2.19.

.export @
.exportzp @_src, @_dst

.segment "ZEROPAGE"
@_src:  .res 2
;#if ! t5 o2 o4 o5 o6 o7
@_dst:  .res 2
;#endif
@_from: .res 2                  ; bits read, then where a copy reads from
;#if t5 o2 o4 o5 o6
@_dst:  .res 2                  ; after @_from, which lies just above @_src, so that a literal
                                ; run's index is $FF, as the token's gamma leaves X
;#endif
;#if t2 t4 t5
;#if ! t2 o1 o2
@_count: .res 2                 ; bytes left to copy
;#else
@_hi:   .res 1                  ; pages left to copy
@_control: .res 1
;#endif
;#elif ! t1 o1 o2
@_hi:   .res 1                  ; pages left to copy
;#endif
;#if t5 o7
@_dst:  .res 2                  ; after @_count: @_src, @_from and @_count lie 2 bytes apart,
                                ; as X = $FE reaches @_src from @_from and @_from from @_count
;#endif
;#if ! t1 t2 o1 o2
@_bits: .res 1                  ; bit buffer: bits left, then a marker 1; 0 when empty
;#endif
;#if t1 t2 t3 t4 o4
@_class: .res 1                 ; offset classes left to read
;#endif

.segment "CODE"
;#if t1 t2 t3
;#if ! t3 o5
;#if ! t2 o4 o5 o6 o7
;#if t1
;; ---------------------------------------------------------------- KTA
@:
        cld
;#if o4 o5 o6 o7
        ldy #0
        sty @_bits
;#endif
@_token:
        ldy #0
        lda (@_src),y
        inc @_src
        bne @_control_read
        inc @_src+1
@_control_read:
        lsr a                   ; count, with the sequence flag in carry; 0x00 ends
        beq @_end
        tax
        bcc @_literal
;#if o4 o5 o6 o7
        stx @_hi                ; the bit reads count with X
;#endif
;#elif t2
;; ---------------------------------------------------------------- KTB
;#if o2
; The copy comes first so that it falls into the next token; the entry is @ below.
;#else
        ; the entry is @ below
;#endif
@_sequence:
;#else
;; ---------------------------------------------------------------- ZX7
@:
        cld
        ldy #0
        sty @_bits
;#if o7
@_literal:                      ; one literal byte: the first raw byte comes here first
        jsr @_byte
        sta (@_dst),y
        iny
@_copied:                       ; dst += Y
        tya
        clc
        adc @_dst
        sta @_dst
        bcc @_token
        inc @_dst+1
@_token:
        ldy #0
;#else
; Y = 0 throughout: the copy moves its pointers, slower than an index but smaller.
@_literal:                      ; one literal byte: the first raw byte comes here first
        jsr @_byte
        ldx #1                  ; through the copy's second half, as a copy of one byte
        stx @_hi
        bne @_put
@_copy:                         ; X = the low count (0 = 256), @_hi = pages
        lda (@_from),y          ; front to back one byte at a time, so an offset below
        inc @_from              ; the count repeats
        bne @_put
        inc @_from+1
@_put:
        sta (@_dst),y
        inc @_dst
        bne @_count
        inc @_dst+1
@_count:
        dex
        bne @_copy
        dec @_hi
        bne @_copy
@_token:                        ; X = 0, as the gamma takes it
;#endif
        jsr @_bit               ; 1: one literal byte
        bcs @_literal
        jsr @_gamma             ; 0 and gamma g: a sequence of g + 1 bytes
        bcs @_end               ; an overlong gamma code ends
;#if o1 o2
        inc @_hi                ; pages: high + 1, the low count + 1 (0 = 256); the gamma
        ldx @_from+1            ; gathers in @_from+1 and @_hi, as the offset is bytes
        inx
;#else
        ldx @_from+1            ; pages: high + 1, the low count + 1 (0 = 256)
        inx
        stx @_hi
        lda @_from              ; the low count less one: one is added after the offset
        pha                     ; the bit reads count with X
;#endif
@_sequence:
;#endif
;; ---------------------------------------------------------------- offset: from = dst - offset
;#if o1
;#if t1 t2
        lda @_dst               ; (KTA, KTB: carry is set here, as sbc needs it)
        sbc (@_src),y
        sta @_from
        lda @_dst+1
        sbc #0
        sta @_from+1
        inc @_src
        bne @_offset_read
        inc @_src+1
@_offset_read:
;#else
        jsr @_byte
        eor #$FF                ; from = dst + ~offset + 1
        sec
        adc @_dst
        sta @_from
        lda @_dst+1
        adc #$FF
        sta @_from+1
;#endif
;#elif o2
        jsr @_byte
        sty @_from+1            ; high part 0 unless the long form follows
        bpl @_offset_short
        and #$7F                ; long offset: high part first
        sta @_from+1
        jsr @_byte
@_offset_short:
        eor #$FF                ; from = dst + ~low + 1 (@_byte leaves carry set), then the high part
        adc @_dst
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#elif o4
        sty @_from
        sty @_from+1
        ldx #2
        jsr @_read              ; the class n
        ldx @_from
        stx @_class
        sty @_from
@_offset_part:                  ; each class adds {W1} bits, the classes before it adding one
        ldx #{W1}
        jsr @_read
        dec @_class
        bmi @_offset_read
        inc @_from
        bne @_offset_part
        inc @_from+1
        bne @_offset_part
@_offset_read:                  ; carry is clear: from = dst - value - 1
        lda @_dst
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#elif o5
        sty @_from
        sty @_from+1
        ldx #{W1}
;#if t1 t2
@_read_next:                    ; the only bit read: inline, {W1} bits into @_from
        asl @_bits
        bne @_read_bit
;#if t1
        lda (@_src),y
        inc @_src
        bne @_bit_load
        inc @_src+1
@_bit_load:
        sec                     ; the marker
;#else
        jsr @_byte              ; leaves carry set: the marker
;#endif
        rol a
        sta @_bits
@_read_bit:
        rol @_from
        rol @_from+1            ; at most 16 bits: carry ends clear
        dex
        bne @_read_next
;#else
        jsr @_read
;#endif
        lda @_dst               ; carry is clear: from = dst - value - 1
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#elif o6
        sty @_from
        sty @_from+1
        jsr @_bit
        ldx #{W1}
        bcs @_offset_short
        ldx #{W2}
        jsr @_read              ; the long form starts where the short one ends
        lda #{(1 << W1) & 255}
        adc @_from
        sta @_from
        lda #{(1 << W1) >> 8}
        adc @_from+1
        sta @_from+1
        inx                     ; X = 0 from $FF: no more bits
@_offset_short:
        jsr @_read
        lda @_dst               ; carry is clear: from = dst - value - 1
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#else
        jsr @_gamma
        sec
        lda @_dst
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#endif
;#if t1
;; ---------------------------------------------------------------- KTA
;#if o4 o5 o6 o7
        ldx @_hi
;#endif
@_sequence_copy:
        lda (@_from),y          ; byte by byte, so an offset below the count repeats
        sta (@_dst),y
        iny
        dex
        bne @_sequence_copy
        beq @_dst_forward
@_literal:
        lda (@_src),y           ; counts stay below 128, so Y never wraps
        sta (@_dst),y
        iny
        dex
        bne @_literal
        tya                     ; carry is clear, from lsr
        adc @_src
        sta @_src
        bcc @_dst_forward
        inc @_src+1
@_dst_forward:
        tya
        clc
        adc @_dst
        sta @_dst
        bcc @_token
        inc @_dst+1
        bne @_token             ; the output does not pass $FFFF
@_end:
        rts
;#elif t2
;; ---------------------------------------------------------------- KTB
@_copy:
        txa                     ; a low byte of 0 needs no extra round of X
        beq @_copy_byte
        inc @_hi
@_copy_byte:
        lda (@_from),y          ; front to back one byte at a time, so an offset below
        sta (@_dst),y           ; the count repeats
        iny
        beq @_next_page         ; out of the loop, as it is taken once in 256
@_counted:
        dex
        bne @_copy_byte
        dec @_hi                ; left at 0 for the next token
        bne @_copy_byte
        tya                     ; dst += Y
        clc
        adc @_dst
        sta @_dst
        bcc @_token
        inc @_dst+1
@:
        cld
@_token:
        ldy #0                  ; @_byte and the copy loop take Y = 0
        jsr @_byte
        beq @_end               ; 0x00 ends
        sta @_control
        and #$3F
        tax                     ; X = count, or its low byte below
        sty @_hi
        bit @_control           ; N = long count, V = sequence; @_byte keeps V
        bpl @_short_count
        stx @_hi
        jsr @_byte
        tax
@_short_count:
        bvs @_sequence
        lda @_src               ; literal run: copy from the stream, which moves past it
        sta @_from
        txa
        clc
        adc @_src
        sta @_src
        lda @_src+1
        sta @_from+1
        adc @_hi
        sta @_src+1
        bcc @_copy              ; the stream does not pass $FFFF
@_next_page:
        inc @_from+1
        inc @_dst+1
        bne @_counted           ; the output does not pass $FFFF
;#else
;; ---------------------------------------------------------------- ZX7
;#if o4 o5 o6 o7
        pla
        tax
        inx
;#endif
;#if o7
@_copy:                         ; X = the low count (0 = 256), @_hi = pages
        lda (@_from),y          ; front to back one byte at a time, so an offset below
        sta (@_dst),y           ; the count repeats
        iny
        bne @_copy_count
        inc @_from+1
        inc @_dst+1
@_copy_count:
        dex
        bne @_copy
        dec @_hi
        bne @_copy
        beq @_copied
;#else
        bcs @_copy              ; from = dst - offset leaves carry set
;#endif
;#endif
;; ---------------------------------------------------------------- the readers
;#if ! t1 t2 o1 o2 o5
;#if t1 t2 o1 o2 o4 o5 o6
;#else
;#if t3 o1 o2
; A gamma code: its value in @_from+1 (low) and @_hi (high), as the offset reads no bits, and
; carry clear; an overlong code leaves carry as its last bit, set. Takes X = 0; destroys A, X.
;#elif t3 o4 o6
; A gamma code: @_from = its value and carry clear; an overlong code leaves carry as its last
; bit, set. Takes X = 0; destroys A and X.
;#else
; A gamma code: @_from = its value and carry
; clear; an overlong code leaves carry as its last bit, set. Destroys A and X.
;#endif
@_gamma:
;#if ! t3 o1 o2 o4 o6
        ldx #0
;#endif
;#if t3 o1 o2
        sty @_from+1
        sty @_hi
;#else
        sty @_from
        sty @_from+1
;#endif
@_gamma_zero:
        jsr @_bit
        bcs @_read_bit
        inx
        cpx #16
        bne @_gamma_zero
        ; then the bit after the zeros, below
;#endif
;#if t1 t2 o4
; @_from = @_from * 2 ^ X + the next X bits, carry clear. Destroys A and X. The bit read
; is inline, as the offset makes no other.
@_read_next:
;#else
; Carry = the next bit. Destroys A.
@_bit:
;#endif
        asl @_bits
        bne @_bit_read
;#if o2
        jsr @_byte
;#elif t3
        jsr @_byte
        sec                     ; the marker
;#else
        lda (@_src),y
        inc @_src
        bne @_bit_load
        inc @_src+1
@_bit_load:
        sec                     ; the marker
;#endif
        rol a
        sta @_bits
@_bit_read:
;#if ! t1 t2 o4
        rts
;#if t3 o1 o2
; The value so far * 2 ^ X + the next X bits, carry clear. Destroys A and X.
;#else
; @_from = @_from * 2 ^ X + the next X bits, carry clear. Destroys A and X.
;#endif
@_read_next:
        jsr @_bit
;#endif
@_read_bit:
;#if t3 o1 o2
        rol @_from+1
        rol @_hi
;#else
        rol @_from
        rol @_from+1
;#endif
@_read:
        dex
        bpl @_read_next
;#if t3
@_end:
;#endif
        rts
;#endif
;#if t2
; A = next stream byte, with N and Z set from it, and carry set. Takes Y = 0; keeps X, Y, V.
@_byte:
        lda (@_src),y
        inc @_src
        bne @_got
        inc @_src+1
@_got:
        cmp #0
@_end:
        rts
;#elif o2
; A = next stream byte, with N and Z set from it, and carry set. Takes Y = 0; keeps X, Y.
@_byte:
        lda (@_src),y
        inc @_src
        bne @_got
        inc @_src+1
@_got:
        cmp #0
        rts
;#elif t3
; A = next stream byte. Takes Y = 0; keeps X, Y and carry.
@_byte:
        lda (@_src),y
        inc @_src
        bne @_got
        inc @_src+1
@_got:
        rts
;#endif
;#endif
;#else
;; ---------------------------------------------------------------- ZX7 with coding 5
;; Y = 0 while a token is read and X = 0 when one starts, as the gamma code, read inline,
;; counts with it. A sequence copies with Y as its index and X, @_hi as its count; the
;; literal byte and the copy both end at @_copied with carry set and Y the index of the last
;; byte written, so that the add takes the one byte more.
@:
        cld
        lda #$80                ; the bit buffer empty: its marker alone
        sta @_bits
        asl a                   ; A = 0 and carry set, as @_copied takes them
        tax
        tay
@_literal:                      ; one literal byte: the first raw byte comes here first
        lda (@_src),y
        sta (@_dst),y
        jsr @_skip
@_copied:                       ; carry is set: dst += Y + 1
        tya
        adc @_dst
        sta @_dst
        bcc @_token
        inc @_dst+1
@_token:
        ldy #0
        jsr @_bit               ; 1: one literal byte
        bcs @_literal
        sty @_from              ; 0 and gamma g: a sequence of g + 1 bytes
        sty @_from+1
@_gamma_zero:
        jsr @_bit
        bcs @_gamma_value
        inx
        cpx #16
        bne @_gamma_zero
        ; an overlong code ends: @_bit reads the bit after the zeros and returns from @
; Carry = the next bit. Destroys A.
@_bit:
        asl @_bits
        bne @_bit_read
        lda (@_src),y
        rol a                   ; carry is set, as the marker just shifted out: the new marker
        sta @_bits
@_skip:                         ; the stream one byte on; keeps A, X, Y and carry
        inc @_src
        bne @_bit_read
        inc @_src+1
@_bit_read:
        rts
; @_from = @_from * 2 ^ X + the next X bits, carry clear. Destroys A and X.
@_read_next:
        jsr @_bit
@_read_bit:
        rol @_from
        rol @_from+1
@_read:
        dex
        bpl @_read_next
        rts
@_gamma_value:
        jsr @_read_bit          ; the leading 1, then X bits
        ldx @_from+1            ; pages: high + 1, the low count + 1 (0 = 256)
        inx
        stx @_hi
        lda @_from
        pha                     ; the offset's bits count with X
        sty @_from
        sty @_from+1
        ldx #{W1}
        jsr @_read
        lda @_dst               ; carry is clear: from = dst - value - 1
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1            ; carry set: the offset reaches back no further than the output
        pla
        tax
        inx
@_copy:                         ; front to back one byte at a time, so an offset below the
        lda (@_from),y          ; count repeats
        sta (@_dst),y
        dex
        bne @_copy_next
        dec @_hi
        beq @_copied            ; with carry still set
@_copy_next:
        iny
        bne @_copy
        inc @_from+1
        inc @_dst+1
        bne @_copy              ; the output does not pass $FFFF
;#endif
;#endif
;#if t2 t4 t5
;#if ! t2 o1 o2
;; ------------------------------------------------------------------- KTB (bit offsets), BLK, TS1
;; Y = 0 throughout. One loop makes every copy: X picks the pointer it reads through, @_src (a
;; literal run) or @_from (a sequence), and @_count is the bytes left. A gamma code or a bit
;; field gathers in @_count (codings 1 and 2) or @_from (the others; TS1 with coding 7 below).
;#if t5 o7
;; ---------------------------------------------------------------- TS1 with coding 7
;; Y = 0 throughout, and @_count = 0 whenever a token starts, as every copy ends there: the
;; prefix counts in it. Both gamma codes, the length's and the offset's, are read by one inline
;; reader that X points at its two bytes: X = 0 for @_count, as the prefix leaves it, and $FE
;; for @_from. It counts with a
;; marker, a 1 bit that each 0 of the code moves one place down from where the extra bits
;; put it and that the value bits then push out of the top, so that X is free for the pointer
;; and the length needs no move. A long form's kind waits on the stack meanwhile. One loop
;; makes every copy: X picks the pointer it reads through, @_src (a literal run) or @_from.
@:
        cld
        ldy #0
        sty @_count
        sty @_count+1
        lda #$40                ; one 0 bit waits, so that the raw first byte is read as a
        sta @_bits              ; literal byte; the marker follows it
@_token:
        ldx #3
@_prefix:                       ; @_count = 1 + the 1 bits before the first 0, X = 3 - them
        inc @_count
        jsr @_bit
        bcc @_short
        dex
        bne @_prefix
        jsr @_bit               ; 1111: a literal run, 1110: a sequence
        php
        lda #$20                ; the marker for 2 extra bits
@_gamma:                        ; carry set: one place lower, for 3 extra bits
        sta @_count+1,x
        sty @_count,x
        bcs @_gamma_shift
@_gamma_zero:
        jsr @_bit
        bcs @_gamma_value
@_gamma_shift:
        lsr @_count+1,x
        ror @_count,x
        bcc @_gamma_zero
        plp                     ; an overlong code ends: @_bit reads the bit after the zeros
                                ; and returns from @
;#elif ! t2 o4 o5 o6
;; ---------------------------------------------------------------- the readers
;#if t5
;; TS1 with codings 1, 2, 4, 5 and 6: @_count = 0 whenever a token starts, as every copy ends
;; there, and the length's gamma code gathers in it uncleared, read inline after the prefix
;#if o1
;; with Y = its extra bits plus one (the prefix count as it stands), the kind waiting in @_from.
;; X = $FF from each token's start: the stream's index from @_src+1, with which @_bit reads
;; and @_skip steps it, the literal run copies and the copy steps its pointer through @_skip.
;#elif o4
;; with X = its extra bits (the prefix count as it stands), the kind waiting in A, which @_bit
;; keeps; the value loop ends with X = $FF, the index that the literal run and the offset's
;; start take. The offset's class is read into A too and counts its parts there.
;#else
;; with X = its extra bits (the prefix count as it stands), the kind waiting in @_from; the
;; value loop ends with X = $FF, the index that the literal run and the offset's start take.
;#if o2
;; A sequence's offset is read with carry clear, one below, and the copy's step raises it.
;#endif
;#endif
@:
        cld
        ldy #0
;#if ! o1
        sty @_count+1           ; then 0 at every token, as each copy ends there
;#endif
        lda #$40                ; one 0 bit waits, so that the raw first byte is read as a
        sta @_bits              ; literal byte; the marker follows it
@_token:
        ldx #$FF
;#if o1
@_prefix:                       ; Y = the 1 bits before the first 0, up to 4: 0 as the last
        jsr @_bit               ; copy left it
        bcc @_prefix_end
        iny
        cpy #4
        bne @_prefix
@_gamma_length:                 ; 1110 and 1111: gamma with 2 or 3 extra bits, Y - 1
        sty @_from              ; bit 0: 1 for 1110, a sequence; 0 for 1111, a literal run
;#else
@_prefix:                       ; X = the 1 bits before the first 0, less one, up to 3
        jsr @_bit
        bcc @_prefix_end
        inx
        cpx #3
        bne @_prefix
@_gamma_length:                 ; 1110 and 1111: gamma with X = 2 or 3 extra bits
;#if o4
        txa                     ; bit 0: 1 for 1111, a literal run; 0 for 1110, a sequence
;#else
        stx @_from              ; bit 0: 1 for 1111, a literal run; 0 for 1110, a sequence
;#endif
;#endif
;#else
; A gamma code: its value, carry clear; an overlong code leaves carry as its last bit, set.
; Destroys A and X.
@_gamma:
        ldx #0
;#if o1 o2
        sty @_count
        sty @_count+1
;#else
        sty @_from
        sty @_from+1
;#endif
;#endif
@_gamma_zero:
        jsr @_bit
;#if t5
        bcs @_gamma_value
;#else
        bcs @_read_bit
;#endif
;#if t5 o1
        iny
        cpy #17                 ; one more, as the value loop reads Y - 1 bits
;#else
        inx
        cpx #16
;#endif
        bne @_gamma_zero
        ; then the bit after the zeros, below
;#endif
;#if t2 o4 o5
; The value gathered so far * 2 ^ X + the next X bits, carry clear. Destroys A and X. The
; bit read is inline, as the offset makes no other.
@_read_next:
;#else
; Carry = the next bit. Destroys A.
@_bit:
;#endif
        asl @_bits
;#if t2 o4 o5
        bne @_read_bit
;#else
        bne @_end
;#endif
;#if t5
;#if o4
        pha                     ; A is kept: it holds the token's kind, then the offset's class
;#endif
;#if o1
        lda (@_src+1,x)         ; the bit bytes read inline, X = $FF
;#else
        lda (@_src),y           ; the bit bytes read inline
;#endif
        rol a                   ; carry is set, as the marker just shifted out: the new marker
        sta @_bits
;#if o4
        pla
;#endif
;#if o1
@_skip:                         ; the pointer at @_src+1+X one byte on (X = $FF: the stream);
        inc @_src+1,x           ; keeps A, X, Y and carry, and leaves zero clear
        bne @_end
        inc @_src+2,x
;#else
;#if o2
@_skip:                         ; the stream one byte on; keeps A, X, Y and carry
;#endif
        inc @_src
        bne @_end
        inc @_src+1
;#endif
;#else
        jsr @_byte
        sec                     ; the marker
        rol a
        sta @_bits
;#endif
;#if t5 o7
@_end:
        rts
@_gamma_next:
        jsr @_bit
@_gamma_value:                  ; the leading 1, then bits until the marker leaves: carry set
        rol @_count,x
        rol @_count+1,x
        bcc @_gamma_next
        txa
        bne @_offset            ; X = $FE: the offset
        plp                     ; carry: a literal run; zero clear, as @_bit left it
        bne @_kind
@_short:                        ; X = 3: one literal byte; 2 and 1: a sequence of @_count
        cpx #3                  ; carry: a literal byte
@_kind:
        ldx #$FE                ; @_src - @_from, and @_from - @_count for the offset
        bcs @_copy_next
        lda #$80                ; the offset's gamma code: no extra bits
        bcc @_gamma
@_offset:                       ; carry set: from = dst - value, X ending at 0, the sequence
        lda @_dst+2,x
        sbc @_count,x
        sta @_count,x
        inx
        bne @_offset
;#else
;#if ! t5
;#if ! t2 o4 o5
@_end:
        rts
; The value gathered so far * 2 ^ X + the next X bits, carry clear. Destroys A and X.
@_read_next:
        jsr @_bit
;#endif
@_read_bit:
;#if o1 o2
        rol @_count
        rol @_count+1
;#else
        rol @_from
        rol @_from+1
;#endif
@_read:
        dex
        bpl @_read_next
;#if t2 o4 o5
@_end:
;#endif
        rts
;#else
@_end:
        rts
;#endif
;#if ! t5
; A = next stream byte. Takes Y = 0; keeps X, Y and carry.
@_byte:
        lda (@_src),y
        inc @_src
        bne @_got
        inc @_src+1
@_got:
        rts
;#endif
;#if ! t5
;; ---------------------------------------------------------------- the entry
@:
        cld
        ldy #0
        sty @_bits
;#endif
;#if t2
@_token:
        jsr @_byte
        tax                     ; 0x00 ends
        beq @_end
        stx @_count+1
        and #$3F                ; the count, or its high part
        bit @_count+1           ; N = long count, V = sequence; @_byte keeps V
        sty @_count+1
        bpl @_short_count
        sta @_count+1
        jsr @_byte              ; the long count's low byte
@_short_count:
        sta @_count
        ldx #<(@_src - @_from)
        bvc @_copy_next         ; a literal run: from the stream
;#elif t4
@_token:
        jsr @_gamma             ; gamma g, or an overlong code that ends
        bcs @_end
;#if o4 o6
        ldx #1
@_count_set:                    ; the count from the gamma, @_from cleared for the offset
        lda @_from,x
        sta @_count,x
        sty @_from,x
        dex
        bpl @_count_set
;#elif o5 o7
        lda @_from
        sta @_count
        lda @_from+1
        sta @_count+1
;#endif
        jsr @_bit               ; 1: a literal run of g bytes, 0: a sequence of g + 1
;#if o1 o2
        ldx #0
;#else
        ldx #<(@_src - @_from)
;#endif
        bcs @_copy_next
;#else
@_gamma_next:
        jsr @_bit
;#if o1
@_gamma_value:                  ; the leading 1, then Y - 1 bits; Y ends at 0
        rol @_count
        rol @_count+1
        dey
        bne @_gamma_next
        lsr @_from              ; carry: a sequence
        bpl @_kind
@_prefix_end:                   ; 0: one literal byte; 10 and 110: a sequence of 2 or 3
        cpy #3
        bcs @_gamma_length
        iny
        sty @_count
        cpy #2                  ; carry: a sequence
        ldy #0
        sty @_count+1
@_kind:                         ; X = $FF: the stream, as an index from @_src+1
        bcc @_copy_next
;#else
@_gamma_value:                  ; the leading 1, then X bits
        rol @_count
        rol @_count+1
        dex
        bpl @_gamma_next
;#if o4
        lsr a                   ; carry: a literal run
;#else
        lsr @_from              ; carry: a literal run
;#endif
        bpl @_kind
@_prefix_end:                   ; X = $FF: one literal byte; 0 and 1: a sequence of 2 or 3
        cpx #2
        beq @_gamma_length
        inx
        inx
        stx @_count
        ldx #$FF                ; carry from the compare: a literal byte
@_kind:                         ; X = $FF: the stream, as an index from @_from-1
        bcs @_copy_next
;#endif
;#endif
;; ---------------------------------------------------------------- offset: from = dst - offset
;#if t5 o1 o2
;#if o2
        lda (@_src),y           ; X = $FF, the high part complemented, unless the long form
        bpl @_offset_low        ; follows
        jsr @_skip
        eor #$7F                ; long offset: high part first, its flag cleared and the rest
        tax                     ; complemented at once
@_offset_low:
        lda @_dst               ; from = dst - offset - 1, carry clear; the high part as dst's
        sbc (@_src),y           ; high + X + carry, X being the complemented high part; @_step
;#else
        lda @_dst               ; from = dst - offset, carry set; the high part as dst's high
        sbc (@_src),y           ; + X + carry, X being the complemented high part
;#endif
        sta @_from
        txa
        adc @_dst+1
        sta @_from+1
        jsr @_skip
;#elif o1
        jsr @_byte
        eor #$FF                ; from = dst + ~offset + 1
        sec
        adc @_dst
        sta @_from
        lda @_dst+1
        adc #$FF
        sta @_from+1
;#elif o2
        jsr @_byte              ; X = 0: the high part unless the long form follows
        cmp #$80
        bcc @_offset_short
        and #$7F                ; long offset: high part first
        tax
        jsr @_byte
@_offset_short:
        eor #$FF                ; from = dst + ~low + 1, then dst's high - the high part
        sec
        adc @_dst
        sta @_from
        txa
        eor #$FF
        adc @_dst+1
        sta @_from+1
;#else
;#if t5 o4
        stx @_from              ; X = $FF: from = -1, as each class's part adds one first
        stx @_from+1
;#elif ! o7
;#if ! t4 t5 o4 o6
;#if ! t5 o5
        sty @_from
        sty @_from+1
;#endif
;#endif
;#endif
;#if t5
;#if o4
        lda #$40                ; the class n into A, read until this marker leaves; @_bit
@_offset_class:                 ; keeps A
        jsr @_bit
        rol a
        bcc @_offset_class
@_offset_part:                  ; each class adds {W1} bits, the classes before it adding one
        inc @_from
        bne @_offset_width
        inc @_from+1
@_offset_width:
        ldx #{W1 - 1}
;#elif o6
        jsr @_bit               ; 1: the short form, read from 0
        tya
        ldx #{W1 - 1}
        bcs @_offset_start
        lda #{1 << ((W2 > W1 ? 16 - W2 + W1 : W1 - W2) & 7)} ; the long form's preset: a bit that
        ldx #{W2 - 1}           ; the reads move up to 1 << {W1}, or, when {W2} is wider, a
                                ; marker that leaves after the first {W2} - {W1} bits
@_offset_start:
        sta @_from+{(W2 > W1 ? 16 - W2 + W1 : W1 - W2) >> 3}
        sty @_from+{1 - ((W2 > W1 ? 16 - W2 + W1 : W1 - W2) >> 3)}
;#else
        sty @_from              ; 0 under the bits, so that the last shift leaves carry clear
;#if {W1 < 9}
        sty @_from+1            ; up to 8 bits fill the low byte alone
;#endif
        ldx #{W1 - 1}           ; the bits counted (from 9 on the old high byte shifts out)
;#endif
@_offset_bits:
        jsr @_bit
        rol @_from
;#if o5
;#if {W1 > 8}
        rol @_from+1
;#endif
;#else
        rol @_from+1
;#endif
;#if o6
        bcc @_offset_next       ; the marker leaves only once, never at the last bit: its
        inc @_from              ; carry adds 1 when {W1} bits are left
        bne @_offset_next
        inc @_from+1
@_offset_next:
;#endif
        dex
        bpl @_offset_bits       ; carry clear for an offset below 65536
;#if o4
        sbc #0                  ; carry clear: one class fewer left in A
        bpl @_offset_part
;#endif
;#elif o4
        ldx #2
        jsr @_read              ; the class n
        ldx @_from
        stx @_class
        sty @_from
@_offset_part:                  ; each class adds {W1} bits, the classes before it adding one
        ldx #{W1}
        jsr @_read
;#elif o5
        ldx #{W1}
        jsr @_read
;#elif o6
        jsr @_bit
        ldx #{W1}
        bcs @_offset_short
        ldx #{W2}
        jsr @_read              ; the long form starts where the short one ends
;#endif
;#if o4
;#if ! t5
        dec @_class
        bmi @_offset_read
        inc @_from
        bne @_offset_part
        inc @_from+1
        bne @_offset_part
;#endif
;#endif
;#if o6
;#if ! t5
        lda #{(1 << W1) & 255}
        adc @_from
        sta @_from
        lda #{(1 << W1) >> 8}
        adc @_from+1
        sta @_from+1
        inx                     ; X = 0 from $FF: no more bits
@_offset_short:
        jsr @_read
;#endif
;#endif
;#if o7
        jsr @_gamma
        sec                     ; from = dst - value
;#endif
;#if t5
@_offset_read:                  ; carry is clear: from = dst - value - 1, low byte at X = $FF
        lda @_dst+1,x           ; as the reads leave it, high byte at 0; X ends at 1
        sbc @_from+1,x
        sta @_from+1,x
        inx
        beq @_offset_read
;#else
@_offset_read:                  ; carry is clear: from = dst - value - 1
        lda @_dst
        sbc @_from
        sta @_from
        lda @_dst+1
        sbc @_from+1
        sta @_from+1
;#endif
;#endif
;#if o1 o2
        ldx #@_from - @_src - {T == 5}
;#if t4
        bne @_copy              ; g + 1 bytes: one before the count
;#endif
;#elif ! t5
        inx                     ; X = 0 after the reads
;#if t4
        beq @_copy              ; g + 1 bytes: one before the count
;#endif
;#endif
;#endif
;; ---------------------------------------------------------------- the copy
;#if t5 o2
@_step:                         ; raises it by one, X = 1 picking it, before the count
        inc @_from-1,x          ; the copy's pointer one byte on; X = $FF: the stream
        bne @_copy_next
        inc @_from,x
;#endif
@_copy_next:                    ; one byte fewer left; none left ends the token
        lda @_count
        bne @_count_low
        lda @_count+1
        beq @_token
        dec @_count+1
@_count_low:
        dec @_count
;#if t5 o2
@_copy:                         ; X = 1: the sequence, $FF: the stream, from @_from-1; front
        lda (@_from-1,x)        ; to back one byte at a time, so an offset below the count
        sta (@_dst),y           ; repeats; the pointer steps after the output's
        inc @_dst
        bne @_step
        inc @_dst+1
        bne @_step              ; the output does not pass $FFFF
;#elif o1 o2
@_copy:                         ; X = 0: the stream, @_from - @_src: the sequence (TS1: $FF
        lda (@_src+{T == 5},x)  ; and one less, as an index from @_src+1), front to back one
        sta (@_dst),y           ; byte at a time, so an offset below the count repeats
;#if t5
        jsr @_skip
;#else
        inc @_src+{T == 5},x
        bne @_copy_put
        inc @_src+{1 + (T == 5)},x
;#endif
;#else
@_copy:                         ; X = 0: the sequence, @_src - @_from: the stream; in TS1 but
                                ; with coding 7, 1 and one more from @_from-1, as the
                                ; offset's subtraction leaves X = 1
        lda (@_from-{T == 5 && C != 7},x) ; front to back one byte at a time, so an offset
        sta (@_dst),y           ; below the count repeats
        inc @_from-{T == 5 && C != 7},x
        bne @_copy_put
        inc @_from+{1 - (T == 5 && C != 7)},x
;#endif
;#if ! t5 o2
@_copy_put:
        inc @_dst
        bne @_copy_next
        inc @_dst+1
        bne @_copy_next         ; the output does not pass $FFFF
;#endif
;#endif
;#endif
