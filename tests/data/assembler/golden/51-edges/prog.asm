 org 0fff0h
 db 1,2,3,4,5,6,7,8,9,10
 org 0fffeh
 sjmp $
top: end
