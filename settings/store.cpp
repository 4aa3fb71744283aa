#include "settings/store.h"

#include "settings/inifile.h"
#include "settings/keytable.h"
#include "settings/programfolder.h"
#include "settings/savedtexts.h"

#include <QMetaObject>
#include <QScopeGuard>
#include <algorithm>
#include <exception>

namespace quenby {

void FolderFiles::writeSetting(const QString& key, const QString& value) {
    IniWrite(joinPath(m_folder, QString::fromLatin1(kSettingsFileName)),
             QString::fromLatin1(kSettingsSection), key, value, m_lockPolicy);
}

void FolderFiles::writeText(QString text) {
    const QString name = QString::fromLatin1(kSavedTextsFileName);
    QByteArray bytes;
    try {
        bytes = savedTextBytes(text);
    } catch (const std::bad_alloc&) {
        throw outOfMemory(joinPath(m_folder, name));
    }
    // Let go of the text before the slow part: while this holds it, the
    // window's next edit of a big text would have to copy it first.
    text = QString();
    writeSavedText(m_folder, name, bytes, m_lockPolicy);
}

void FolderFiles::empty(const char* fileName) {
    TxtSave(m_folder, QString::fromLatin1(fileName), QString(), m_lockPolicy);
}

Store::Store(std::unique_ptr<StoreFiles> files, Now now, Tell tell)
    : m_files(std::move(files)), m_now(std::move(now)), m_tell(std::move(tell)),
      m_thread([this] { run(); }) {}

Store::~Store() {
    waitIdle();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Store::storeSetting(const QString& key, const QString& value) {
    queue({Purpose::One, {{Step::Setting, key, value}}});
}

bool Store::isTextAlone(const Job& job) {
    return job.purpose == Purpose::One && job.steps.front().kind == Step::Text;
}

void Store::storeText() {
    const Clock::time_point now = Clock::now();
    Job job{Purpose::One, {{Step::Text, {}, {}}}, now, now + kTextPause};
    {
        // A text write that has not started yet would write an older text
        // than this one: it goes, and this one takes its turn at the end.
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto waiting = std::find_if(m_jobs.begin(), m_jobs.end(), isTextAlone);
        if (waiting != m_jobs.end()) {
            job.firstAsked = waiting->firstAsked;
            m_jobs.erase(waiting);
        }
        job.startAt = std::max(std::min(job.startAt, job.firstAsked + kTextMaxWait),
                               m_lastTextEnd + kTextRest * m_lastTextCost);
    }
    queue(std::move(job));
}

void Store::storeAll() {
    m_emptyingPending.clear();
    queueAll();
}

void Store::queueAll() {
    Job job{Purpose::All, {}};
    for (auto& [key, value] : m_now().settings)
        job.steps.push_back({Step::Setting, key, value});
    job.steps.push_back({Step::Text, {}, {}});
    m_resaveQueued = true;
    queue(std::move(job));
}

void Store::emptyBoth() {
    // Emptied files hold nothing to bring up to date.
    m_resaveNeeded = false;
    m_emptyingPending = {kSavedTextsFileName, kSettingsFileName};
    emptyIfPending();
}

void Store::emptyIfPending() {
    if (m_emptyingPending.empty())
        return;
    Job job{Purpose::Emptying, {}};
    for (const char* name : std::exchange(m_emptyingPending, {}))
        job.steps.push_back({Step::Empty, {}, {}, name});
    queue(std::move(job));
}

bool Store::anythingPending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running || !m_jobs.empty() || !m_results.empty() || m_resaveNeeded ||
           !m_emptyingPending.empty();
}

void Store::queue(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void Store::finish() {
    for (;;) {
        waitIdle();
        handleResults();
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running && m_jobs.empty() && (m_results.empty() || m_handling))
            return;
    }
}

void Store::waitIdle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_hurry = true;
    m_changed.notify_all();
    const auto calm = qScopeGuard([this] { m_hurry = false; });
    for (;;) {
        const auto textWanted = [this] { return m_textAsked && !m_givenText; };
        m_changed.wait(lock, [&] { return (!m_running && m_jobs.empty()) || textWanted(); });
        if (!textWanted())
            return;
        lock.unlock();
        giveText();
        lock.lock();
    }
}

