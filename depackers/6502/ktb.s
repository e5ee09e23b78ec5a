; KTB depacker for the 6502.
; In:  depack_src = packed stream, depack_dst = destination (zero page, low byte first).
;      Call with jsr depack.
; Out: depack_dst = one past the last byte written; depack_src one past the end mark.
; Destroys A, X, Y and the flags. Uses 8 zero-page bytes (segment ZEROPAGE) and 2 bytes of
; stack besides its return address; writes no memory but the output and those bytes.
; Size: 119 bytes. Speed: 28.8 cycles per output byte on the test corpus (page copy: 16).
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, or +2 above 63 bytes; a sequence
; its 2 to 4 bytes - its length).
; Checked with ca65 2.19.

.export depack, depack_src, depack_dst

.segment "ZEROPAGE"
depack_src:     .res 2
depack_dst:     .res 2
ktb_from:       .res 2          ; where a token copies from: the stream or the output
ktb_pages:      .res 1          ; the count's high byte, plus one when its low byte is not 0
ktb_control:    .res 1

.segment "CODE"
; The copy comes first so that it falls into the next token; the entry is depack below.
ktb_sequence:
        jsr ktb_get
        sty ktb_from+1          ; offset high part 0 unless the long form follows
        bpl ktb_short_offset
        and #$7F                ; long offset: high part first
        sta ktb_from+1
        jsr ktb_get
ktb_short_offset:
        eor #$FF                ; from = dst - offset: dst + ~low + 1 (ktb_get left carry set),
        adc depack_dst          ; then the high part
        sta ktb_from
        lda depack_dst+1
        sbc ktb_from+1
        sta ktb_from+1
ktb_copy:
        txa                     ; a low byte of 0 needs no extra round of X
        beq ktb_copy_byte
        inc ktb_pages
ktb_copy_byte:
        lda (ktb_from),y        ; front to back one byte at a time, so an offset below
        sta (depack_dst),y      ; the count repeats
        iny
        beq ktb_next_page       ; out of the loop, as it is taken once in 256
ktb_counted:
        dex
        bne ktb_copy_byte
        dec ktb_pages           ; left at 0 for the next token
        bne ktb_copy_byte
        tya                     ; dst += Y
        clc
        adc depack_dst
        sta depack_dst
        bcc ktb_token
        inc depack_dst+1
depack:
ktb_token:
        ldy #0                  ; ktb_get and the copy loop take Y = 0
        jsr ktb_get
        beq ktb_end             ; 0x00 ends
        sta ktb_control
        and #$3F
        tax                     ; X = count, or its low byte below
        sty ktb_pages
        bit ktb_control         ; N = long count, V = sequence; ktb_get keeps V
        bpl ktb_short_count
        stx ktb_pages
        jsr ktb_get
        tax
ktb_short_count:
        bvs ktb_sequence
        lda depack_src          ; literal run: copy from the stream, which moves past it
        sta ktb_from
        txa
        clc
        adc depack_src
        sta depack_src
        lda depack_src+1
        sta ktb_from+1
        adc ktb_pages
        sta depack_src+1
        bcc ktb_copy            ; the stream does not pass $FFFF
ktb_next_page:
        inc ktb_from+1
        inc depack_dst+1
        bne ktb_counted         ; the output does not pass $FFFF
ktb_end:
        rts

; A = next stream byte, with N and Z set from it, and carry set. Takes Y = 0; keeps X, Y, V.
ktb_get:
        lda (depack_src),y
        inc depack_src
        bne ktb_got
        inc depack_src+1
ktb_got:
        cmp #0
        rts
