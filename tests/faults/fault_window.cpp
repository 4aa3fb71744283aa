#include "fault_window.h"

#include "cli/settingsoptions.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quenby::faults {

using quenby::testing::WindowTest;

Twin::Twin() : window(std::make_unique<Skivler>(Platform{clipboard, dialogs, folder})) {
    window->show();
}

void FaultWindow::TearDown() {
    releaseLock();
    WindowTest::TearDown();
}

void FaultWindow::rememberAState(Skivler& s) {
    click(s.yesRemember);
    s.Text1->setText(QStringLiteral("Keep this text, 42 times!\n").repeated(200));
    type(s.Text1, QStringLiteral("Typed."));
    click(s.noNums);
    type(s.A, QStringLiteral("K"));
    type(s.StripString, QStringLiteral("is"));
    s.ReplaceString->setText(QStringLiteral("[was]=").repeated(200));
    s.finishWrites();
}

namespace {

QString describe(const StripOptions& o) {
    QStringList fields;
    const auto flag = [&fields](const char* name, bool on) {
        fields << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(on ? 1 : 0);
    };
    flag("caseSensitive", o.caseSensitive);
    flag("stripPunctuation", o.stripPunctuation);
    flag("stripNumbers", o.stripNumbers);
    flag("stripSpaces", o.stripSpaces);
    flag("stripVowels", o.stripVowels);
    flag("includeY", o.includeY);
    fields << QStringLiteral("caseChoice=%1").arg(int(o.caseChoice));
    fields << QStringLiteral("stripString=") + o.stripString;
    fields << QStringLiteral("replacement=") + o.replacement;
    for (const QString& slot : o.slots)
        fields << QStringLiteral("slot=") + slot;
    fields << QStringLiteral("marker=") + o.marker;
    return fields.join(QLatin1Char('\n'));
}

} // namespace

QString FaultWindow::filterOptions(const QByteArray& settingsBytes, QStringList* warnings) {
    QTemporaryFile file;
    if (!file.open() || file.write(settingsBytes) != settingsBytes.size() || !file.flush())
        return QStringLiteral("<cannot write a temporary file>");
    const cli::StoredSettings stored = cli::readStoredSettings(file.fileName());
    *warnings = stored.warnings;
    return describe(stored.options);
}

QString FaultWindow::windowOptions(const Skivler& s) {
    return describe(s.readOptions());
}

QStringList FaultWindow::held(const Skivler& s) {
    QStringList out;
    const auto box = [&out](const char* name, const CheckBox* b) {
        out << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(b->value());
    };
    box("noVowels", s.noVowels);
    box("noY", s.noY);
    box("noNums", s.noNums);
    box("noPunc", s.noPunc);
    box("noGaps", s.noGaps);
    box("yesCase", s.yesCase);
    box("yesWrap", s.yesWrap);
    box("yesRemember", s.yesRemember);
    box("yesCopy", s.yesCopy);
    box("yesPaste", s.yesPaste);
    box("sus", s.sus);
    for (const OptionButton* b : s.Option2)
        if (b->isChecked())
            out << QStringLiteral("Option2=%1").arg(b->index());
    const auto line = [&out](const char* name, const LineBox* b) {
        out << QLatin1String(name) + QLatin1Char('=') + b->text();
    };
    line("A", s.A);
    line("E", s.E);
    line("I", s.I);
    line("O", s.O);
    line("U", s.U);
    line("Y", s.Y);
    line("aa", s.aa);
    line("ee", s.ee);
    line("ii", s.ii);
    line("oo", s.oo);
    line("uu", s.uu);
    line("yy", s.yy);
    line("StripString", s.StripString);
    line("ReplaceString", s.ReplaceString);
    line("txtN", s.txtN);
    out << QStringLiteral("Text1=") + s.Text1->text() << QStringLiteral("Text4=") + s.Text4->text()
        << QStringLiteral("Text2=") + s.Text2->text() << QStringLiteral("Text5=") + s.Text5->text();
    return out;
}

QStringList FaultWindow::strayEntries() const {
    QStringList entries =
        QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    entries.removeAll(QStringLiteral("qnb.ini"));
    entries.removeAll(QStringLiteral("qnbtext.ini"));
    return entries;
}

std::vector<Message> FaultWindow::messagesSince(std::size_t mark) const {
    return {dialogs.shown.begin() + std::ptrdiff_t(mark), dialogs.shown.end()};
}

void FaultWindow::holdLock(const char* name) {
    const QString path = folder.file(QString::fromLatin1(name));
    m_lockHolder.emplace();
    m_lockHolder->start(QStringLiteral(QUENBY_SETTINGS_CHILD), {QStringLiteral("hold-lock"), path});
    ASSERT_TRUE(m_lockHolder->waitForStarted(10000)) << m_lockHolder->errorString().toStdString();
    QByteArray said;
    while (!said.contains("locked")) {
        ASSERT_TRUE(m_lockHolder->waitForReadyRead(10000))
            << m_lockHolder->readAllStandardError().toStdString();
        said += m_lockHolder->readAllStandardOutput();
    }
    // Held "for a long time": a lock that old must still count while its
    // holder runs.
    QFile lock(path + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
}

void FaultWindow::releaseLock() {
    if (!m_lockHolder)
        return;
    m_lockHolder->kill();
    m_lockHolder->waitForFinished(10000);
    m_lockHolder.reset();
}

} // namespace quenby::faults
