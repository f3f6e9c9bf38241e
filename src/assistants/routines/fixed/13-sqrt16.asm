; 名称: SQRT16 双字节无符号数开平方
; 入口条件: R6R7 = 被开方数 X（R6 为高字节）
; 出口状态: A = R2 = X 的平方根的整数部分；R6R7 不变
; 占用资源: A,B,R2-R5,PSW
; 周期: 最多197
; 堆栈需求: 2字节
SQRT16:	MOV	R2,#0
	MOV	R3,#80H
SQRT16A:	MOV	A,R2
	ORL	A,R3
	MOV	R4,A
	MOV	B,A
	MUL	AB
	MOV	R5,A
	CLR	C
	MOV	A,R7
	SUBB	A,R5
	MOV	A,R6
	SUBB	A,B
	JC	SQRT16B
	MOV	A,R4
	MOV	R2,A
SQRT16B:	MOV	A,R3
	CLR	C
	RRC	A
	MOV	R3,A
	JNZ	SQRT16A
	MOV	A,R2
	RET
