// Start-up from broken, odd or unusable files: NUL bytes and invalid UTF-8
// in both files, a folder in a file's place, a read-only folder. Each start
// shows exactly the messages listed, restores what can be restored, leaves the
// window live, and afterwards every file is whole: its old bytes, or a file
// that reads back as what the window holds.
#include "fault_window.h"
#include "settings/inifile.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"
#include "support/rows.h"

using namespace quenby;
using namespace quenby::faults;
using namespace std::string_literals;

namespace {

using quenby::test::operator<<;

enum class StartFault { None, ReadOnlyFolder, SettingsIsAFolder, SavedTextsIsAFolder };

struct StartRow {
    const char* name;
    std::string ini;  // qnb.ini before the start
    std::string text; // qnbtext.ini before the start
    StartFault fault;
    std::vector<const char*> told;  // a piece of each message expected, in order
    QStringList shows;              // entries of held() expected afterwards
    const char* iniAfter = nullptr; // qnb.ini afterwards, when given
};

const char kStartupError[] = "internal error: #197";
const char kSaveError[] = "could not save to the file";

const StartRow kStartRows[] = {
    {"NulBytesAndWindows1252",
     "[Default]\r\nRemember=1\r\nStripString=caf\xE9\0x\r\nVal01=\xFF\r\nVal12=\0\r\n"s,
     "a\0b \xE9t\xE9\r\n\x80\r\n"s,
     StartFault::None,
     {},
     {QStringLiteral("StripString=caf\u00E9\0x"), QStringLiteral("A=\u00FF"),
      QStringLiteral("yy=\0"), QStringLiteral("Text1=a\0b \u00E9t\u00E9\n\u20AC")}},
    {"InvalidUtf8Sequences",
     "[Default]\r\nRemember=1\r\nStripString=\xC0\xAF\x80\xE2\x82\r\nVal01=\xED\xA0\x80\r\n",
     "\xF8\x88\x80\x80\x80|\xED\xB0\x80\r\n",
     StartFault::None,
     {},
     {QStringLiteral("StripString=\u00C0\u00AF\u20AC\u00E2\u201A"), QStringLiteral("A=\u00ED"),
      QStringLiteral("Text1=\u00F8\u02C6\u20AC\u20AC\u20AC|\u00ED\u00B0\u20AC")}},
    // The slot A, restored first, rewrites the file: only its own line is
    // transcoded, the other lines keep their bytes.
    {"OneLineNotUtf8",
     "[Default]\r\nRemember=1\r\nVal01=\xE9\r\nVal12=\xF0\x9F\x98\x80\r\nNote=\xF0\x9F\x98\x80\r\n",
     "\xF0\x9F\x98\x80\r\n",
     StartFault::None,
     {},
     {QStringLiteral("A=\u00E9"), QStringLiteral("yy=\U0001F600"),
      QStringLiteral("Text1=\U0001F600")},
     "[Default]\r\nRemember=1\r\nVal01=\xC3\xA9\r\nVal12=\xF0\x9F\x98\x80\r\nNote="
     "\xF0\x9F\x98\x80\r\n"},
    {"Utf16WithByteOrderMark",
     "\xFF\xFE[\0D\0e\0f\0a\0u\0l\0t\0]\0\r\0\n\0R\0e\0m\0e\0m\0b\0e\0r\0=\0001\0"s,
     "\xFF\xFEh\0i\0"s,
     StartFault::None,
     {},
     {QStringLiteral("yesRemember=0"), QStringLiteral("Text1=\u00FF\u00FEh\0i\0")}},
    {"OnlyNulBytes",
     std::string(4096, '\0'),
     std::string(4096, '\0'),
     StartFault::None,
     {},
     {QStringLiteral("yesRemember=0"), QStringLiteral("Text1=") + QString(4096, QChar(0))}},
    {"ControlCharactersAroundEverything",
     "\x01\x02\r\n[Default]\x0B\r\n[Default]\r\n\tRemember=1\r\nRemember=1\x0C\r\nVal01=\x7F\r\n",
     "\x01\r\r\n\x1B\r\n",
     StartFault::None,
     {kStartupError}, // "1\f" is not a number
     {QStringLiteral("yesRemember=0"), QStringLiteral("A=\u007F"),
      QStringLiteral("Text1=\u0001\n\n\u001B")}},
    {"SettingsIsAFolder",
     "",
     "saved\r\n",
     StartFault::SettingsIsAFolder,
     {kStartupError},
     {QStringLiteral("sus=0"), QStringLiteral("Text1=")}},
    {"SavedTextsIsAFolder",
     "[Default]\r\nStripNumbers=1\r\n",
     "",
     StartFault::SavedTextsIsAFolder,
     {kStartupError},
     {QStringLiteral("sus=0"), QStringLiteral("noNums=0")}},
    {"ReadOnlyFolderWithoutFiles",
     "<none>",
     "<none>",
     StartFault::ReadOnlyFolder,
     {kStartupError},
     {QStringLiteral("sus=0")}},
    {"ReadOnlyFolderRemembered",
     "[Default]\r\nRemember=1\r\nStripNumbers=1\r\nVal01=q\r\nStripString=is\r\n",
     "This is kept\r\n",
     StartFault::ReadOnlyFolder,
     {kSaveError},
     {QStringLiteral("sus=0"), QStringLiteral("yesRemember=1"), QStringLiteral("noNums=1"),
      QStringLiteral("A=q"), QStringLiteral("StripString=is"), QStringLiteral("txtN=2"),
      QStringLiteral("Text1=This is kept"), QStringLiteral("Text2=Th  kpt")}},
};

class StartFaults : public FaultWindow, public ::testing::WithParamInterface<StartRow> {
protected:
    void put(const char* name, const std::string& content) {
        if (content == "<none>")
            return;
        write(name, QByteArray::fromStdString(content));
    }

