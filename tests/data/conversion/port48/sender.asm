; Sends the bytes of a buffer bit by bit on P2.0 (8 data bits, LSB first,
; one start and one stop bit) and counts T0 edges in between
	ORG	0
	JMP	BEGIN
	ORG	40H
BEGIN:	MOV	R0,#20H
	MOV	R2,#6
FILL:	MOV	A,R2
	SWAP	A
	MOV	@R0,A
	INC	R0
	DJNZ	R2,FILL
	MOV	R0,#20H
	MOV	R2,#6
NEXT:	MOV	A,@R0
	CALL	SEND
	INC	R0
	DJNZ	R2,NEXT
	STRT	CNT		; count pulses on T1 from now on
	CLR	F0
IDLE:	JNT0	IDLE
	CPL	F0
	JF0	IDLE
	JMP	BEGIN
; sends A
SEND:	MOV	R3,#8
	ANL	P2,#0FEH	; start bit
	CALL	BITTIME
BITS:	RRC	A
	JC	ONE
	ANL	P2,#0FEH
	JMP	SENT
ONE:	ORL	P2,#01H
SENT:	CALL	BITTIME
	DJNZ	R3,BITS
	ORL	P2,#01H		; stop bit
	CALL	BITTIME
	RET
BITTIME:	MOV	R4,#40
BT1:	NOP
	DJNZ	R4,BT1
	RET
	END
