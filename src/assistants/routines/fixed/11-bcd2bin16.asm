; 名称: BCDBIN16 四位压缩BCD码转换为二进制数
; 入口条件: R6R7 = 四位压缩 BCD 码 0000-9999（R6 为千位、百位）
; 出口状态: R6R7 = 对应的二进制数（R6 为高字节）
; 占用资源: A,B,R6,R7,PSW
; 周期: 38
; 堆栈需求: 2字节
BCDBIN16:	MOV	A,R7
	SWAP	A
	ANL	A,#0FH
	MOV	B,#10
	MUL	AB
	XCH	A,R7
	ANL	A,#0FH
	ADD	A,R7
	MOV	R7,A
	MOV	A,R6
	SWAP	A
	ANL	A,#0FH
	MOV	B,#10
	MUL	AB
	XCH	A,R6
	ANL	A,#0FH
	ADD	A,R6
	MOV	B,#100
	MUL	AB
	ADD	A,R7
	MOV	R7,A
	CLR	A
	ADDC	A,B
	MOV	R6,A
	RET
