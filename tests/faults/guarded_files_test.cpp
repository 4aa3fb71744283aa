// The files guarded at start-up and after: what the user typed is kept
// private, a link planted in the program folder leads nowhere, a file too
// large to read is refused, a lock held by a hung copy costs one wait. Each
// row: the files before the start; the start, "Remember settings" ticked
// when the start left it unticked, a click on Numbers and a keystroke; the
// messages shown; each file afterwards.
#include "fault_window.h"
#include "settings/inifile.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"
#include "support/rows.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>

using namespace quenby;
using namespace quenby::faults;

namespace {

using quenby::test::operator<<;

enum class Before {
    NoFiles,
    OpenToAll,         // both files 0644, as older versions made them
    OwnLinks,          // both files links into a dotfiles folder of the user's
    ForeignSettings,   // qnb.ini a link to a read-only file of another user
    ForeignSavedTexts, // qnbtext.ini the same
    PlantedLink,       // qnb.ini a link of another user's to a file of the user's
    HugeSettings,      // qnb.ini a sparse file of 2 GiB
    HugeSavedTexts,    // qnbtext.ini the same
    LockHeld,          // another process holds qnb.ini's lock and never lets go
};

// Each file afterwards: exactly as it was, or rewritten 0600 holding what
// the window holds.
enum After { Kept, Rewritten };

struct GuardRow {
    const char* name;
    Before before;
    const char* told; // a piece of each message, in order, "|" between them
    After settings;
    After savedTexts;
};

const GuardRow kRows[] = {
    {"NoFiles", Before::NoFiles, "", Rewritten, Rewritten},
    {"FilesOpenToAll", Before::OpenToAll, "", Rewritten, Rewritten},
    {"LinksToOwnFiles", Before::OwnLinks, "", Rewritten, Rewritten},
    {"SettingsLinkToAnotherUsersFile", Before::ForeignSettings, "#197|another user", Kept,
     Rewritten},
    // Told once: the settings written in between work, but the saved text
    // they bring up to date still fails, so the run of failures goes on.
    {"SavedTextsLinkToAnotherUsersFile", Before::ForeignSavedTexts, "#197|another user", Rewritten,
     Kept},
    {"SettingsLinkOfAnotherUser", Before::PlantedLink, "#197|another user", Kept, Rewritten},
    {"SettingsOfTwoGigabytes", Before::HugeSettings, "#197|more than the 1 GiB", Kept, Rewritten},
    // Not read, so nothing of it can be kept: the text the user then
    // remembers replaces it.
    {"SavedTextsOfTwoGigabytes", Before::HugeSavedTexts, "#197", Rewritten, Rewritten},
    // Fourteen values written back at start-up: one wait, then failures at
    // once, and one message for the whole run.
    {"SettingsLockHeld", Before::LockHeld, "locked by settings_child", Kept, Rewritten},
};

const QByteArray kRemembered = "[Default]\r\nRemember=1\r\nStripString=secret\r\nVal01=q\r\n";
const QByteArray kText = "my secret text\r\n";
// What files behind a refused link hold; the window must never show it.
const QByteArray kTheirs = "[Default]\r\nRemember=1\r\nStripString=theirs\r\ntheirs\r\n";

// A file as the user finds it: where the entry links to, and the size,
// mode, owner and first bytes of the file behind it.
std::string stateOf(const QString& entry) {
    const QFileInfo info(entry);
    QFile f(entry);
    const QByteArray head = f.open(QIODevice::ReadOnly) ? f.read(64 * 1024) : QByteArray();
    return QStringLiteral("link=%1 size=%2 mode=%3 owner=%4 ")
               .arg(info.symLinkTarget())
               .arg(info.size())
               .arg(test::modeOf(entry), 0, 8)
               .arg(info.ownerId())
               .toStdString() +
           test::shown(head);
}

class GuardedFiles : public FaultWindow, public ::testing::WithParamInterface<GuardRow> {
protected:
    QString entry(const char* name) const { return folder.file(QString::fromLatin1(name)); }

