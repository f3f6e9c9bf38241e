	NOP	; step 1: a comment long enough to run past the right edge of the listing pane
	INC	R2	; step 2: a comment long enough to run past the right edge of the listing pane
	NOP	; step 3: a comment long enough to run past the right edge of the listing pane
	INC	R4	; step 4: a comment long enough to run past the right edge of the listing pane
	NOP	; step 5: a comment long enough to run past the right edge of the listing pane
	INC	R6	; step 6: a comment long enough to run past the right edge of the listing pane
	NOP	; step 7: a comment long enough to run past the right edge of the listing pane
	INC	R0	; step 8: a comment long enough to run past the right edge of the listing pane
	NOP	; step 9: a comment long enough to run past the right edge of the listing pane
	INC	R2	; step 10: a comment long enough to run past the right edge of the listing pane
	NOP	; step 11: a comment long enough to run past the right edge of the listing pane
	INC	R4	; step 12: a comment long enough to run past the right edge of the listing pane
	NOP	; step 13: a comment long enough to run past the right edge of the listing pane
	INC	R6	; step 14: a comment long enough to run past the right edge of the listing pane
	NOP	; step 15: a comment long enough to run past the right edge of the listing pane
	INC	R0	; step 16: a comment long enough to run past the right edge of the listing pane
	NOP	; step 17: a comment long enough to run past the right edge of the listing pane
	INC	R2	; step 18: a comment long enough to run past the right edge of the listing pane
	NOP	; step 19: a comment long enough to run past the right edge of the listing pane
	INC	R4	; step 20: a comment long enough to run past the right edge of the listing pane
	NOP	; step 21: a comment long enough to run past the right edge of the listing pane
	INC	R6	; step 22: a comment long enough to run past the right edge of the listing pane
	NOP	; step 23: a comment long enough to run past the right edge of the listing pane
	INC	R0	; step 24: a comment long enough to run past the right edge of the listing pane
	NOP	; step 25: a comment long enough to run past the right edge of the listing pane
	INC	R2	; step 26: a comment long enough to run past the right edge of the listing pane
	NOP	; step 27: a comment long enough to run past the right edge of the listing pane
	INC	R4	; step 28: a comment long enough to run past the right edge of the listing pane
	NOP	; step 29: a comment long enough to run past the right edge of the listing pane
	INC	R6	; step 30: a comment long enough to run past the right edge of the listing pane
	NOP	; step 31: a comment long enough to run past the right edge of the listing pane
	INC	R0	; step 32: a comment long enough to run past the right edge of the listing pane
	NOP	; step 33: a comment long enough to run past the right edge of the listing pane
	INC	R2	; step 34: a comment long enough to run past the right edge of the listing pane
	NOP	; step 35: a comment long enough to run past the right edge of the listing pane
	INC	R4	; step 36: a comment long enough to run past the right edge of the listing pane
	NOP	; step 37: a comment long enough to run past the right edge of the listing pane
	INC	R6	; step 38: a comment long enough to run past the right edge of the listing pane
	NOP	; step 39: a comment long enough to run past the right edge of the listing pane
	INC	R0	; step 40: a comment long enough to run past the right edge of the listing pane
	END
