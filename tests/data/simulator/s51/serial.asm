; TI and RI stay set, so the serial request is pending at every RETI: the main loop goes on one
; instruction per entry.
	.org	0
	ljmp	main
	.org	23h
	ljmp	isr
	.org	30h
main:	mov	r7,#0
	mov	r6,#0
	setb	ti
	mov	ie,#90h	; EA, ES
loop:	inc	r7
	sjmp	loop
isr:	inc	r6
	jnb	ri,done
	inc	r5
done:	setb	ri
	reti
