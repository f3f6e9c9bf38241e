org 0
start: mov r2,#3
loop: inc a
 djnz r2,loop
 mov p1,a
here: sjmp here
 end
