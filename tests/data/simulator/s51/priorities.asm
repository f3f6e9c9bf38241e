; Requests that stay pending at both priorities. Timer 0 (high) raises itself again a few times,
; and once more from inside the INT1 routine (low), which it then interrupts; INT1 raises itself
; again three times; TI stays set until the fourth serial entry; TF2 (low) is never cleared. The
; main loop and the low routines go on one instruction after each RETI.
	.org	0
	ljmp	main
	.org	0bh
	ljmp	t0isr
	.org	13h
	ljmp	x1isr
	.org	23h
	ljmp	sisr
	.org	2bh
	inc	r4
	reti
	.org	40h
main:	setb	it1
	setb	ie1
	setb	tf0
	mov	ip,#02h		; PT0
	setb	tf2
	setb	ti
	mov	ie,#0b4h	; EA, ET2, ES, EX1
	orl	ie,#02h		; and ET0
loop:	inc	r7
	inc	r6
	sjmp	loop
t0isr:	inc	r1
	cjne	r1,#5,t0again
	reti
t0again: setb	tf0
	reti
x1isr:	inc	r2
	cjne	r2,#2,x1more
	mov	r1,#3
	setb	tf0
x1more:	cjne	r2,#4,x1again
	reti
x1again: setb	ie1
	reti
sisr:	inc	r3
	cjne	r3,#4,sdone
	clr	ti
sdone:	reti
