#include "cli/program.h"

#include "cli/arguments.h"
#include "cli/filter.h"
#include "cli/settingsoptions.h"
#include "cli/systemreason.h"
#include "cli/usage.h"
#include "settings/fileaccess.h"
#include "settings/programfolder.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

#ifndef QUENBY_VERSION
#define QUENBY_VERSION "?"
#endif

namespace quenby::cli {
namespace {

constexpr char kProgram[] = "quenby-strip";

// One line on standard error, as it is; false when it could not be written.
bool sayRaw(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    return ::write(STDERR_FILENO, bytes.constData(), bytes.size()) == bytes.size();
}

void say(const QString& message) {
    sayRaw(QString::fromLatin1(kProgram) + QStringLiteral(": ") + message);
}

QString displayName(const QByteArray& file) {
    return file == "-" ? QStringLiteral("standard input") : QString::fromLocal8Bit(file);
}

// Writes all of bytes to standard output; false (with a message) when that fails.
bool writeOut(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            say(QStringLiteral("write error: ") + systemReason(errno));
            return false;
        }
        done += n;
    }
    return true;
}

// Standard output is closed here so that a failure the system reports
// only then (a full disk over NFS) still makes the exit status 1.
int closeOutput(int status) {
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF) {
        say(QStringLiteral("write error: ") + systemReason(errno));
        return 1;
    }
    return status;
}

// Reads every input in turn through the filter; the exit status.
int stripInputs(const Invocation& inv, const StripOptions& options) {
    Filter filter(options, inv.encoding, inv.chunkSize, STDOUT_FILENO);
    const std::vector<QByteArray> stdinOnly = {QByteArrayLiteral("-")};
    int status = 0;
    try {
        for (const QByteArray& file : inv.files.empty() ? stdinOnly : inv.files) {
            const bool isStdin = file == "-";
            const int fd = isStdin ? STDIN_FILENO : ::open(file.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                say(displayName(file) + QStringLiteral(": ") + systemReason(errno));
                status = 1;
                continue;
            }
            const std::optional<InputStop> stop = filter.pass(fd, displayName(file));
            if (!isStdin)
                ::close(fd);
            if (stop) {
                say(stop->input + QStringLiteral(": ") + stop->reason);
                status = 1;
                if (stop->badText)
                    break;
            }
        }
        if (const std::optional<InputStop> stop = filter.finish()) {
            say(stop->input + QStringLiteral(": ") + stop->reason);
            status = 1;
        }
    } catch (const WriteError& e) {
        say(QStringLiteral("write error: ") + QString::fromStdString(e.what()));
        return 1;
    } catch (const OutputTooLong& e) { // the engine's limit, named in what()
        say(QString::fromStdString(e.what()));
        return 1;
    } catch (const std::bad_alloc&) {
        // What was written stays; the run failed and says so, rather than
        // aborting.
        say(QStringLiteral("out of memory"));
        return 1;
    }
    // The count is output too: lost, it makes the run a failure.
    if (inv.count && !sayRaw(QString::number(filter.count())))
        status = 1;
    return closeOutput(status);
}

} // namespace

bool holdStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor, which is fd: the ones below are open.
        if (::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY) != fd) {
            say(QStringLiteral("/dev/null: ") + systemReason(errno));
            return false;
        }
    }
    return true;
}

int runStrip(const std::vector<QByteArray>& arguments, const QString& executableDir) {
    Invocation inv;
    try {
        inv = parseArguments(arguments);
    } catch (const UsageError& e) {
        sayRaw(usageErrorText(kProgram, QString::fromStdString(e.what())));
        return 2;
    }
    switch (inv.action) {
    case Invocation::Action::Help:
        return closeOutput(writeOut(helpText()) ? 0 : 1);
    case Invocation::Action::Version:
        return closeOutput(writeOut(QByteArray(kProgram) + " " QUENBY_VERSION "\n") ? 0 : 1);
    case Invocation::Action::Strip:
        break;
    }
    StripOptions options;
    if (inv.useSettings) {
        const QString path =
            inv.settingsFile.isEmpty()
                ? joinPath(programFolder(executableDir), QString::fromLatin1(kSettingsFileName))
                : inv.settingsFile;
        try {
            const StoredSettings stored = readStoredSettings(path);
            for (const QString& warning : stored.warnings)
                say(QStringLiteral("warning: ") + warning);
            options = stored.options;
        } catch (const FileError& e) {
            // No path: there is no program folder, and the reason says why.
            const QString where = e.path().isEmpty() ? QString() : e.path() + QStringLiteral(": ");
            say(QStringLiteral("--settings: ") + where + e.reason());
            return 1;
        }
    }
    inv.overrides.applyTo(options);
    return stripInputs(inv, options);
}

} // namespace quenby::cli
