; 名称: UADD16 双字节无符号数加法
; 入口条件: R6R7 = 被加数，R4R5 = 加数（R6、R4 为高字节）
; 出口状态: R6R7 = 和，CY = 1 表示结果超过 FFFFH
; 占用资源: A,R6,R7,PSW
; 周期: 8
; 堆栈需求: 2字节
UADD16:	MOV	A,R7
	ADD	A,R5
	MOV	R7,A
	MOV	A,R6
	ADDC	A,R4
	MOV	R6,A
	RET
