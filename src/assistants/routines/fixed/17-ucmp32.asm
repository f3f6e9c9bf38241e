; 名称: UCMP32 四字节无符号数比较
; 入口条件: R0 指向 X，R1 指向 Y，各 4 字节，高字节在前（片内 RAM）
; 出口状态: X = Y 时 A = 0；X < Y 时 CY = 1，否则 CY = 0；
; X、Y、R0、R1 不变
; 占用资源: A,B,R2,PSW
; 周期: 43
; 堆栈需求: 2字节
UCMP32:	MOV	A,R0
	ADD	A,#3
	MOV	R0,A
	MOV	A,R1
	ADD	A,#3
	MOV	R1,A
	MOV	R2,#4
	MOV	B,#0
	CLR	C
UCMP32A:	MOV	A,@R0
	SUBB	A,@R1
	ORL	B,A
	DEC	R0
	DEC	R1
	DJNZ	R2,UCMP32A
	INC	R0
	INC	R1
	MOV	A,B
	RET
