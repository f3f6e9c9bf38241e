; R6:R7 count the passes of an endless loop; 30H holds the last MOVX byte written.
	MOV	DPTR,#0200H
LOOP:	INC	R7
	MOV	A,R7
	MOVX	@DPTR,A
	MOV	30H,A
	CJNE	R7,#0,LOOP
	INC	R6
	SJMP	LOOP
	END
