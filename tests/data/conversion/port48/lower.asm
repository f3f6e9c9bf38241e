; lower case source, labels alone on their lines, comments everywhere
	org	0
start:
	mov	a,#1	; load
again:
	rl	a
	outl	p1,a	; show
	jnz	again
	jmp	start	; round
	end
