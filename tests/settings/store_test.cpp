// The store's rules without a window: writes in the order queued, a text
// write that a newer one overtakes is dropped, failures told once per run,
// everything written again after a run of failures, a failed emptying tried
// again. The writes are played by a fake that records, fails or holds them.
#include "settings/programfolder.h"
#include "settings/savedtexts.h"
#include "settings/store.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QStringList>
#include <condition_variable>
#include <mutex>

using namespace quenby;

namespace {

// Shared between the test and the store's thread.
struct Record {
    std::mutex mutex;
    std::condition_variable changed;
    QStringList writes;   // "key=value", "text:<text>", "empty:<file>"
    QStringList failing;  // the kinds ("setting", "text", or a file name) that fail
    bool holding = false; // the next write waits until released
    bool waiting = false; // a write is waiting
};

class FakeFiles : public StoreFiles {
public:
    explicit FakeFiles(Record& r) : m_r(r) {}
    void writeSetting(const QString& key, const QString& value) override {
        write(QStringLiteral("setting"), key + QLatin1Char('=') + value);
    }
    void writeText(QString text) override {
        write(QStringLiteral("text"), QStringLiteral("text:") + text);
    }
    void empty(const char* fileName) override {
        write(QString::fromLatin1(fileName), QStringLiteral("empty:") + fileName);
    }

private:
    void write(const QString& kind, const QString& entry) {
        std::unique_lock<std::mutex> lock(m_r.mutex);
        m_r.waiting = true;
        m_r.changed.notify_all();
        m_r.changed.wait(lock, [this] { return !m_r.holding; });
        m_r.waiting = false;
        if (m_r.failing.contains(kind))
            throw FileError(kind, QStringLiteral("refused"));
        m_r.writes << entry;
        m_r.changed.notify_all();
    }
    Record& m_r;
};

class StoreTest : public ::testing::Test {
protected:
    StoreTest()
        : store(
              std::make_unique<FakeFiles>(record), [this] { return held; },
              [this](const FileError& e) { told << e.path(); }) {
        held.remember = true;
        held.settings = {{QStringLiteral("a"), QStringLiteral("1")},
                         {QStringLiteral("b"), QStringLiteral("2")}};
    }

    // Holds the next write until release(), once it has started.
    void hold() {
        std::lock_guard<std::mutex> lock(record.mutex);
        record.holding = true;
    }
    void waitUntilHeld() {
        std::unique_lock<std::mutex> lock(record.mutex);
        record.changed.wait(lock, [this] { return record.waiting; });
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(record.mutex);
            record.holding = false;
        }
        record.changed.notify_all();
    }
    void waitForWrites(qsizetype count) {
        std::unique_lock<std::mutex> lock(record.mutex);
        record.changed.wait(lock, [&] { return record.writes.size() >= count; });
    }
    void setFailing(QStringList kinds) {
        std::lock_guard<std::mutex> lock(record.mutex);
        record.failing = std::move(kinds);
    }
    QStringList takeWrites() {
        std::lock_guard<std::mutex> lock(record.mutex);
        return std::exchange(record.writes, {});
    }

    Record record;
    HeldState held;
    QStringList told;
    Store store;
};

const QStringList kAll = {QStringLiteral("a=1"), QStringLiteral("b=2")};

TEST_F(StoreTest, WritesInTheOrderQueuedAndOnlyTheNewestWaitingText) {
    hold();
    store.storeSetting(QStringLiteral("k"), QStringLiteral("1"));
    waitUntilHeld(); // k=1 is being written; everything else waits
    held.text = QStringLiteral("one");
    store.storeText();
    store.storeSetting(QStringLiteral("k"), QStringLiteral("2"));
    held.text = QStringLiteral("two");
    store.storeText(); // overtakes the waiting "one"
    store.storeSetting(QStringLiteral("k"), QStringLiteral("3"));
    held.text = QStringLiteral("three"); // what the window holds when the text is written
    release();
    store.finish();
    EXPECT_EQ(takeWrites(), (QStringList{"k=1", "k=2", "text:three", "k=3"}));
    EXPECT_FALSE(store.anythingPending());
}

