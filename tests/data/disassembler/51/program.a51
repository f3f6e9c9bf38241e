; A small 8051 program (as31 syntax): vectors, a timer interrupt, a serial handler, a jump table
; reached through JMP @A+DPTR, a MOVC lookup table and a text string that no flow reaches.
        .org 0x0000
        ljmp    main
        .org 0x000b
        ljmp    timer0
        .org 0x0023
        ljmp    serial

        .org 0x0030
main:   mov     sp, #0x5f
        mov     tmod, #0x21
        mov     th1, #0xfd
        mov     scon, #0x50
        setb    tr1
        mov     ie, #0x92
        mov     r7, #0
again:  mov     a, r7
        anl     a, #0x03
        rl      a
        mov     dptr, #jumps
        jmp     @a+dptr
jumps:  ajmp    case0
        ajmp    case1
        ajmp    case2
        ajmp    case3
case0:  acall   blink
        sjmp    next
case1:  mov     a, r7
        mov     dptr, #squares
        movc    a, @a+dptr
        mov     p2, a
        sjmp    next
case2:  lcall   sendtext
        sjmp    next
case3:  cpl     p1.7
        jb      p3.2, next
        jnb     tf0, case3
        clr     tf0
next:   inc     r7
        cjne    r7, #0x40, again
        mov     r7, #0
        sjmp    again

blink:  mov     r0, #0x30
        mov     @r0, #0x10
wait:   djnz    0x31, wait
        djnz    r0, wait
        xrl     p1, #0x01
        ret

sendtext:
        mov     dptr, #text
sendloop:
        clr     a
        movc    a, @a+dptr
        jz      sent
        mov     sbuf, a
waitti: jnb     ti, waitti
        clr     ti
        inc     dptr
        sjmp    sendloop
sent:   ret

timer0: push    acc
        push    psw
        setb    rs0
        mov     a, 0x40
        add     a, #1
        da      a
        mov     0x40, a
        mov     0x41, 0x40
        orl     c, /p1.0
        mov     f0, c
        pop     psw
        pop     acc
        reti

serial: jbc     ri, received
        clr     ti
        reti
received:
        push    acc
        mov     a, sbuf
        cjne    a, #0x0d, store
        sjmp    done
store:  movx    @dptr, a
        xch     a, r2
        swap    a
        subb    a, @r1
        mul     ab
        div     ab
done:   pop     acc
        reti

squares:
        .byte   0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100, 121, 144, 169, 196, 225
text:   .byte   "Tarnwick", 13, 10, 0
        .byte   0xa5, 0x5a, 0xff
        .end
