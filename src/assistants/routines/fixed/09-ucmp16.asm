; 名称: UCMP16 双字节无符号数比较
; 入口条件: R6R7 = X，R4R5 = Y（R6、R4 为高字节）
; 出口状态: X = Y 时 A = 0；X < Y 时 CY = 1，否则 CY = 0；
; R4-R7 不变
; 占用资源: A,B,PSW
; 周期: 最多11
; 堆栈需求: 2字节
UCMP16:	CLR	C
	MOV	A,R7
	SUBB	A,R5
	MOV	B,A
	MOV	A,R6
	SUBB	A,R4
	JNZ	UCMP1
	MOV	A,B
UCMP1:	RET
