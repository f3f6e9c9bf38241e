; Keypad: four rows on the bus, four columns on port 1; the key code
; comes from a table on page 3
	ORG	0
	JMP	SCAN
	ORG	20H
SCAN:	MOV	R1,#30H
	MOV	@R1,#4		; rows left
	MOV	A,#0FEH
	MOV	R2,A
ROW:	MOV	A,R2
	OUTL	BUS,A
	IN	A,P1
	CPL	A
	ANL	A,#0FH
	JNZ	FOUND
	MOV	A,R2
	RL	A
	MOV	R2,A
	DJNZ	@R1,ROW
	JMP	SCAN
FOUND:	JB0	COL0
	JB1	COL1
	JB2	COL2
	MOV	R3,#3
	JMP	CODE
COL0:	MOV	R3,#0
	JMP	CODE
COL1:	MOV	R3,#1
	JMP	CODE
COL2:	MOV	R3,#2
CODE:	MOV	A,@R1		; the row, counted down
	DEC	A
	RL	A
	RL	A
	ADD	A,R3
	MOVP3	A,@A		; key code from page 3
	MOV	R7,A
	OUTL	P2,A
	JMP	SCAN
	ORG	300H
KEYS:	DB	1,2,3,0AH,4,5,6,0BH,7,8,9,0CH,0EH,0,0FH,0DH
	END
