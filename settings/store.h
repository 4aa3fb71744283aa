#pragma once

#include "settings/fileaccess.h"

#include <QObject>
#include <QString>
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
// a big text waits in the queue while the user goes on typing. The results
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
    struct Job {
        Purpose purpose;
        std::vector<Step> steps; // written in order, up to the first failure
    };
    struct Result {
        Purpose purpose;
        std::optional<FileError> error;
        std::vector<const char*> notEmptied; // of a failed emptying
    };

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

    // The rules' state, on the user-interface thread.
    bool m_failureTold = false;
    bool m_resaveNeeded = false; // a write failed since everything was last written
    bool m_resaveQueued = false;
    std::vector<const char*> m_emptyingPending;
    bool m_handling = false;

    std::thread m_thread;
};

} // namespace quenby
