// Writes failing under the open window, every way a write can fail while the
// program runs as root. Each case: a run of edits while the fault lasts, the
// fault healed and an edit that works, the fault again and one more edit.
// Throughout, the window holds exactly what a window with working files holds
// (its twin), the user is told once per run of failures, and no file is ever
// anything but its old content or a whole new one.
#include "fault_window.h"
#include "settings/inifile.h"
#include "settings/keytable.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/test_support.h"
#include "support/rows.h"

#include <QFile>
#include <algorithm>

using namespace quenby;
using namespace quenby::faults;
using quenby::test::FileSizeLimit;

namespace {

using quenby::test::operator<<;

enum class Fault {
    ReadOnlyFolder,      // the folder bound read-only over itself
    VanishedFolder,      // the folder removed with everything in it
    FullDisk,            // the folder a small tmpfs, filled up
    DiskFullMidWrite,    // the same with one page free, less than either file needs
    FileSizeLimit,       // RLIMIT_FSIZE below the files' size (SIGXFSZ ignored)
    SettingsIsAFolder,   // a folder where qnb.ini should be
    SavedTextsIsAFolder, // a folder where qnbtext.ini should be
    SettingsLocked,      // another process holds qnb.ini's lock for long
    LockIsAFolder,       // a folder where qnb.ini's lock file should be
};

// Which file's writes the fault makes fail.
enum class Hits { Settings, SavedTexts, Both };

struct FaultRow {
    const char* name;
    Fault fault;
    Hits hits;
    // The words for the cause that the message must carry (alternatives
    // separated by "|").
    const char* reason;
};

const FaultRow kFaults[] = {
    {"ReadOnlyFolder", Fault::ReadOnlyFolder, Hits::Both, "Read-only file system|not writable"},
    {"VanishedFolder", Fault::VanishedFolder, Hits::Both, "does not exist"},
    {"FullDisk", Fault::FullDisk, Hits::Both, "No space left on device"},
    {"DiskFullMidWrite", Fault::DiskFullMidWrite, Hits::Both, "No space left on device"},
    {"FileSizeLimit", Fault::FileSizeLimit, Hits::Both, "File too large"},
    {"SettingsIsAFolder", Fault::SettingsIsAFolder, Hits::Settings, "a folder stands"},
    {"SavedTextsIsAFolder", Fault::SavedTextsIsAFolder, Hits::SavedTexts, "a folder stands"},
    {"SettingsLocked", Fault::SettingsLocked, Hits::Settings, "locked by settings_child"},
    {"LockIsAFolder", Fault::LockIsAFolder, Hits::Settings, "a folder stands where the lock"},
};

constexpr long long kSmallDisk = 256 * 1024;
const QString kDefault = QStringLiteral("Default");

class WriteFaults : public FaultWindow, public ::testing::WithParamInterface<FaultRow> {
protected:
    void SetUp() override {
        FaultWindow::SetUp();
        const Fault f = GetParam().fault;
        if ((f == Fault::FullDisk || f == Fault::DiskFullMidWrite) &&
            !m_mounts.mountTmpfs(folder.path(), kSmallDisk))
            GTEST_SKIP() << "no small disk to fill: " << m_mounts.unavailable().toStdString();
        if (GetParam().fault == Fault::ReadOnlyFolder && !m_mounts.unavailable().isEmpty())
            GTEST_SKIP() << "no read-only mount: " << m_mounts.unavailable().toStdString();
    }

    void inflict() {
        const QString path = folder.path();
        switch (GetParam().fault) {
        case Fault::ReadOnlyFolder:
            ASSERT_TRUE(m_mounts.makeReadOnly(path)) << m_mounts.unavailable().toStdString();
            break;
        case Fault::VanishedFolder:
            ASSERT_TRUE(QDir(path).removeRecursively());
            break;
        case Fault::FullDisk:
        case Fault::DiskFullMidWrite:
            fillDisk(GetParam().fault == Fault::DiskFullMidWrite);
            break;
        case Fault::FileSizeLimit:
            // The lock file (about a hundred bytes) still fits; neither file does.
            m_sizeLimit.emplace(kRememberedBytes);
            break;
        case Fault::SettingsIsAFolder:
        case Fault::SavedTextsIsAFolder:
            ASSERT_TRUE(QFile::remove(hitFile()));
            ASSERT_TRUE(QDir(path).mkdir(hitName()));
            break;
        case Fault::SettingsLocked:
            holdLock(kSettingsFileName);
            break;
        case Fault::LockIsAFolder:
            ASSERT_TRUE(QDir(path).mkdir(hitName() + QStringLiteral(".lock")));
            break;
        }
    }

