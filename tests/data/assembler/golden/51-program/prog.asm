start: mov a, #1   ; load
  mov dptr,#table
COUNT EQU 30H
LEN: EQU 2

		
loop: djnz count, loop
 sjmp $
; Êý¾Ý±í
table: db 1,2,3,4,5,0
 dw 1234h
 end
this line is after the end
