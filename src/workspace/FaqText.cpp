#include "FaqText.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace tw
{

QString faqText()
{
    const QStringList lines = {
        u"    1. 当程序较长（大于1400行）时编译死机，不知何故？"_s,
        u"    答：Tarnwick允许汇编的程序最大长度为64KB(目标代码)。"_s,
        u"    上述情况出现的原因可能是源程序中使用的标号数目太多，Tarnwick原来设计的标号数目最大为256，当源程序中使用的标号数目大于256时就会出现上述情况，在V2.5.2以上的版本中已将标号的最大数目改为1024。"_s,
        QString(),
        u"    2. 该集成环境生成的 .BIN 文件能否直接用于写片？"_s,
        u"    答：将目标代码写入芯片是由编程器来完成的，一般的通用编程器都能支持多种不同的目标代码文件格式。"_s,
        u"    如：二进制格式  （binary）  文件后缀为 .bin"_s,
        u"        intel十六进制格式       文件后缀为 .hex"_s,
        u"        motorola十六进制格式    文件后缀为 .hex  等"_s,
        u"    在编程器软件的打开文件操作时，可以选择要打开的目标代码文件格式。"_s,
        QString(),
        u"    Tarnwick生成的 .BIN 文件就是二进制格式（binary）的目标代码文件，如果你的编程器不支持二进制格式，你可以借助于[辅助工具]-[目标代码转换]-[bin to hex]将二进制格式的目标代码文件转换为intel十六进制格式的目标代码文件。"_s,
        QString(),
        u"    3. 该集成环境不能对内部位寻址区位地址进行位定义。"_s,
        u"    答：Tarnwick可以使用定义变量的方式进行位定义，格式为："_s,
        u"        变量 EQU 操作数"_s,
        u"    本软件汇编识别的变量可以是字节变量，也可以是位变量。"_s,
        QString(),
        u"    4. 为什么51系列单片机常用11.0592MHz的晶振设计？"_s,
        u"    答：因为它能够准确地划分成时钟频率，与UART(通用异步接收器/发送器)量常见的波特率相关。特别是较高的波特率(19600，19200)，不管多么古怪的值，这些晶振都是准确，常被使用的。"_s,
        QString(),
        u"    采用11.0592MHZ晶振的一些典型波特率如下："_s,
        QString(),
        u"        波特率    SMOD    TH1"_s,
        u"        19200      1      FDH "_s,
        u"         9600      0      FDH"_s,
        u"         4800      0      FAH"_s,
        u"         2400      0      F4H"_s,
        u"         1200      0      E8H"_s,
        u"          300      0      A0H"_s,
        QString(),
    };
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n"_s;
    return text;
}

} // namespace tw
