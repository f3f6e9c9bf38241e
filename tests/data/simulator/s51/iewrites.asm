; TI stays set with the serial interrupt enabled: every byte write to IE lets one more
; instruction run before the request is taken, whichever instruction writes it.
	.org	0
	ljmp	main
	.org	23h
	inc	r6
	reti
	.org	30h
main:	mov	sp,#60h
	mov	r0,#40h
	mov	40h,#90h
	mov	r1,#90h
	setb	ti
	mov	ie,#90h
	inc	r7
	mov	a,#90h
	mov	ie,a
	inc	r7
	mov	ie,r1
	inc	r7
	mov	ie,@r0
	inc	r7
	mov	ie,40h
	inc	r7
	orl	ie,#00h
	inc	r7
	anl	ie,#0ffh
	inc	r7
	clr	a
	xrl	ie,a
	inc	r7
	inc	ie
	inc	r7
	dec	ie
	inc	r7
	mov	ie,#91h
	djnz	ie,next
next:	inc	r7
	mov	a,#90h
	xch	a,ie
	inc	r7
	push	ie
	pop	ie
	inc	r7
	anl	ie,#0efh
	inc	r7
	mov	ie,#90h
	mov	ie,#90h
	inc	r7
	ljmp	main
