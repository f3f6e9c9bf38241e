; 名称: NEG16 双字节数求补（取负）
; 入口条件: R6R7 = 16 位补码数 X（R6 为高字节）
; 出口状态: R6R7 = -X（8000H 仍为 8000H），CY = 1 表示 X 不为 0
; 占用资源: A,R6,R7,PSW
; 周期: 9
; 堆栈需求: 2字节
NEG16:	CLR	C
	CLR	A
	SUBB	A,R7
	MOV	R7,A
	CLR	A
	SUBB	A,R6
	MOV	R6,A
	RET
