#pragma once

#include <QString>

// What the helper program settings_child writes, shared with the tests that
// check its files.
namespace quenby::test {

// The value of the key "Counter" after the n-th write: the number, then a
// long run of one letter that alternates with n, so that two successive
// values differ in length and in every byte a torn write could mix.
inline QString counterValue(int n) {
    return QString::number(n) + QLatin1Char(':') +
           QString(4000 + (n % 2) * 1000, n % 2 ? QLatin1Char('b') : QLatin1Char('a'));
}

// The number in front of a counter value, or -1 when the value is not one.
inline int counterNumber(const QString& value) {
    bool ok = false;
    const int n = value.section(QLatin1Char(':'), 0, 0).toInt(&ok);
    return ok && value == counterValue(n) ? n : -1;
}

inline QString keyValue(const QString& prefix, int i) {
    return QStringLiteral("%1-value-%2").arg(prefix).arg(i);
}

} // namespace quenby::test
