#pragma once
// How gtest prints the Qt values the cases compare: texts and bytes as quoted text, points,
// sizes and rectangles by their numbers. tests/CMakeLists.txt puts this file in front of every
// test file (-include): gtest's printer of a type is made once per file, and a file that did not
// see these functions would link a printer that shows a QString as "2-byte object" characters
// for the whole program.
#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    *out << '"' << bytes.toStdString() << '"';
}
inline void PrintTo(const QPoint &point, std::ostream *out)
{
    *out << '(' << point.x() << ',' << point.y() << ')';
}
inline void PrintTo(const QSize &size, std::ostream *out)
{
    *out << size.width() << 'x' << size.height();
}
inline void PrintTo(const QRect &rect, std::ostream *out)
{
    *out << rect.width() << 'x' << rect.height() << " at (" << rect.x() << ',' << rect.y() << ')';
}
