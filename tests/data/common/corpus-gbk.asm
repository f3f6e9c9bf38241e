;写一位
;取值 一位
	MOV	A,#1	;写一位
	MOV	A,@R0	;取值
	MOV	@R1,A	;写值
	SETB	P1.0	;置位
	CLR	P1.0	;清零
	CPL	P1.1	;取反
	MOV	R7,#10	;计数
LOOP:	DJNZ	R7,LOOP	;循环
	SJMP	$	;停止
	RET	;返回
	RETI	;中断返回
START:	MOV	SP,#60H	;设栈
	MOV	SP,#5FH	;栈底
	LJMP	MAIN	;转主程序
	ORG	0000H	;复位入口
	ORG	0003H	;外部中断0
	ORG	000BH	;定时器0
	ORG	0013H	;外部中断1
	ORG	001BH	;定时器1
	ORG	0023H	;串口
	ORG	0030H	;程序开始
MAIN:	ACALL	INIT	;初始化
	ACALL	DISP	;显示
	ACALL	KEY	;扫键
	ACALL	DELAY	;延时
	AJMP	MAIN	;主循环
INIT:	MOV	TMOD,#01H	;模式
	MOV	TH0,#3CH	;高位
	MOV	TL0,#0B0H	;低位
	SETB	TR0	;启动
	SETB	ET0	;允许
	SETB	EA	;开中断
	CLR	EA	;关中断
	MOV	SCON,#50H	;串口模式
	MOV	PCON,#80H	;倍频
	MOV	TH1,#0FDH	;波特率
	MOV	IE,#82H	;中断允许
	MOV	IP,#02H	;优先级
DELAY:	MOV	R6,#200	;外层
D1:	MOV	R5,#250	;内层
	DJNZ	R5,$	;等待
	DJNZ	R6,D1	;再来
	MOV	DPTR,#TAB	;表首
	MOVC	A,@A+DPTR	;查表
	MOVX	A,@DPTR	;读外部
	MOVX	@DPTR,A	;写外部
	INC	DPTR	;下一个
	INC	R0	;指针加一
	DEC	R1	;指针减一
	ADD	A,#30H	;转码
	ADDC	A,B	;带进位加
	SUBB	A,#10	;减十
	MUL	AB	;乘法
	DIV	AB	;除法
	DA	A	;十进制调整
	SWAP	A	;高低交换
	RL	A	;左移
	RR	A	;右移
	RLC	A	;带进位左移
	RRC	A	;带进位右移
	ANL	A,#0FH	;取低四位
	ORL	A,#80H	;置最高位
	XRL	A,#0FFH	;取反
	CJNE	A,#10,NEXT	;比较
	JZ	ZERO	;为零
	JNZ	NZERO	;非零
	JC	CARRY	;有进位
	JNC	NOCY	;无进位
	JB	P3.2,KEYUP	;键未按
	JNB	P3.2,KEYDN	;键按下
	JBC	TF0,OVER	;溢出
	PUSH	ACC	;保护
	POP	ACC	;恢复
	PUSH	PSW	;保存标志
	POP	PSW	;恢复标志
	XCH	A,R2	;交换
	XCHD	A,@R0	;半字节交换
	MOV	C,P1.7	;取位
	MOV	P1.6,C	;写位
	ANL	C,/P1.5	;位与非
	ORL	C,P1.4	;位或
	NOP	;空操作
	NOP	;等一下
	NOP	;延时一
TAB:	DB	3FH,06H,5BH,4FH	;字形码
	DB	66H,6DH,7DH,07H	;段码
	DW	1234H	;常数
	DB	'HELLO',0	;字符串
MSG:	DB	'OK',0DH,0AH	;回车换行
LED	EQU	P1	;灯
KEYS	EQU	P2	;键盘
BUF	EQU	30H	;缓冲区
CNT	EQU	40H	;计数器
FLAG	BIT	20H.0	;标志
BUSY	BIT	20H.1	;忙
READY	BIT	20H.2	;就绪
ERR	BIT	20H.3	;错误
;主程序
;子程序
;中断服务
;定时器中断
;串口中断
;数码管显示
;按键扫描
;延时子程序
;初始化
;数据区
;常数表
;变量定义
;位定义
;端口定义
;一
;位
;值
;写
;取
;十
;状态
;指示
;停止
;模式
;实时
;同时
;只写
;一页
;末位
;头尾
;原值
;选通
;转
;小
;校
;使
;确
	MOV	A,R0	;一
	MOV	B,#10	;十
	MOV	R2,A	;位
	MOV	30H,A	;值
	MOV	A,30H	;取
	MOV	31H,#0	;写
	MOV	A,PSW	;状态
	SETB	P2.0	;指示
	CLR	TR0	;停止
	MOV	TMOD,#21H	;模式
	MOV	A,SBUF	;实时
	MOV	SBUF,A	;同时
	MOVX	@R0,A	;只写
	MOV	P2,#1	;一页
	MOV	C,ACC.0	;末位
	MOV	R3,#2	;头尾
	MOV	A,33H	;原值
	CLR	P3.6	;选通
	LJMP	EXIT	;转
	MOV	A,#0	;小
	MOV	R4,A	;校
	SETB	P3.7	;使
	MOV	R5,#1	;确