// --- The background thread.

void Store::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_jobs.empty())
            return; // stopping, with nothing left to write
        const Clock::time_point startAt = m_jobs.front().startAt;
        if (isTextAlone(m_jobs.front()) && !m_hurry && !m_stopping && Clock::now() < startAt) {
            m_changed.wait_until(lock, startAt);
            continue; // the queue may have changed meanwhile
        }
        const Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_running = true;
        lock.unlock();
        Result result = runJob(job);
        lock.lock();
        m_running = false;
        m_results.push_back(std::move(result));
        if (m_results.size() == 1)
            QMetaObject::invokeMethod(this, &Store::handleResults, Qt::QueuedConnection);
        m_changed.notify_all();
    }
}

Store::Result Store::runJob(const Job& job) {
    Result result{job.purpose, std::nullopt, {}};
    for (auto step = job.steps.begin(); step != job.steps.end(); ++step) {
        try {
            switch (step->kind) {
            case Step::Setting:
                m_files->writeSetting(step->key, step->value);
                break;
            case Step::Text: {
                const Clock::time_point start = Clock::now();
                m_files->writeText(textNow());
                const Clock::time_point end = Clock::now();
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lastTextEnd = end;
                m_lastTextCost = end - start;
                break;
            }
            case Step::Empty:
                m_files->empty(step->fileName);
                break;
            }
        } catch (const FileError& e) {
            result.error = e;
        } catch (const std::exception& e) {
            result.error = FileError(QString(), QString::fromLocal8Bit(e.what()));
        }
        if (result.error) {
            for (auto rest = step; rest != job.steps.end(); ++rest)
                if (rest->kind == Step::Empty)
                    result.notEmptied.push_back(rest->fileName);
            break;
        }
    }
    return result;
}

QString Store::textNow() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_textAsked = true;
    m_givenText.reset();
    QMetaObject::invokeMethod(this, &Store::giveText, Qt::QueuedConnection);
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_givenText.has_value(); });
    m_textAsked = false;
    return *std::exchange(m_givenText, std::nullopt);
}

// --- Back on the user-interface thread.

void Store::giveText() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_textAsked || m_givenText)
            return; // given already, by finish() or an earlier call
    }
    QString text = m_now().text;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_givenText = std::move(text);
    }
    m_changed.notify_all();
}

void Store::handleResults() {
    // A message box shown by a result runs the event loop, which may deliver
    // this call again: the outer call handles every result, in order.
    if (m_handling)
        return;
    m_handling = true;
    for (;;) {
        std::optional<Result> result;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_results.empty())
                break;
            result = std::move(m_results.front());
            m_results.erase(m_results.begin());
        }
        handle(*result);
    }
    m_handling = false;
}

void Store::handle(const Result& result) {
    if (result.purpose == Purpose::All)
        m_resaveQueued = false;
    if (result.error) {
        if (result.purpose == Purpose::Emptying)
            m_emptyingPending = result.notEmptied;
        else
            m_resaveNeeded = true;
        told(*result.error);
        return;
    }
    if (result.purpose == Purpose::All)
        m_resaveNeeded = false;
    if (!m_resaveNeeded) {
        m_failureTold = false; // the run of failures is over
        return;
    }
    // A write worked after a run of failures: every setting and the text,
    // as the window holds them now.
    if (!m_resaveQueued) {
        if (m_now().remember)
            queueAll();
        else
            m_failureTold = false;
    }
}

void Store::told(const FileError& error) {
    if (std::exchange(m_failureTold, true))
        return;
    m_tell(error);
}

} // namespace quenby
