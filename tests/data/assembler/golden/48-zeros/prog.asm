 nop
		
 org 20h
 db 0,0
