; 名称: ADD32 四字节无符号数加法
; 入口条件: R0 指向被加数 X，R1 指向加数 Y，各 4 字节，高字节在前（片内 RAM）
; 出口状态: X = X + Y（模 2^32），CY = 1 表示有进位；Y、R0、R1 不变
; 占用资源: A,R2,PSW
; 周期: 40
; 堆栈需求: 2字节
ADD32:	MOV	A,R0
	ADD	A,#3
	MOV	R0,A
	MOV	A,R1
	ADD	A,#3
	MOV	R1,A
	MOV	R2,#4
	CLR	C
ADD32A:	MOV	A,@R0
	ADDC	A,@R1
	MOV	@R0,A
	DEC	R0
	DEC	R1
	DJNZ	R2,ADD32A
	INC	R0
	INC	R1
	RET
