; Fills external RAM 0000H-1FFFH with the low address byte plus the pass number, twice over
; (about 98,000 instructions), then runs off the end of the code.
	MOV	R5,#2
PASS:	MOV	DPTR,#0
FILL:	MOV	A,DPL
	ADD	A,R5
	MOVX	@DPTR,A
	INC	DPTR
	MOV	A,DPH
	CJNE	A,#20H,FILL
	DJNZ	R5,PASS
	END
