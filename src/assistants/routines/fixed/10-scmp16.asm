; 名称: SCMP16 双字节有符号数比较
; 入口条件: R6R7 = X，R4R5 = Y，均为 16 位补码数（R6、R4 为高字节）
; 出口状态: X = Y 时 A = 0；X < Y 时 CY = 1，否则 CY = 0；
; R4-R7 不变
; 占用资源: A,B,PSW
; 周期: 最多18
; 堆栈需求: 2字节
SCMP16:	MOV	A,R4
	XRL	A,#80H
	MOV	R4,A
	CLR	C
	MOV	A,R7
	SUBB	A,R5
	MOV	B,A
	MOV	A,R6
	XRL	A,#80H
	SUBB	A,R4
	XCH	A,R4
	XRL	A,#80H
	XCH	A,R4
	JNZ	SCMP1
	MOV	A,B
SCMP1:	RET