    void heal() {
        switch (GetParam().fault) {
        case Fault::ReadOnlyFolder:
            m_mounts.unmountLast();
            break;
        case Fault::VanishedFolder:
            ASSERT_TRUE(QDir().mkpath(folder.path()));
            break;
        case Fault::FullDisk:
        case Fault::DiskFullMidWrite:
            ASSERT_TRUE(QFile::remove(folder.file(QStringLiteral("filler"))));
            break;
        case Fault::FileSizeLimit:
            m_sizeLimit.reset();
            break;
        case Fault::SettingsIsAFolder:
        case Fault::SavedTextsIsAFolder:
            ASSERT_TRUE(QDir(folder.path()).rmdir(hitName()));
            break;
        case Fault::SettingsLocked:
            releaseLock();
            break;
        case Fault::LockIsAFolder:
            ASSERT_TRUE(QDir(folder.path()).rmdir(hitName() + QStringLiteral(".lock")));
            break;
        }
    }

    // Writes a filler file until the disk refuses another byte; then, with
    // leaveRoom, frees one page: room for the settings lock file, or for the
    // first page of either file, which both need more, so the write fails
    // half-way.
    void fillDisk(bool leaveRoom) {
        QFile filler(folder.file(QStringLiteral("filler")));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
        if (leaveRoom) {
            ASSERT_TRUE(filler.resize(filler.size() - 4096));
        }
    }

    QString hitName() const {
        const Fault f = GetParam().fault;
        return QString::fromLatin1(f == Fault::SettingsIsAFolder || f == Fault::SettingsLocked ||
                                           f == Fault::LockIsAFolder
                                       ? kSettingsFileName
                                       : kSavedTextsFileName);
    }
    QString hitFile() const { return folder.file(hitName()); }

    // Two edits that write to the failing files (each edit writes once, so a
    // held lock costs its bounded wait twice), made on both windows.
    void edit(Skivler& s, int round) {
        const Hits hits = GetParam().hits;
        if (hits != Hits::Settings)
            type(s.Text1, round % 2 ? QStringLiteral(" y") : QStringLiteral(" x"));
        if (hits != Hits::SavedTexts) {
            click(round % 2 ? s.noPunc : s.noGaps);
            click(s.Option2[std::size_t(round % 3)]);
            type(s.ReplaceString, QStringLiteral("r"));
        }
        if (hits == Hits::Settings)
            type(s.StripString, QStringLiteral("e"));
    }

    // A run of failing edits: exactly one message, the window as its twin,
    // every file exactly as it was when the fault struck. The twin is edited
    // first, as a file-size limit holds for the whole process.
    void failingRun(int round) {
        edit(*m_twin.window, round);
        const std::size_t mark = dialogs.shown.size();
        inflict();
        const QByteArray ini = fileState("qnb.ini");
        const QByteArray text = fileState("qnbtext.ini");
        dialogs.answers = {Answer::Ok};
        edit(*w, round);
        const std::vector<Message> told = messagesSince(mark);
        ASSERT_EQ(told.size(), 1u) << "told once per run of failures";
        EXPECT_EQ(told[0].title, QStringLiteral("Skiv"));
        EXPECT_EQ(told[0].icon, MessageIcon::Warning);
        EXPECT_EQ(told[0].buttons, MessageButtons::Ok);
        const bool namesHitFile = GetParam().hits == Hits::Both
                                      ? told[0].text.contains(folder.path())
                                      : told[0].text.contains(hitFile());
        EXPECT_TRUE(namesHitFile) << test::shown(told[0].text.toUtf8());
        const QStringList causes = QString::fromLatin1(GetParam().reason).split(QLatin1Char('|'));
        EXPECT_TRUE(std::any_of(causes.begin(), causes.end(), [&](const QString& cause) {
            return told[0].text.contains(cause);
        })) << test::shown(told[0].text.toUtf8());
        EXPECT_EQ(held(*w), held(*m_twin.window)) << "the window keeps what it holds";
        EXPECT_EQ(fileState("qnb.ini"), ini) << "the old settings file, untouched";
        EXPECT_EQ(fileState("qnbtext.ini"), text) << "the old saved texts, untouched";
        QStringList stray = strayEntries();
        stray.removeAll(QStringLiteral("filler"));
        stray.removeAll(hitName() + QStringLiteral(".lock")); // the other process's, the folder
        EXPECT_EQ(stray, QStringList()) << "no temporary file of a failed write stays";
    }

