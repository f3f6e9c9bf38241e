	NOP
	ORG	20H
	DB	0,0
	END

