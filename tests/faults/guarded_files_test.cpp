// The files guarded at start-up and after: what the user typed is kept
// private, a link planted in the program folder leads nowhere, a file too
// large to read is refused, a lock held by a hung copy costs one wait. Each
// row: the files before the start; the start, "Remember settings" ticked
// when the start left it unticked, a click on Numbers and a keystroke; the
// messages shown; each file afterwards, either exactly as it was (bytes,
// mode, owner, and a link still the same link) or rewritten 0600 holding
// what the window holds.
#include "fault_window.h"
#include "settings/inifile.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

using namespace quenby;
using namespace quenby::faults;

namespace {

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

enum class After { AsItWas, Rewritten };

struct GuardRow {
    const char* name;
    Before before;
    std::vector<const char*> told; // a piece of each message, in order
    After settings;
    After savedTexts;
};

void PrintTo(const GuardRow& row, std::ostream* os) {
    *os << row.name;
}

const char kStartupError[] = "internal error: #197";
const char kForeign[] = "belongs to another user";

const GuardRow kRows[] = {
    {"NoFiles", Before::NoFiles, {}, After::Rewritten, After::Rewritten},
    {"FilesOpenToAll", Before::OpenToAll, {}, After::Rewritten, After::Rewritten},
    {"LinksToOwnFiles", Before::OwnLinks, {}, After::Rewritten, After::Rewritten},
    {"SettingsLinkToAnotherUsersFile",
     Before::ForeignSettings,
     {kStartupError, kForeign},
     After::AsItWas,
     After::Rewritten},
    // Told twice: the settings written between the two failures worked.
    {"SavedTextsLinkToAnotherUsersFile",
     Before::ForeignSavedTexts,
     {kStartupError, kForeign, kForeign},
     After::Rewritten,
     After::AsItWas},
    {"SettingsLinkOfAnotherUser",
     Before::PlantedLink,
     {kStartupError, kForeign},
     After::AsItWas,
     After::Rewritten},
    {"SettingsOfTwoGigabytes",
     Before::HugeSettings,
     {kStartupError, "more than the 1 GiB"},
     After::AsItWas,
     After::Rewritten},
    // Not read, so nothing of it can be kept: the text the user then
    // remembers replaces it.
    {"SavedTextsOfTwoGigabytes",
     Before::HugeSavedTexts,
     {kStartupError},
     After::Rewritten,
     After::Rewritten},
    // Fourteen values written back at start-up: one wait, then failures at
    // once; told again after the saved text was written.
    {"SettingsLockHeld",
     Before::LockHeld,
     {"locked by settings_child", "still locked"},
     After::AsItWas,
     After::Rewritten},
};

const QByteArray kRemembered = "[Default]\r\nRemember=1\r\nStripString=secret\r\nVal01=q\r\n";
const QByteArray kText = "my secret text\r\n";
// What files behind a refused link hold; the window must never show it.
const QByteArray kTheirs = "[Default]\r\nRemember=1\r\nStripString=theirs\r\ntheirs\r\n";

// A file as the user would find it: the entry in the folder (a link's
// target), and the file behind it (size, mode, owner, first bytes).
struct FileState {
    QString link;
    qint64 size = -1;
    unsigned mode = 0;
    unsigned owner = 0;
    QByteArray head;
    bool operator==(const FileState& o) const {
        return link == o.link && size == o.size && mode == o.mode && owner == o.owner &&
               head == o.head;
    }
};

std::ostream& operator<<(std::ostream& os, const FileState& s) {
    return os << "link=" << s.link.toStdString() << " size=" << s.size << " mode=" << std::oct
              << s.mode << std::dec << " owner=" << s.owner
              << " head=" << test::shown(s.head.left(80));
}

FileState stateOf(const QString& entry) {
    FileState s;
    s.link = QFileInfo(entry).symLinkTarget();
    struct stat st {};
    if (::stat(QFile::encodeName(entry).constData(), &st) != 0)
        return s;
    s.size = st.st_size;
    s.mode = st.st_mode & 07777;
    s.owner = st.st_uid;
    QFile f(entry);
    if (f.open(QIODevice::ReadOnly))
        s.head = f.read(64 * 1024);
    return s;
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
    const FileState settingsBefore = stateOf(entry("qnb.ini"));
    const FileState textsBefore = stateOf(entry("qnbtext.ini"));

    dialogs.answers.assign(row.told.size(), Answer::Ok);
    Skivler& s = open();
    if (s.yesRemember->value() == 0)
        click(s.yesRemember);
    click(s.noNums);
    type(s.Text1, QStringLiteral("Z"));

    ASSERT_EQ(dialogs.shown.size(), row.told.size());
    for (std::size_t i = 0; i < row.told.size(); ++i) {
        const QString& text = dialogs.shown[i].text;
        EXPECT_EQ(dialogs.shown[i].title, QStringLiteral("Skiv"));
        EXPECT_TRUE(text.contains(QLatin1String(row.told[i]))) << text.toStdString();
        if (text != QLatin1String(kStartupError)) {
            EXPECT_TRUE(text.contains(folder.path())) << "names the file: " << text.toStdString();
        }
    }
    EXPECT_TRUE(s.Text2->text().endsWith(QLatin1Char('Z'))) << "live";
    EXPECT_FALSE(held(s).join(QLatin1Char('\n')).contains(QLatin1String("theirs")))
        << "nothing read through a link to another user's file";

    const auto check = [&](const char* name, After after, const FileState& before, bool readsBack) {
        SCOPED_TRACE(name);
        const FileState now = stateOf(entry(name));
        if (after == After::AsItWas) {
            EXPECT_EQ(now, before);
            return;
        }
        EXPECT_EQ(now.link, before.link) << "a link stays the same link";
        EXPECT_EQ(now.mode, 0600u);
        EXPECT_TRUE(readsBack);
    };
    check("qnb.ini", row.settings, settingsBefore,
          row.settings == After::Rewritten &&
              IniRead(entry("qnb.ini"), QStringLiteral("Default"),
                      QStringLiteral("StripNumbers")) == QString::number(s.noNums->value()));
    check("qnbtext.ini", row.savedTexts, textsBefore,
          row.savedTexts == After::Rewritten && TxtLoad(folder.path()) == s.Text1->text());

    QStringList stray = strayEntries();
    stray.removeAll(QStringLiteral("qnb.ini.lock")); // the other process's
    EXPECT_EQ(stray, QStringList()) << "no temporary file stays";
    QStringList dotfiles = QDir(m_dotfiles.path()).entryList(QDir::Files | QDir::Hidden);
    dotfiles.removeAll(QStringLiteral("theirs"));
    dotfiles.removeAll(QStringLiteral("qnb.ini"));
    dotfiles.removeAll(QStringLiteral("qnbtext.ini"));
    EXPECT_EQ(dotfiles, QStringList()) << "a link's file is replaced in its own folder";
}

INSTANTIATE_TEST_SUITE_P(Files, GuardedFiles, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
