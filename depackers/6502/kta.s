; KTA depacker for the 6502: routine depack_t11.
; Offsets: one byte, 1..255.
; In:  depack_t11_src = packed stream, depack_t11_dst = destination (zero page, low byte first).
;      Call with jsr depack_t11. The decimal flag may be set: the routine clears it.
; Out: depack_t11_dst = one past the last byte written; depack_t11_src one past the end mark.
; Destroys A, X, Y and the flags. Uses 6 zero-page bytes (segment ZEROPAGE) and
; no stack besides its return address; writes no memory but the output and those bytes.
; Size: 75 bytes. Speed: 23.0 cycles per output byte on the test corpus (page copy: 16).
; Goal: no larger or slower than before the template (75 bytes, 23.0 cycles): met.
; In place: the stream may end M bytes past the end of the output, inside the output area,
; M being 1 plus the largest sum, over the tokens that follow any one token, of each token's
; stream bytes minus the bytes it writes (a literal run +1, a sequence 2 - its length).
; Checked with ca65 2.19.

.export depack_t11
.exportzp depack_t11_src, depack_t11_dst

.segment "ZEROPAGE"
depack_t11_src:  .res 2
depack_t11_dst:  .res 2
depack_t11_from: .res 2                  ; bits read, then where a copy reads from

.segment "CODE"
depack_t11:
        cld
depack_t11_token:
        ldy #0
        lda (depack_t11_src),y
        inc depack_t11_src
        bne depack_t11_control_read
        inc depack_t11_src+1
depack_t11_control_read:
        lsr a                   ; count, with the sequence flag in carry; 0x00 ends
        beq depack_t11_end
        tax
        bcc depack_t11_literal
        lda depack_t11_dst               ; (KTA: carry is set here, as sbc needs it)
        sbc (depack_t11_src),y
        sta depack_t11_from
        lda depack_t11_dst+1
        sbc #0
        sta depack_t11_from+1
        inc depack_t11_src
        bne depack_t11_offset_read
        inc depack_t11_src+1
depack_t11_offset_read:
depack_t11_sequence_copy:
        lda (depack_t11_from),y          ; byte by byte, so an offset below the count repeats
        sta (depack_t11_dst),y
        iny
        dex
        bne depack_t11_sequence_copy
        beq depack_t11_dst_forward
depack_t11_literal:
        lda (depack_t11_src),y           ; counts stay below 128, so Y never wraps
        sta (depack_t11_dst),y
        iny
        dex
        bne depack_t11_literal
        tya                     ; carry is clear, from lsr
        adc depack_t11_src
        sta depack_t11_src
        bcc depack_t11_dst_forward
        inc depack_t11_src+1
depack_t11_dst_forward:
        tya
        clc
        adc depack_t11_dst
        sta depack_t11_dst
        bcc depack_t11_token
        inc depack_t11_dst+1
        bne depack_t11_token             ; the output does not pass $FFFF
depack_t11_end:
        rts
