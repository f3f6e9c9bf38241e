loop: inc r0
 jnz loop
X EQU 5
 mov a,#x
loop: djnz r8,loop
BAD: EQU WHERE
 org 1f0h
 db 1,300,2
 ds 1
far: jc loop
 mov a,r0,r1
 ret
