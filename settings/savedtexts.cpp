#include "settings/savedtexts.h"

#include "settings/encoding.h"
#include "settings/fileaccess.h"
#include "settings/inifile.h"

namespace quenby {

namespace {

// Every line break, whatever its form, as LF.
QString toLfBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

QString joinPath(const QString& folder, const QString& fileName) {
    return folder + QLatin1Char('/') + fileName;
}

void TxtSave(const QString& folder, const QString& fileName, const QString& text) {
    const QString path = joinPath(folder, fileName);
    prepareFile(path);
    QString content = toLfBreaks(text);
    content.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    content += QStringLiteral("\r\n");
    const FileLock lock(path);
    writeFileAtomically(path, content.toUtf8());
}

QString TxtLoad(const QString& folder) {
    QString text = decodeFileText(readFileBytes(joinPath(folder, kSavedTextsFileName)));
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    else if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return toLfBreaks(text);
}

} // namespace quenby
