#include "settings/initext.h"

namespace quenby {

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// `line` begins with `lowerPrefix` when compared ASCII case-insensitively.
bool startsWithLower(const char* line, qsizetype lineSize, const QByteArray& lowerPrefix) {
    if (lineSize < lowerPrefix.size())
        return false;
    for (qsizetype i = 0; i < lowerPrefix.size(); ++i) {
        if (asciiLower(line[i]) != lowerPrefix[i])
            return false;
    }
    return true;
}

QByteArray upToLineBreak(const QByteArray& bytes) {
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.left(end);
}

bool isEdgeControl(char c) {
    return static_cast<unsigned char>(c) <= 13;
}

} // namespace

QByteArray normalizedIniText(const QByteArray& bytes) {
    qsizetype from = 0;
    for (;;) {
        if (bytes.mid(from, 3) == "\xEF\xBB\xBF")
            from += 3;
        else if (from < bytes.size() && isEdgeControl(bytes[from]))
            ++from;
        else
            break;
    }
    QByteArray out;
    out.reserve(bytes.size() - from + 2);
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out.append("\r\n", 2);
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            out.append(c);
        }
    }
    if (!out.isEmpty() && !out.endsWith("\r\n"))
        out.append("\r\n", 2);
    return out;
}

std::optional<QByteArray> findIniValue(const QByteArray& rawText, const QByteArray& section,
                                       const QByteArray& key) {
    const QByteArray text = normalizedIniText(rawText);
    const QByteArray header = '[' + section.toLower() + ']';
    const QByteArray keyEq = key.toLower() + '=';
    const char* data = text.constData();
    const qsizetype size = text.size();
    bool inSection = false;
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = text.indexOf('\r', start);
        const qsizetype next =
            end < 0 ? size : (end + 1 < size && data[end + 1] == '\n' ? end + 2 : end + 1);
        if (end < 0)
            end = size;
        const char* line = data + start;
        const qsizetype lineSize = end - start;
        if (lineSize > 0 && line[0] == '[') {
            inSection = lineSize == header.size() && startsWithLower(line, lineSize, header);
        } else if (inSection && startsWithLower(line, lineSize, keyEq)) {
            return text.mid(start + keyEq.size(), lineSize - keyEq.size());
        }
        start = next;
    }
    return std::nullopt;
}

QByteArray storeIniValue(const QByteArray& rawText, const QByteArray& section,
                         const QByteArray& key, const QByteArray& value) {
    const QByteArray text = normalizedIniText(rawText);
    const QByteArray sectionName = upToLineBreak(section);
    const QByteArray keyLine = upToLineBreak(key) + '=' + upToLineBreak(value);

    // Framed so that the first line also follows a CR LF and a "[" follows
    // every section; the lower-cased copy keeps every position.
    QByteArray t = "\r\n" + text + "[]";
    const QByteArray tl = t.toLower();
    const QByteArray headerPattern = "\r\n[" + sectionName.toLower() + "]\r";
    const QByteArray keyPattern = '\n' + upToLineBreak(key).toLower() + '=';
    const qsizetype sentinel = t.size() - 2;

    const qsizetype p = tl.indexOf(headerPattern);
    t.chop(2);
    if (p < 0) {
        t += "\r\n\r\n[" + sectionName + "]\r\n" + keyLine;
    } else {
        const qsizetype headerEnd = p + headerPattern.size(); // just after the header's CR
        const qsizetype nextHeader = tl.indexOf("\n[", headerEnd);
        const qsizetype sectionEnd = nextHeader < 0 ? sentinel : nextHeader + 1;
        const qsizetype k = tl.indexOf(keyPattern, p);
        if (k < 0 || k > sectionEnd) {
            // Directly under the header line, after its LF when it has one.
            qsizetype at = headerEnd;
            if (at < t.size() && t[at] == '\n')
                ++at;
            t.insert(at, keyLine + "\r\n");
        } else {
            qsizetype lineEnd = t.indexOf('\r', k);
            if (lineEnd < 0)
                lineEnd = t.size();
            t = t.left(k + 1) + keyLine + t.mid(lineEnd);
        }
    }

    t.remove(0, 1);
    t = collapseBlankLines(t);
    // At the end only whole lines go: back to the last character above code
    // 13, then on to the end of its line, so a value's own tabs stay.
    qsizetype last = t.size();
    while (last > 0 && isEdgeControl(t[last - 1]))
        --last;
    while (last < t.size() && t[last] != '\r' && t[last] != '\n')
        ++last;
    // At the start the normalized text already begins above code 13: what
    // goes here is the frame's LF and the blank lines before a section
    // appended to an empty file.
    qsizetype first = 0;
    while (first < last && isEdgeControl(t[first]))
        ++first;
    return t.mid(first, last - first) + "\r\n";
}

QByteArray collapseBlankLines(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    qsizetype copied = 0;
    qsizetype i = text.indexOf('\r');
    while (i >= 0) {
        qsizetype j = i;
        while (j + 1 < size && text[j] == '\r' && text[j + 1] == '\n')
            j += 2;
        const qsizetype pairs = (j - i) / 2;
        if (pairs >= 3) {
            out.append(text.constData() + copied, i - copied);
            out.append("\r\n\r\n", 4);
            copied = j;
        }
        i = text.indexOf('\r', j == i ? i + 1 : j);
    }
    out.append(text.constData() + copied, size - copied);
    return out;
}

} // namespace quenby
