start:	mov a,#12h

; a comment
L1: equ 20h
	org 10h
tab: db 1,2,3,4,5,6
  jmp start
  jmpp @a
 end
 nop
