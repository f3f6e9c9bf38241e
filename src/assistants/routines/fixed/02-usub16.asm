; 名称: USUB16 双字节无符号数减法
; 入口条件: R6R7 = 被减数，R4R5 = 减数（R6、R4 为高字节）
; 出口状态: R6R7 = 差（模 10000H），CY = 1 表示被减数小于减数
; 占用资源: A,R6,R7,PSW
; 周期: 9
; 堆栈需求: 2字节
USUB16:	CLR	C
	MOV	A,R7
	SUBB	A,R5
	MOV	R7,A
	MOV	A,R6
	SUBB	A,R4
	MOV	R6,A
	RET