    // Edits that work again: no message, and each file whole: the saved
    // text is the window's text, the setting just changed reads back.
    void workingRun(int round) {
        // A setting changed first: the first write that works brings the
        // text typed while writes failed into its file too.
        click(m_twin.window->yesCase);
        click(w->yesCase);
        EXPECT_EQ(TxtLoad(folder.path()), w->Text1->text()) << "the text typed during the fault";
        edit(*m_twin.window, round);
        edit(*w, round);
        EXPECT_EQ(held(*w), held(*m_twin.window));
        EXPECT_EQ(TxtLoad(folder.path()), w->Text1->text());
        EXPECT_EQ(fileState("qnbtext.ini"), twinFile("qnbtext.ini"));
        const CheckBox* box = round % 2 ? w->noPunc : w->noGaps;
        const QString key =
            round % 2 ? QStringLiteral("StripPunctuation") : QStringLiteral("StripSpaces");
        if (GetParam().hits != Hits::SavedTexts) {
            EXPECT_EQ(
                IniRead(folder.file(QStringLiteral("qnb.ini")), QStringLiteral("Default"), key),
                QString::number(box->value()));
        }
        // What changed while writes failed was written by the first that worked.
        for (const SettingRow& row : settingTable()) {
            const QString key = QString::fromLatin1(row.key);
            EXPECT_EQ(IniRead(folder.file(QStringLiteral("qnb.ini")), kDefault, key),
                      IniRead(m_twin.folder.file(QStringLiteral("qnb.ini")), kDefault, key))
                << row.key;
        }
        EXPECT_EQ(strayEntries(), QStringList()) << "no temporary or lock file stays";
    }

    QByteArray twinFile(const char* name) const {
        QFile f(m_twin.folder.file(QString::fromLatin1(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // Declared after the fixture's folder, so unmounted before it is removed.
    PrivateMounts m_mounts;
    std::optional<FileSizeLimit> m_sizeLimit;
    Twin m_twin;
};

TEST_P(WriteFaults, ToldOnceNothingLostNoFileTorn) {
    rememberAState(open());
    rememberAState(*m_twin.window);
    ASSERT_EQ(held(*w), held(*m_twin.window));
    ASSERT_TRUE(dialogs.shown.empty());

    failingRun(0);
    heal();
    workingRun(1);
    failingRun(2);
    heal();
    EXPECT_EQ(dialogs.shown.size(), 2u) << "told again only after a save had worked";
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaults, ::testing::ValuesIn(kFaults),
                         quenby::test::RowName());

// When the lock file cannot be made (a read-only folder, a full disk, a
// file-size limit), the reason carries the system's words for the cause, so
// the user can tell a full disk from a read-only folder. Here the process may
// write no file past 16 bytes, which the lock file's content exceeds.
TEST(LockFile, AFailureToMakeItNamesTheCause) {
    const quenby::test::TempFolder folder;
    const QString path = folder.file("qnb.ini");
    const FileSizeLimit limit(16);
    try {
        IniWrite(path, QStringLiteral("Default"), QStringLiteral("StripVowels"),
                 QStringLiteral("0"));
        ADD_FAILURE() << "the write should fail";
    } catch (const FileError& e) {
        EXPECT_TRUE(e.reason().contains(QLatin1String("File too large")))
            << e.reason().toStdString();
    }
}

} // namespace

// Unticking "Remember settings" while the settings file cannot be written
// leaves its emptying owed: the user is told once, and the first change after
// the fault is gone empties the file.
TEST_F(FaultWindow, AnEmptyingThatFailedIsDoneAtTheNextChange) {
    Skivler& s = open();
    rememberAState(s);
    const QString lock = QString::fromLatin1(kSettingsFileName) + QStringLiteral(".lock");
    ASSERT_TRUE(QDir(folder.path()).mkdir(lock));
    dialogs.answers = {Answer::Ok};
    click(s.yesRemember);
    ASSERT_EQ(s.yesRemember->value(), 0);
    const QByteArray emptied = fileState("qnbtext.ini");
    EXPECT_LT(emptied.size(), 3) << "the saved texts take no lock and were emptied";
    EXPECT_NE(fileState("qnb.ini"), emptied);
    type(s.Text1, QStringLiteral("x"));
    EXPECT_NE(fileState("qnb.ini"), emptied);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "told once while the fault lasts";

    ASSERT_TRUE(QDir(folder.path()).rmdir(lock));
    type(s.Text1, QStringLiteral("y"));
    EXPECT_EQ(fileState("qnb.ini"), emptied);
    EXPECT_EQ(fileState("qnbtext.ini"), emptied) << "nothing saved while Remember is unticked";
    EXPECT_EQ(dialogs.shown.size(), 1u);
}
