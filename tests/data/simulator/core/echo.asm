; Echoes every received byte at 9600 baud (11.0592 MHz, timer 1 mode 2, reload 0FDh).
	.org	0
	mov	tmod,#20h
	mov	th1,#0fdh
	mov	tl1,#0fdh
	setb	tr1
	mov	scon,#50h
wait:	jnb	ri,wait
	mov	a,sbuf
	clr	ri
	mov	sbuf,a
txw:	jnb	ti,txw
	clr	ti
	sjmp	wait
