; Timer 1 in mode 1 from 0FF00h: waits for TF1 three times, counting the overflows in 31h.
	.org	0
	mov	tmod,#10h
	mov	31h,#0
next:	mov	th1,#0ffh
	mov	tl1,#0
	setb	tr1
wait:	jnb	tf1,wait
	clr	tf1
	clr	tr1
	inc	31h
	mov	a,31h
	cjne	a,#3,next
done:	sjmp	done