WAIT:	JNB	TI,WAIT	;等发送
	CLR	TI	;清发送
	JNB	RI,$	;等接收
	CLR	RI	;清接收
	MOV	A,#'0'	;字符零
	CJNE	A,#'9'+1,$+3	;数字
	MOV	R0,#BUF	;缓冲
	MOV	@R0,#0	;清缓冲
	INC	@R0	;加一
	MOV	40H,#100	;一百
	MOV	41H,#60	;六十
	MOV	42H,#24	;小时
	MOV	43H,#0	;分
	MOV	44H,#0	;秒
	ACALL	SEND	;发送
	ACALL	RECV	;接收
	ACALL	CRC	;校验
	ACALL	CONV	;转换
	ACALL	BCD	;二转十
	ACALL	HEX	;十转二
	ACALL	BEEP	;蜂鸣
	ACALL	LCD	;液晶
	ACALL	ADC	;模数转换
	ACALL	DAC	;数模转换
	MOV	A,P1	;读端口
	MOV	P0,A	;输出
	MOV	P1,#0FFH	;输入方式
	ORL	P1,#0FH	;高阻
	ANL	P1,#0F0H	;低四位清零
	XRL	P1,#01H	;翻转
	SETB	IT0	;边沿触发
	SETB	EX0	;外中断0
	SETB	PX0	;高优先
	MOV	T2CON,#04H	;定时器2
	MOV	RCAP2H,#0FFH	;重装高
	MOV	RCAP2L,#0DCH	;重装低
	MOV	DPH,#20H	;地址高
	MOV	DPL,#00H	;地址低
	MOV	R1,#7FH	;顶部
	MOV	A,@R1	;间址
	MOV	A,#-1	;负一
	MOV	PSW,#08H	;第一组
	MOV	PSW,#10H	;第二组
	MOV	PSW,#18H	;第三组
	JMP	@A+DPTR	;散转
	CALL	SUB1	;调用
	ACALL	SUB2	;子程序二
	LCALL	SUB3	;远调用
	AJMP	TAIL	;尾
	MOV	A,#5	;取值，一位
	MOV	B,#3	;乘数；除数
	MOV	R6,#8	;八位：一字节
	MOV	R7,#16	;十六次
	MOV	A,#'A'	;字母
KEY:	MOV	A,P3	;键值
	ANL	A,#3CH	;屏蔽
	CJNE	A,#3CH,PRESS	;有键
	RET	;无键
PRESS:	ACALL	DELAY	;去抖
	RET	;键处理
DISP:	MOV	R0,#BUF	;显示缓冲
	MOV	R2,#4	;四位
	MOV	R3,#0FEH	;位码
	RET	;显示完
SEND:	MOV	SBUF,A	;发一个
	RET	;发完
RECV:	MOV	A,SBUF	;收一个
	RET	;收完
T0INT:	PUSH	ACC	;进中断
	MOV	TH0,#3CH	;重装
	POP	ACC	;出中断
	RETI	;中断完
EXIT:	SJMP	EXIT	;死循环
	MOV	A,#10	;写一位，取值
	MOV	A,#20	;取值 写一位
	MOV	R1,#1	;一位一
	MOV	R1,#2	;位值
	MOV	R1,#3	;写一
	MOV	R1,#4	;取一位
	MOV	R1,#5	;一值
	MOV	R1,#6	;写位
	MOV	R1,#7	;指示一
	MOV	R1,#8	;停止位
	MOV	R1,#9	;同时写
	MOV	R1,#10	;一次
	MOV	R1,#11	;十位
	MOV	R1,#12	;个位
	MOV	R1,#13	;百位
	MOV	R1,#14	;千位
	MOV	R1,#15	;万位
	MOV	R1,#16	;符号位
	MOV	R1,#17	;奇偶位
	MOV	R1,#18	;进位
	MOV	R1,#19	;借位
	MOV	R1,#20	;溢出位
	MOV	R1,#21	;小数点
	MOV	R1,#22	;正数
	MOV	R1,#23	;负数
	MOV	R1,#24	;整数
	MOV	R1,#25	;温度
	MOV	R1,#26	;湿度
	MOV	R1,#27	;电压
	MOV	R1,#28	;电流
	MOV	R1,#29	;频率
	MOV	R1,#30	;周期
	MOV	R1,#31	;占空比
	MOV	R1,#32	;脉冲
	MOV	R1,#33	;步进
	MOV	R1,#34	;电机
	MOV	R1,#35	;继电器
	MOV	R1,#36	;报警
	MOV	R1,#37	;复位
	MOV	R1,#38	;看门狗
	MOV	R1,#39	;掉电
	MOV	R1,#40	;省电
	END	;结束
