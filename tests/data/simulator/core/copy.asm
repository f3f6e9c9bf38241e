; Copies 16 bytes from internal RAM 40h to external RAM 0100h, then adds in BCD.
	.org 0
	mov dptr,#0x0100
	mov r0,#0x40
	mov r7,#0x10
loop:	mov a,@r0
	movx @dptr,a
	inc dptr
	inc r0
	djnz r7,loop
	mov a,#0x99
	add a,#0x01
	da a
done:	sjmp done
