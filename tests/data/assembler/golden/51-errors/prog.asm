x: nop

 mov a,#300
x: nop
 sjmp nowhere
 xyz 1
LED: BIT P1.0
 end
