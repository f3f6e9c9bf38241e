; Clock: the timer interrupt counts hundredths of a second in register
; bank 1; the main loop shows the seconds in BCD on the bus
	ORG	0
	JMP	START
	ORG	3
	RETR			; external interrupt not used
	ORG	7
TICK:	SEL	RB1
	MOV	R2,A		; save A
	MOV	A,#0F6H		; ten counts to the next overflow
	MOV	T,A
	INC	R3
	MOV	A,R2
	SEL	RB0
	RETR
START:	SEL	RB1
	MOV	R3,#0
	SEL	RB0
	MOV	R4,#0		; seconds in BCD
	MOV	A,#0F6H
	MOV	T,A
	STRT	T
	EN	TCNTI
MAIN:	MOV	R0,#1BH		; R3 of bank 1
	MOV	A,@R0
	ADD	A,#9CH		; carry once 100 ticks are counted
	JNC	MAIN
	MOV	@R0,#0
	MOV	A,R4
	ADD	A,#1
	DA	A
	MOV	R4,A
	OUTL	BUS,A
	XRL	A,#60H
	JNZ	MAIN
	MOV	R4,A		; a minute: start again
	JT1	STOPIT		; a key on T1 stops the clock
	JMP	MAIN
STOPIT:	DIS	TCNTI
	STOP	TCNT
	MOV	A,T
	MOV	R5,A
HALT:	JMP	HALT
	END
