; Sends the bytes 0, 1, 2, ... 2000 times in mode 0, waiting for TI each time; 40h = 0AAh at the end.
	.org	0
	mov	scon,#0
	mov	r7,#0
	mov	r6,#8
outer:	mov	r5,#250
inner:	mov	sbuf,r7
txw:	jnb	ti,txw
	clr	ti
	inc	r7
	djnz	r5,inner
	djnz	r6,outer
	mov	40h,#0aah
done:	sjmp	done
