; 名称: ABS16 双字节有符号数求绝对值
; 入口条件: R6R7 = 16 位补码数 X（R6 为高字节）
; 出口状态: R6R7 = |X|，按无符号数读（8000H 即 32768）
; 占用资源: A,R6,R7,PSW
; 周期: 最多12
; 堆栈需求: 2字节
ABS16:	MOV	A,R6
	JNB	ACC.7,ABS16E
	CLR	C
	CLR	A
	SUBB	A,R7
	MOV	R7,A
	CLR	A
	SUBB	A,R6
	MOV	R6,A
ABS16E:	RET
