; 名称: NEG32 四字节数求补（取负）
; 入口条件: R0 指向 4 字节补码数 X，高字节在前（片内 RAM）
; 出口状态: X = -X（80000000H 仍为 80000000H）；R0 不变
; 占用资源: A,R2,PSW
; 周期: 32
; 堆栈需求: 2字节
NEG32:	MOV	A,R0
	ADD	A,#3
	MOV	R0,A
	MOV	R2,#4
	CLR	C
NEG32A:	CLR	A
	SUBB	A,@R0
	MOV	@R0,A
	DEC	R0
	DJNZ	R2,NEG32A
	INC	R0
	RET
