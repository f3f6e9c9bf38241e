; Timer 0 in mode 2 (reload 0F6h): every overflow the interrupt routine counts in 30h.
	.org	0
	ljmp	start
	.org	0bh
	inc	30h
	reti
	.org	40h
start:	mov	30h,#0
	mov	tmod,#02h
	mov	th0,#0f6h
	mov	tl0,#0f6h
	setb	et0
	setb	ea
	setb	tr0
loop:	sjmp	loop