    void put(const QString& path, const QByteArray& bytes, mode_t mode, uid_t owner = 0) {
        test::writeBytes(path, bytes);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), owner, 0), 0);
    }
    void link(const char* name, const QString& target) {
        ASSERT_TRUE(QFile::link(target, entry(name)));
    }
    void sparse(const char* name) {
        QFile f(entry(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(qint64(2) << 30));
    }

    void arrange(Before before) {
        const QString dot = m_dotfiles.path();
        switch (before) {
        case Before::NoFiles:
            break;
        case Before::OpenToAll:
            put(entry("qnb.ini"), kRemembered, 0644);
            put(entry("qnbtext.ini"), kText, 0644);
            break;
        case Before::OwnLinks:
            put(dot + "/qnb.ini", kRemembered, 0644);
            put(dot + "/qnbtext.ini", kText, 0644);
            link("qnb.ini", dot + "/qnb.ini");
            link("qnbtext.ini", dot + "/qnbtext.ini");
            break;
        case Before::ForeignSettings:
        case Before::ForeignSavedTexts: {
            const bool settings = before == Before::ForeignSettings;
            put(dot + "/theirs", kTheirs, 0444, kNobody);
            put(entry(settings ? "qnbtext.ini" : "qnb.ini"), settings ? kText : kRemembered, 0600);
            link(settings ? "qnb.ini" : "qnbtext.ini", dot + "/theirs");
            break;
        }
        case Before::PlantedLink:
            put(dot + "/qnb.ini", kTheirs, 0600);
            put(entry("qnbtext.ini"), kText, 0600);
            link("qnb.ini", dot + "/qnb.ini");
            ASSERT_EQ(::lchown(QFile::encodeName(entry("qnb.ini")).constData(), kNobody, 0), 0);
            break;
        case Before::HugeSettings:
            sparse("qnb.ini");
            put(entry("qnbtext.ini"), kText, 0600);
            break;
        case Before::HugeSavedTexts:
            put(entry("qnb.ini"), kRemembered, 0600);
            sparse("qnbtext.ini");
            break;
        case Before::LockHeld: {
            QByteArray ini = kRemembered;
            for (int i = 2; i <= 12; ++i)
                ini += QStringLiteral("Val%1=v\r\n").arg(i, 2, 10, QLatin1Char('0')).toLatin1();
            put(entry("qnb.ini"), ini + "ReplaceString=x\r\n", 0600);
            put(entry("qnbtext.ini"), kText, 0600);
            holdLock("qnb.ini");
            break;
        }
        }
    }

    static constexpr uid_t kNobody = 65534;
    QTemporaryDir m_dotfiles;
};

TEST_P(GuardedFiles, ToldWhatWentWrongAndNoFileLeakedOrLost) {
    const GuardRow& row = GetParam();
    arrange(row.before);
    struct Watched {
        const char* name;
        After after;
        std::string state;
        QString link;
    } files[] = {{"qnb.ini", row.settings, {}, {}}, {"qnbtext.ini", row.savedTexts, {}, {}}};
    for (Watched& f : files) {
        f.state = stateOf(entry(f.name));
        f.link = QFileInfo(entry(f.name)).symLinkTarget();
    }

    const QStringList told = QString::fromLatin1(row.told).split(u'|', Qt::SkipEmptyParts);
    dialogs.answers.assign(std::size_t(told.size()), Answer::Ok);
    Skivler& s = open();
    if (s.yesRemember->value() == 0)
        click(s.yesRemember);
    click(s.noNums);
    type(s.Text1, QStringLiteral("Z"));

    ASSERT_EQ(dialogs.shown.size(), std::size_t(told.size()));
    for (std::size_t i = 0; i < dialogs.shown.size(); ++i) {
        const QString& text = dialogs.shown[i].text;
        EXPECT_EQ(dialogs.shown[i].title, QStringLiteral("Skiv"));
        EXPECT_TRUE(text.contains(told[qsizetype(i)])) << text.toStdString();
        if (text != QLatin1String("internal error: #197")) {
            EXPECT_TRUE(text.contains(folder.path())) << "names the file: " << text.toStdString();
        }
    }
    EXPECT_TRUE(s.Text2->text().endsWith(QLatin1Char('Z'))) << "live";
    EXPECT_FALSE(held(s).join(QLatin1Char('\n')).contains(QLatin1String("theirs")))
        << "nothing read through a link to another user's file";

    for (const Watched& f : files) {
        SCOPED_TRACE(f.name);
        if (f.after == Kept) {
            EXPECT_EQ(stateOf(entry(f.name)), f.state);
            continue;
        }
        EXPECT_EQ(QFileInfo(entry(f.name)).symLinkTarget(), f.link) << "the same link";
        EXPECT_EQ(test::modeOf(entry(f.name)), 0600u);
    }
    EXPECT_TRUE(row.settings == Kept ||
                IniRead(entry("qnb.ini"), QStringLiteral("Default"),
                        QStringLiteral("StripNumbers")) == QString::number(s.noNums->value()))
        << "the settings file holds what the window holds";
    EXPECT_TRUE(row.savedTexts == Kept || TxtLoad(folder.path()) == s.Text1->text())
        << "the saved texts hold what the window holds";

    QStringList stray = strayEntries();
    stray.removeAll(QStringLiteral("qnb.ini.lock")); // the other process's
    EXPECT_EQ(stray, QStringList()) << "no temporary file stays";
    EXPECT_LE(QDir(m_dotfiles.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file stays beside a link's file";
}

INSTANTIATE_TEST_SUITE_P(Files, GuardedFiles, ::testing::ValuesIn(kRows), quenby::test::RowName());

} // namespace
