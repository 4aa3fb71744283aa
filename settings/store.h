#pragma once

#include "settings/fileaccess.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

// The store: the one place where the window's settings and input text are
// written to the two files, and where failed writes are remembered.
//
// How it works. Every write is queued by the user-interface thread and done,
// in the order queued, by one background thread, so that rewriting a big
// saved text never holds up the keyboard. A text write does not carry the
// text: the background thread asks the user-interface thread for the text
// as it is when the write starts. So a text write still waiting when a newer
// one is queued is dropped (only the newest text is written), and no copy of
// a big text waits in the queue while the user goes on typing. A text
// write also waits for a pause in typing (kTextPause), though never longer
// than kTextMaxWait after the first change it stands for, and a text write
// starts no sooner after the last one ended than kTextRest times as long as
// that one took: each write of a big text costs the user-interface thread a
// copy of the text (its next edit cannot share it with the write) and the
// writing thread a core, so the text is rewritten at most a fifth of the time
// however big it grows, and not at every key. The results
// come back to the user-interface thread in order, and the rules run there:
//
// - a failed write is told once per run of failures: the next failure is told
//   again only after a write has worked;
// - after a run of failures, the first write that works is followed by a
//   write of every setting and the text as the window holds them then, since
//   a failed write may have been the only one of its value;
// - an emptying of the files that failed stays pending, and is tried again
//   at the next change while nothing is remembered;
// - a lock held by another running copy is waited for once; after a wait
//   that timed out, writes try the lock once until they get it (LockPolicy).
//
// finish() waits until everything queued is written and its results are
// handled: the window calls it before it closes, when the application quits
// and at the desktop's logout.
namespace quenby {

// Every setting and the text, as the window holds them now.
struct HeldState {
    // Whether "Remember settings" is ticked: only then is anything written.
    bool remember = false;
    // Key and stored value of every setting, in the order the save-all
    // routine writes them.
    std::vector<std::pair<QString, QString>> settings;
    QString text;
};

// The writes themselves, behind an interface so that the store's rules can be
// tested with writes that fail, wait or record their order. Called on the
// background thread only.
class StoreFiles {
public:
    virtual ~StoreFiles() = default;
    // Each throws FileError.
    virtual void writeSetting(const QString& key, const QString& value) = 0;
    virtual void writeText(QString text) = 0;
    // Leaves the file (kSettingsFileName or kSavedTextsFileName) holding one
    // empty line.
    virtual void empty(const char* fileName) = 0;
};

// The two files in a folder: whole-file atomic private writes (IniWrite,
// TxtSave), under the settings file's lock with one LockPolicy.
class FolderFiles : public StoreFiles {
public:
    explicit FolderFiles(QString folder) : m_folder(std::move(folder)) {}
    void writeSetting(const QString& key, const QString& value) override;
    void writeText(QString text) override;
    void empty(const char* fileName) override;

private:
    QString m_folder;
    LockPolicy m_lockPolicy;
};

// How long a text write waits for a pause in typing, and at most.
inline constexpr std::chrono::milliseconds kTextPause{150};
inline constexpr std::chrono::milliseconds kTextMaxWait{1000};
inline constexpr int kTextRest = 4;

class Store : public QObject {
    Q_OBJECT
public:
    using Now = std::function<HeldState()>;
    // Tells the user that a write failed (called on the user-interface thread).
    using Tell = std::function<void(const FileError&)>;

    Store(std::unique_ptr<StoreFiles> files, Now now, Tell tell);
    // Writes what is still queued (telling nobody), then ends the thread.
    ~Store() override;

    // One setting.
    void storeSetting(const QString& key, const QString& value);
    // The text as it will be when its write starts.
    void storeText();
    // Every setting, then the text (see HeldState). Any emptying still
    // pending is dropped: the files are written anew.
    void storeAll();
    // Empties the saved-texts file, then the settings file. Whatever a
    // failure left to re-save is dropped: emptied files hold nothing.
    void emptyBoth();
    // Tries again an emptying that failed, if there is one.
    void emptyIfPending();
    // Whether a write is queued or running, or a failure left something to
    // re-save or to empty.
    bool anythingPending() const;
    // Waits until everything queued (and whatever its results queue in
    // turn) is written, and handles the results: failures are told.
    void finish();

private:
    enum class Purpose {
        One,      // one setting or the text
        All,      // every setting and the text
        Emptying, // emptying files
    };
    struct Step {
        enum Kind { Setting, Text, Empty } kind;
        QString key;
        QString value;
        const char* fileName = nullptr; // of an emptying
    };
    using Clock = std::chrono::steady_clock;
    struct Job {
        Purpose purpose;
        std::vector<Step> steps; // written in order, up to the first failure
        // A text write alone waits for a pause in typing, until startAt;
        // firstAsked is when the oldest text it stands for was asked for.
        Clock::time_point firstAsked{};
        Clock::time_point startAt{};
    };
    struct Result {
        Purpose purpose;
        std::optional<FileError> error;
        std::vector<const char*> notEmptied; // of a failed emptying
    };

    static bool isTextAlone(const Job& job);
    void queue(Job job);
    void queueAll();
    void run();
    Result runJob(const Job& job);
    QString textNow();
    void giveText();
    void handleResults();
    void handle(const Result& result);
    void told(const FileError& error);
    // Waits until the background thread is idle; gives it the text when it
    // asks meanwhile.
    void waitIdle();

    const std::unique_ptr<StoreFiles> m_files;
    const Now m_now;
    const Tell m_tell;

    // Shared with the background thread, under m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::vector<Result> m_results;
    bool m_running = false;   // a job is being written
    bool m_textAsked = false; // the running job waits for the text
    std::optional<QString> m_givenText;
    bool m_stopping = false;
    bool m_hurry = false; // finish() waits: no text write waits for a pause
    // When the last text write ended, and how long it took.
    std::chrono::steady_clock::time_point m_lastTextEnd{};
    std::chrono::steady_clock::duration m_lastTextCost{};

    // The rules' state, on the user-interface thread.
    bool m_failureTold = false;
    bool m_resaveNeeded = false; // a write failed since everything was last written
    bool m_resaveQueued = false;
    std::vector<const char*> m_emptyingPending;
    bool m_handling = false;

    std::thread m_thread;
};

} // namespace quenby
