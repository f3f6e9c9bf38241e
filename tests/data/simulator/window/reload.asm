; Timer 0 in mode 1 from FFF0H: its routine loads FFF0H again, so a request comes back every 16 ms
; while the main loop counts in R7.
	ORG	0
	LJMP	MAIN
	ORG	0BH
	MOV	TH0,#0FFH
	MOV	TL0,#0F0H
	INC	R6
	RETI
	ORG	30H
MAIN:	MOV	TMOD,#01H
	MOV	TH0,#0FFH
	MOV	TL0,#0F0H
	MOV	IE,#82H
	SETB	TR0
LOOP:	INC	R7
	SJMP	LOOP
	END
