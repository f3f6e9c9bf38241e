#pragma once
// A library routine's readable source: a header of comment lines naming the routine and its
// entry conditions, exit state, resources, machine cycles and stack need, then the code.
//
//   ; 名称: UADD16 双字节无符号数加法
//   ; 入口条件: R6R7 = 被加数 ...        (a comment line without a key continues the field)
//   ; 出口状态: ...
//   ; 占用资源: A,R4-R7,PSW
//   ; 周期: 最多12                        (machine cycles of the longest path, from the first
//                                         instruction through RET; without 最多, of every path)
//   ; 堆栈需求: 2字节
//   ; 调用: FADD                          (optional: routines that must be pasted too)
//   UADD16: ...
#include "SubroutineStore.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tw
{

struct SubroutineSource {
    SubroutineRecord record; // as the library holds it
    QString resourceList;    // 占用资源 as written
    QString cycles;          // 周期 as written
    int stackBytes = -1;     // the number in 堆栈需求
    QString entryLabel;      // the first label of the code
    QStringList calls;       // 调用: other library routines this one calls (not shown)
};

// Parses a routine's text; std::nullopt with *error set when a header field is missing.
std::optional<SubroutineSource> parseSubroutineSource(const QString &text, QString *error = nullptr);

// The resources field: what the routine uses and how many machine cycles it takes.
QString resourcesText(const QString &resourceList, const QString &cycles);

// The names of a resource list ("A,R4-R7,PSW" gives A, R4, R5, R6, R7, PSW).
QStringList expandResourceList(const QString &resourceList);

} // namespace tw
