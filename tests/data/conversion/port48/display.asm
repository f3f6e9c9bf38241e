; Seven-segment display: reads a digit on port 1, looks its segment
; pattern up in a table of this page and shows it on port 2
	ORG	0
	JMP	MAIN
	ORG	10H
MAIN:	MOV	A,#0FFH
	OUTL	P1,A		; port 1 pins as inputs
	CLR	A
	OUTL	P2,A		; display dark
SHOW:	IN	A,P1
	ANL	A,#0FH
	CALL	PATTERN
	OUTL	P2,A
	MOV	R5,#20
HOLD:	CALL	WAIT
	DJNZ	R5,HOLD
	JMP	SHOW
; segment pattern of the digit in A
PATTERN:	ADD	A,#0F0H	; the table's place in this page
	MOVP	A,@A
	RET
; about one millisecond at 6 MHz
WAIT:	MOV	R7,#2
W1:	MOV	R6,#0F0H
W2:	DJNZ	R6,W2
	DJNZ	R7,W1
	RET
	ORG	0F0H
SEGTAB:	DB	3FH,06H,5BH,4FH,66H,6DH,7DH,07H
	DB	7FH,6FH,77H,7CH,39H,5EH,79H,71H
	END
