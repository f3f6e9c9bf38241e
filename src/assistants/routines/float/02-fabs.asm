; 名称: FABS 单精度浮点数取绝对值
; 入口条件: R0 指向 4 字节 IEEE 754 单精度浮点数 X，符号和阶码字节在前（片内 RAM）；
; 非规格化数按 0 处理
; 出口状态: X = |X|；X 为 0 时结果为 +0；R0 不变
; 占用资源: A,PSW
; 周期: 最多20
; 堆栈需求: 2字节
FABS:	MOV	A,@R0
	ADD	A,ACC
	INC	R0
	JNZ	FABS1
	MOV	A,@R0
	JB	ACC.7,FABS1
	CLR	A
	MOV	@R0,A
	INC	R0
	MOV	@R0,A
	INC	R0
	MOV	@R0,A
	DEC	R0
	DEC	R0
	DEC	R0
	MOV	@R0,A
	RET
FABS1:	DEC	R0
	MOV	A,@R0
	ANL	A,#7FH
	MOV	@R0,A
	RET
