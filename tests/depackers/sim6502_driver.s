; Test driver for the 6502 depackers under sim65. The test places the packed stream in an area
; of $A5 bytes and gives the layout as assembler symbols: OUT_AT, OUT_LEN, STREAM_AT,
; STREAM_LEN, AREA_LEN (offsets and lengths in the area; the stream is "packed.bin").
; The routine's names come from "names.inc", which the test writes: depack, depack_src and
; depack_dst stand for the routine's entry and pointers; ZP_LEN is the count of its zero-page
; bytes, which lie from depack_src on. The routine is called with the decimal flag set, its
; other zero-page bytes $A5 and X and Y not 0.
; With no argument the driver depacks, checks depack_dst and depack_src, that no byte outside
; the output changed (a 16-bit sum of $0200-$FFEF before and after), nor a zero-page byte other
; than the routine's own (a sum of the others), and compares the output with the original read
; from standard input; it exits with 0, or the number of the check that failed. Past every
; check it writes the output to standard output, which the test compares with the original
; too: a routine that runs away and lands on the driver's way out of main cannot pass.
; With one argument it only depacks and exits, with two it skips the call too: the difference
; of the two cycle counts is the call's.

.include "names.inc"
.import pushax, _read, _write, __argc
.export _main
.forceimport initmainargs

out_start = area + OUT_AT
out_end = area + OUT_AT + OUT_LEN

.segment "ZEROPAGE"
sum:            .res 2
sum_before:     .res 2
sum_ptr:        .res 2
sum_end:        .res 2
cmp_ptr:        .res 2
got:            .res 2
zp_before:      .res 1
zp_driver_end:

.segment "CODE"
_main:
        lda __argc
        cmp #2
        bcs place               ; measuring: no sums
        jsr memory_sum
        lda sum
        sta sum_before
        lda sum+1
        sta sum_before+1
        jsr zp_sum
        sta zp_before
place:
        jsr prepare             ; after the area, as the way out past the checks
        lda __argc
        cmp #3
        sed                     ; the routine must not depend on the decimal flag
        bcs called              ; the baseline run skips the call
        jsr depack
called:
        cld
        lda __argc
        cmp #2
        bcc check
        lda #0
        tax
        rts

check:
        jsr zp_sum
        cmp zp_before
        beq zp_kept
        jmp fail_zp
zp_kept:
        lda depack_dst
        cmp #<out_end
        bne fail_end
        lda depack_dst+1
        cmp #>out_end
        bne fail_end
        lda depack_src
        cmp #<(stream + STREAM_LEN)
        bne fail_src
        lda depack_src+1
        cmp #>(stream + STREAM_LEN)
        bne fail_src
        jsr memory_sum
        lda sum
        cmp sum_before
        bne fail_sum
        lda sum+1
        cmp sum_before+1
        bne fail_sum
        lda #<out_start
        sta cmp_ptr
        lda #>out_start
        sta cmp_ptr+1
chunk:
        lda #0                  ; read (0, buffer, 256)
        tax
        jsr pushax
        lda #<buffer
        ldx #>buffer
        jsr pushax
        lda #0
        ldx #1
        jsr _read
        sta got
        stx got+1
        ora got+1
        beq input_end
        lda got+1
        cmp #2
        bcs fail_read           ; -1, an error
        ldy #0
compare:
        lda buffer,y
        cmp (cmp_ptr),y
        bne fail_data
        iny
        cpy got                 ; 0 when 256 bytes came
        bne compare
        clc
        lda cmp_ptr
        adc got
        sta cmp_ptr
        lda cmp_ptr+1
        adc got+1
        sta cmp_ptr+1
        jmp chunk
input_end:
        lda cmp_ptr
        cmp #<out_end
        bne fail_length
        lda cmp_ptr+1
        cmp #>out_end
        bne fail_length
        jmp passed
        .res 1                  ; with the 13 bytes at the end of the code, the code as long
                                ; as before: the routine and the area stay where the stated
                                ; speeds were measured

fail_end:
        lda #10                 ; depack_dst is not one past the output
        bne fail
fail_sum:
        lda #11                 ; a byte outside the output changed
        bne fail
fail_data:
        lda #12                 ; an output byte differs from the original
        bne fail
fail_length:
        lda #13                 ; the original is longer or shorter than the output
        bne fail
fail_src:
        lda #15                 ; depack_src is not one past the end mark
        bne fail
fail_zp:
        lda #16                 ; a zero-page byte not the routine's changed
        bne fail
fail_read:
        lda #14
fail:
        ldx #0
        rts

; sum = the 16-bit sum of the bytes of $0200-$FFEF outside the output.
memory_sum:
        lda #0
        sta sum
        sta sum+1
        lda #<$0200
        sta sum_ptr
        lda #>$0200
        sta sum_ptr+1
        lda #<out_start
        sta sum_end
        lda #>out_start
        sta sum_end+1
        jsr sum_range
        lda #<out_end
        sta sum_ptr
        lda #>out_end
        sta sum_ptr+1
        lda #<$FFF0
        sta sum_end
        lda #>$FFF0
        sta sum_end+1
sum_range:                      ; adds the bytes of [sum_ptr, sum_end)
        ldy #0
sum_next:
        lda sum_ptr
        cmp sum_end
        lda sum_ptr+1
        sbc sum_end+1
        bcs sum_done
        lda (sum_ptr),y
        clc
        adc sum
        sta sum
        bcc sum_carried
        inc sum+1
sum_carried:
        inc sum_ptr
        bne sum_next
        inc sum_ptr+1
        bne sum_next
sum_done:
        rts

; A = the sum of the zero-page bytes outside the routine's and the driver's (with the
; rotations of carry folded in, so that two bytes swapped count too). Writes no zero page.
zp_sum:
        ldx #0
        txa
zp_next:
        cpx #<depack_src
        bcc zp_driver
        cpx #<(depack_src + ZP_LEN)
        bcc zp_skip
zp_driver:
        cpx #<sum
        bcc zp_add
        cpx #<zp_driver_end
        bcc zp_skip
zp_add:
        rol a
        adc 0,x
zp_skip:
        inx
        bne zp_next
        rts
        .res 13                 ; see passed

.segment "BSS"
buffer:         .res 256

.segment "DATA"
area:
.if STREAM_AT > 0
        .res STREAM_AT, $A5
.endif
stream:
        .incbin "packed.bin"
.if AREA_LEN - STREAM_AT - STREAM_LEN > 0
        .res AREA_LEN - STREAM_AT - STREAM_LEN, $A5
.endif

; What the routine must not rely on: its zero-page bytes but the pointers are $A5, and X and
; Y hold $A5 and $5A when it is called. Then the pointers.
prepare:
        ldx #0
        lda #$A5
prepare_fill:
        cpx #ZP_LEN
        bcs prepare_done
        sta depack_src,x
        inx
        bne prepare_fill
prepare_done:
        lda #<stream            ; the pointers last: they need not come first of the bytes
        sta depack_src
        lda #>stream
        sta depack_src+1
        lda #<out_start
        sta depack_dst
        lda #>out_start
        sta depack_dst+1
        ldx #$A5
        ldy #$5A
        rts

; The way out past every check: it writes the output for the test to compare. It lies after
; the area so that the code before the area keeps its length.
passed:
        lda #1                  ; write (1, out_start, OUT_LEN)
        ldx #0
        jsr pushax
        lda #<out_start
        ldx #>out_start
        jsr pushax
        lda #<OUT_LEN
        ldx #>OUT_LEN
        jsr _write
        lda #0
        tax
        rts
