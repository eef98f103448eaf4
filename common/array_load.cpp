#include "array_load.h"

#include <algorithm>

namespace torvex {
namespace {

void resizeList(QStringList& arr, qsizetype size, bool keep)
{
    if (!keep)
        arr.clear();
    while (arr.size() < size)
        arr.append(QString());
    while (arr.size() > size)
        arr.removeLast();
}

}  // namespace

qint16 ArrayLoad2(qint16 start, QStringList& arr, const QString& text, const QString& delimiter,
                  bool grow)
{
    qint16 i = start;
    if (grow && i % 10 == 0)
        resizeList(arr, i + 11, false);
    if (text.isEmpty() || delimiter.isEmpty())
        return 0;
    QString s = text;
    if (!s.endsWith(delimiter))
        s += delimiter;

    // Positions follow the 1-based scheme of the original: pos is the
    // position of the previous delimiter, 0 before the first.
    qsizetype pos = 0;
    const qsizetype d = delimiter.size();
    for (;;) {
        if (grow && i % 10 == 0)
            resizeList(arr, i + 11, true);
        const qsizetype found = s.indexOf(delimiter, pos);  // from position pos + 1
        if (found < 0)
            break;
        const qsizetype p = found + 1;
        const QString element = s.mid(pos + d - 1, std::max<qsizetype>(0, p - pos - d));
        if (i >= arr.size()) {
            if (!grow)
                break;  // the caller's list is too short: stop rather than write past it
            resizeList(arr, i + 1, true);
        }
        arr[i] = element;
        ++i;
        pos = p;
    }
    return i;
}

}  // namespace torvex
