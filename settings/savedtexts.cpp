#include "settings/savedtexts.h"

#include "settings/encoding.h"
#include "settings/fileaccess.h"
#include "settings/programfolder.h"

#include <algorithm>
#include <new>
#include <optional>

namespace quenby {

namespace {

// Every line break, whatever its form, as LF.
QString toLfBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

// The file's bytes for a text: UTF-8, each line break (LF, CR LF or a lone
// CR) as CR LF, and one CR LF at the end, in one pass. Replacing line breaks
// in the QString moves the text's tail once per line, which made one save of
// a 10 MB text take about 100 ms.
QByteArray savedTextBytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray bytes;
    bytes.reserve(utf8.size() + utf8.size() / 32 + 2);
    const char* p = utf8.constData();
    const char* const end = p + utf8.size();
    while (p < end) {
        const char* lineEnd = std::find_if(p, end, [](char c) { return c == '\n' || c == '\r'; });
        bytes.append(p, lineEnd - p);
        if (lineEnd == end)
            break;
        bytes.append("\r\n", 2);
        const bool crLf = *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n';
        p = lineEnd + (crLf ? 2 : 1);
    }
    bytes.append("\r\n", 2);
    return bytes;
}

void TxtSave(const QString& folder, const QString& fileName, const QString& text,
             LockPolicy& lockPolicy) {
    QByteArray bytes;
    try {
        bytes = savedTextBytes(text);
    } catch (const std::bad_alloc&) {
        throw outOfMemory(joinPath(folder, fileName));
    }
    writeSavedText(folder, fileName, bytes, lockPolicy);
}

void writeSavedText(const QString& folder, const QString& fileName, const QByteArray& bytes,
                    LockPolicy& lockPolicy) {
    const QString path = joinPath(folder, fileName);
    prepareFile(path);
    try {
        // Emptying the settings file must not fall between the read and the
        // write of another running copy's settings writer, so it takes the
        // same lock. The saved text is only ever replaced whole: the atomic
        // rename is all it needs, and it saves a lock file per keystroke.
        std::optional<FileLock> lock;
        if (fileName == QLatin1String(kSettingsFileName))
            lock.emplace(path, lockPolicy);
        writeFileAtomically(path, bytes);
    } catch (const std::bad_alloc&) {
        throw outOfMemory(path);
    }
}

void TxtSave(const QString& folder, const QString& fileName, const QString& text) {
    LockPolicy lockPolicy;
    TxtSave(folder, fileName, text, lockPolicy);
}

QString TxtLoad(const QString& folder) {
    QString text = toLfBreaks(decodeFileText(readFileBytes(joinPath(folder, kSavedTextsFileName))));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace quenby
