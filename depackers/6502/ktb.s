; KTB depacker for the 6502: routine depack_t22.
; Offsets: one byte, 1..127, or two with the high part first, up to 32767.
; In:  depack_t22_src = packed stream, depack_t22_dst = destination (zero page, low byte first).
;      Call with jsr depack_t22. The decimal flag may be set: the routine clears it.
; Out: depack_t22_dst = one past the last byte written; depack_t22_src one past the end mark.
; Destroys A, X, Y and the flags. Uses 8 zero-page bytes (segment ZEROPAGE) and
; 2 bytes of stack besides its return address; writes no memory but the output and those bytes.
; Size: 119 bytes. Speed: 28.9 cycles per output byte on the test corpus (page copy: 16).
; Goal: no larger or slower than before the template (119 bytes, 28.9 cycles): met.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, or +2 above 63 bytes; a sequence
; its 2 to 4 bytes - its length).
; Checked with ca65 2.19.

.export depack_t22
.exportzp depack_t22_src, depack_t22_dst

.segment "ZEROPAGE"
depack_t22_src:  .res 2
depack_t22_dst:  .res 2
depack_t22_from: .res 2                  ; bits read, then where a copy reads from
depack_t22_hi:   .res 1                  ; pages left to copy
depack_t22_control: .res 1

.segment "CODE"
; The copy comes first so that it falls into the next token; the entry is depack_t22 below.
depack_t22_sequence:
        jsr depack_t22_byte
        sty depack_t22_from+1            ; high part 0 unless the long form follows
        bpl depack_t22_offset_short
        and #$7F                ; long offset: high part first
        sta depack_t22_from+1
        jsr depack_t22_byte
depack_t22_offset_short:
        eor #$FF                ; from = dst + ~low + 1 (depack_t22_byte leaves carry set), then the high part
        adc depack_t22_dst
        sta depack_t22_from
        lda depack_t22_dst+1
        sbc depack_t22_from+1
        sta depack_t22_from+1
depack_t22_copy:
        txa                     ; a low byte of 0 needs no extra round of X
        beq depack_t22_copy_byte
        inc depack_t22_hi
depack_t22_copy_byte:
        lda (depack_t22_from),y          ; front to back one byte at a time, so an offset below
        sta (depack_t22_dst),y           ; the count repeats
        iny
        beq depack_t22_next_page         ; out of the loop, as it is taken once in 256
depack_t22_counted:
        dex
        bne depack_t22_copy_byte
        dec depack_t22_hi                ; left at 0 for the next token
        bne depack_t22_copy_byte
        tya                     ; dst += Y
        clc
        adc depack_t22_dst
        sta depack_t22_dst
        bcc depack_t22_token
        inc depack_t22_dst+1
depack_t22:
        cld
depack_t22_token:
        ldy #0                  ; depack_t22_byte and the copy loop take Y = 0
        jsr depack_t22_byte
        beq depack_t22_end               ; 0x00 ends
        sta depack_t22_control
        and #$3F
        tax                     ; X = count, or its low byte below
        sty depack_t22_hi
        bit depack_t22_control           ; N = long count, V = sequence; depack_t22_byte keeps V
        bpl depack_t22_short_count
        stx depack_t22_hi
        jsr depack_t22_byte
        tax
depack_t22_short_count:
        bvs depack_t22_sequence
        lda depack_t22_src               ; literal run: copy from the stream, which moves past it
        sta depack_t22_from
        txa
        clc
        adc depack_t22_src
        sta depack_t22_src
        lda depack_t22_src+1
        sta depack_t22_from+1
        adc depack_t22_hi
        sta depack_t22_src+1
        bcc depack_t22_copy              ; the stream does not pass $FFFF
depack_t22_next_page:
        inc depack_t22_from+1
        inc depack_t22_dst+1
        bne depack_t22_counted           ; the output does not pass $FFFF
; A = next stream byte, with N and Z set from it, and carry set. Takes Y = 0; keeps X, Y, V.
depack_t22_byte:
        lda (depack_t22_src),y
        inc depack_t22_src
        bne depack_t22_got
        inc depack_t22_src+1
depack_t22_got:
        cmp #0
depack_t22_end:
        rts
