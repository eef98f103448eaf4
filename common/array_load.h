#pragma once

#include <QString>
#include <QStringList>

namespace torvex {

// Splits text at delimiter into consecutive elements of arr from index
// start on and returns the index after the last element written (with start
// 0, the element count). A trailing delimiter adds no empty element; empty
// items between two delimiters stay. With grow, the list is sized in steps
// of ten (and emptied first when start is a multiple of ten); without it the
// caller's list must already hold every index written.
qint16 ArrayLoad2(qint16 start, QStringList& arr, const QString& text, const QString& delimiter,
                  bool grow);

}  // namespace torvex