    PrivateMounts m_mounts;
};

TEST_P(StartFaults, ToldWhatWentWrongAndLive) {
    const StartRow& row = GetParam();
    put("qnb.ini", row.ini);
    put("qnbtext.ini", row.text);
    if (row.fault == StartFault::SettingsIsAFolder ||
        row.fault == StartFault::SavedTextsIsAFolder) {
        const QString name = QString::fromLatin1(
            row.fault == StartFault::SettingsIsAFolder ? kSettingsFileName : kSavedTextsFileName);
        ASSERT_TRUE(QFile::remove(folder.file(name)));
        ASSERT_TRUE(QDir(folder.path()).mkdir(name));
    }
    if (row.fault == StartFault::ReadOnlyFolder && !m_mounts.makeReadOnly(folder.path()))
        GTEST_SKIP() << "no read-only mount: " << m_mounts.unavailable().toStdString();
    const QByteArray ini = fileState("qnb.ini");
    const QByteArray text = fileState("qnbtext.ini");

    QStringList filterWarnings;
    const QString filter = filterOptions(ini, &filterWarnings);
    dialogs.answers.assign(row.told.size(), Answer::Ok);
    Skivler& s = open();
    if (row.fault == StartFault::None) {
        EXPECT_EQ(windowOptions(s).toStdString(), filter.toStdString()) << "as quenby-strip reads";
    }
    ASSERT_EQ(dialogs.shown.size(), row.told.size());
    for (std::size_t i = 0; i < row.told.size(); ++i) {
        EXPECT_EQ(dialogs.shown[i].title, QStringLiteral("Skiv"));
        EXPECT_TRUE(dialogs.shown[i].text.contains(QLatin1String(row.told[i])))
            << dialogs.shown[i].text.toStdString();
    }
    const QStringList holds = held(s);
    for (const QString& entry : row.shows) {
        EXPECT_TRUE(holds.contains(entry)) << "expected " << test::shown(entry.toUtf8()) << " in\n"
                                           << test::shown(holds.join(QLatin1Char('\n')).toUtf8());
    }

    // Live: a keystroke reaches the output.
    const QString before = s.Text2->text();
    type(s.Text1, QStringLiteral("Z"));
    EXPECT_TRUE(s.Text1->text().endsWith(QLatin1Char('Z')));
    EXPECT_EQ(s.Text2->text(), before + QLatin1Char('Z'));

    if (row.fault != StartFault::None) {
        EXPECT_EQ(fileState("qnb.ini"), ini) << "an unusable file is left as it was";
        EXPECT_EQ(fileState("qnbtext.ini"), text);
        return;
    }
    // Whatever was written back reads as the window holds it.
    if (s.yesRemember->value() == 1) {
        EXPECT_EQ(TxtLoad(folder.path()), s.Text1->text());
        const QString path = folder.file(QStringLiteral("qnb.ini"));
        EXPECT_EQ(IniRead(path, QStringLiteral("Default"), QStringLiteral("StripString")),
                  s.StripString->text());
        EXPECT_EQ(IniRead(path, QStringLiteral("Default"), QStringLiteral("Val01")), s.A->text());
        if (row.iniAfter) {
            EXPECT_EQ(test::shown(fileState("qnb.ini")), test::shown(row.iniAfter));
        }
    } else {
        EXPECT_EQ(fileState("qnb.ini"), ini) << "nothing stored without Remember";
        EXPECT_EQ(fileState("qnbtext.ini"), text);
    }
}

INSTANTIATE_TEST_SUITE_P(Starts, StartFaults, ::testing::ValuesIn(kStartRows),
                         quenby::test::RowName());

// An installed copy whose home folder does not exist has no folder for its
// files at all. Nothing is made up and nothing is written elsewhere: the
// start fails as any start without its files does, the window stays live,
// and the first save names why there is nowhere to save.
TEST_F(FaultWindow, NoFolderAtAllIsNamedByTheFirstSave) {
    const QTemporaryDir parent;
    const QByteArray missing = QFile::encodeName(parent.path()) + "/missing";
    const test::EnvironmentVariable home("HOME", missing.constData());
    const test::EnvironmentVariable xdg("XDG_CONFIG_HOME", nullptr);
    struct ChosenFolder : ProgramFolder {
        QString chosen = QtProgramFolder::choose(QStringLiteral("/usr/bin"));
        QString path() const override { return chosen; }
    } noFolder;
    EXPECT_EQ(noFolder.chosen, QString());
    EXPECT_FALSE(QFileInfo::exists(QString::fromLocal8Bit(missing)));

    dialogs.answers = {Answer::Ok, Answer::Ok};
    Skivler s({clipboard, dialogs, noFolder});
    s.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, QLatin1String(kStartupError));
    click(s.yesRemember);
    type(s.Text1, QStringLiteral("Zq"));
    ASSERT_EQ(dialogs.shown.size(), 2u) << "told once";
    EXPECT_TRUE(dialogs.shown[1].text.contains(kSaveError)) << dialogs.shown[1].text.toStdString();
    EXPECT_TRUE(dialogs.shown[1].text.contains(
        QStringLiteral("the home folder %1 does not exist").arg(QString::fromLocal8Bit(missing))))
        << dialogs.shown[1].text.toStdString();
    EXPECT_TRUE(s.Text2->text().endsWith(QLatin1String("Zq"))) << "live";
}

} // namespace
