; Counts boots in 7Fh, feeds the watchdog ten times (7Eh counts the feeds), then hangs
; without feeding so that the watchdog resets the CPU.
	.org	0
	inc	7fh
	mov	7eh,#0
	mov	r6,#10
feed:	mov	0a6h,#1eh
	mov	0a6h,#0e1h
	inc	7eh
	mov	r5,#100
wait:	djnz	r5,wait
	djnz	r6,feed
hang:	sjmp	hang
