; every view row kind: bit area bytes, bank 3 registers, both data pointers, SPCR, CY and P;
; then idle mode
	MOV	20H,#05H
	MOV	2FH,#80H
	MOV	17H,#99H
	MOV	DPTR,#1234H
	MOV	84H,#0CDH
	MOV	85H,#0ABH
	MOV	0D5H,#5AH
	MOV	PSW,#18H
	MOV	R0,#0A0H
	MOV	R7,#0A7H
	MOVX	A,@R0
	MOV	A,#01H
	SETB	C
	MOV	PCON,#01H
HERE:	SJMP	HERE
	END
