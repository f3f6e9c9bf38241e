; 名称: SCMP32 四字节有符号数比较
; 入口条件: R0 指向 X，R1 指向 Y，各为 4 字节补码数，高字节在前（片内 RAM）
; 出口状态: X = Y 时 A = 0；X < Y 时 CY = 1，否则 CY = 0；
; X、Y、R0、R1 不变
; 占用资源: A,B,R2,R3,PSW
; 周期: 41
; 堆栈需求: 2字节
SCMP32:	MOV	A,R0
	ADD	A,#3
	MOV	R0,A
	MOV	A,R1
	ADD	A,#3
	MOV	R1,A
	MOV	R2,#3
	MOV	B,#0
	CLR	C
SCMP32A:	MOV	A,@R0
	SUBB	A,@R1
	ORL	B,A
	DEC	R0
	DEC	R1
	DJNZ	R2,SCMP32A
	MOV	A,@R1
	XRL	A,#80H
	MOV	R3,A
	MOV	A,@R0
	XRL	A,#80H
	SUBB	A,R3
	ORL	B,A
	MOV	A,B
	RET