TEST_F(StoreTest, AFailingRunIsToldOnceThenEverythingIsWrittenAgain) {
    setFailing({QStringLiteral("text"), QStringLiteral("setting")});
    // Keys keep coming while the writes fail.
    for (const char* text : {"a", "ab", "abc"}) {
        held.text = QString::fromLatin1(text);
        store.storeText();
    }
    store.storeSetting(QStringLiteral("b"), QStringLiteral("2"));
    store.finish();
    EXPECT_EQ(told, QStringList{"text"}) << "one message for the run";
    EXPECT_TRUE(store.anythingPending());

    setFailing({});
    held.text = QStringLiteral("abcd");
    store.storeText();
    store.finish();
    EXPECT_EQ(takeWrites(), (QStringList{"text:abcd", "a=1", "b=2", "text:abcd"}))
        << "the write that worked, then every setting and the text";
    EXPECT_FALSE(store.anythingPending());

    setFailing({QStringLiteral("setting")});
    store.storeSetting(QStringLiteral("a"), QStringLiteral("0"));
    store.finish();
    EXPECT_EQ(told, (QStringList{"text", "setting"})) << "told again after a write had worked";
}

TEST_F(StoreTest, AFailedRewriteOfEverythingIsTriedAgainAtTheNextWrite) {
    setFailing({QStringLiteral("text")});
    store.storeText();
    store.finish();
    setFailing({});
    store.storeSetting(QStringLiteral("a"), QStringLiteral("1"));
    waitForWrites(1);
    setFailing({QStringLiteral("setting")}); // the rewrite of everything fails
    store.finish();
    EXPECT_TRUE(store.anythingPending());
    setFailing({});
    store.storeSetting(QStringLiteral("b"), QStringLiteral("2"));
    store.finish();
    EXPECT_EQ(takeWrites(), (QStringList{"a=1", "b=2", "a=1", "b=2", "text:"}));
    EXPECT_FALSE(store.anythingPending());
    EXPECT_EQ(told.size(), 1);
}

TEST_F(StoreTest, AFailedEmptyingStaysPendingUntilItWorks) {
    const QString settings = QString::fromLatin1(kSettingsFileName);
    setFailing({settings});
    store.emptyBoth();
    store.finish();
    EXPECT_EQ(takeWrites(), QStringList{"empty:qnbtext.ini"});
    EXPECT_EQ(told, QStringList{settings});
    store.emptyIfPending();
    store.finish();
    EXPECT_EQ(takeWrites(), QStringList());
    EXPECT_TRUE(store.anythingPending());
    EXPECT_EQ(told.size(), 1) << "the same run of failures";

    setFailing({});
    store.emptyIfPending();
    store.finish();
    EXPECT_EQ(takeWrites(), QStringList{"empty:qnb.ini"}) << "only what was left";
    EXPECT_FALSE(store.anythingPending());
    store.emptyIfPending();
    store.finish();
    EXPECT_EQ(takeWrites(), QStringList());
}

TEST_F(StoreTest, StoringEverythingDropsAPendingEmptying) {
    setFailing({QString::fromLatin1(kSettingsFileName)});
    store.emptyBoth();
    store.finish();
    setFailing({});
    takeWrites();
    held.text = QStringLiteral("kept");
    store.storeAll();
    store.finish();
    EXPECT_EQ(takeWrites(), (kAll + QStringList{"text:kept"}));
    EXPECT_FALSE(store.anythingPending());
}

// The store's own files: whatever is queued when the store goes is written.
TEST(FolderStore, WritesWhatIsQueuedBeforeItGoes) {
    const test::TempFolder folder;
    HeldState held;
    held.remember = true;
    held.text = QString(1 << 20, QLatin1Char('x'));
    {
        Store store(
            std::make_unique<FolderFiles>(folder.path()), [&] { return held; },
            [](const FileError& e) { ADD_FAILURE() << e.reason().toStdString(); });
        store.storeSetting(QStringLiteral("StripVowels"), QStringLiteral("0"));
        store.storeText();
    }
    EXPECT_EQ(test::readBytes(folder.file(QStringLiteral("qnb.ini"))),
              QByteArray("[Default]\r\nStripVowels=0\r\n"));
    EXPECT_EQ(TxtLoad(folder.path()), held.text);
}

} // namespace
