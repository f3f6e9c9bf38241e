; About 66,000 instructions of nested loops before the line at STOP.
	MOV	R6,#0
OUTER:	MOV	R7,#0
INNER:	DJNZ	R7,INNER
	DJNZ	R6,OUTER
STOP:	MOV	A,#55H
	INC	R5
HERE:	SJMP	HERE
	END
