// Helper program for the multi-process tests of the settings writer.
//   settings_child count PATH              rewrite "Counter" forever, one higher each time;
//                                          prints "started" after the first write
//   settings_child keys PATH PREFIX COUNT  write COUNT distinct keys PREFIX000...
//   settings_child hold-lock PATH          take the file's lock, print "locked", sleep
//   settings_child swap FOLDER NAME TARGET as another user (uid 65534 when run by root),
//                                          swap FOLDER/NAME for a link to TARGET and back,
//                                          forever; prints "swapping"
//   settings_child texts FOLDER TEXT COUNT save TEXT as the saved texts COUNT times
#include "child_protocol.h"
#include "settings/fileaccess.h"
#include "settings/inifile.h"
#include "settings/savedtexts.h"

#include <QFile>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

using namespace quenby;
using namespace quenby::test;

namespace {

void announce(const char* word) {
    std::printf("%s\n", word);
    std::fflush(stdout);
}

int count(const QString& path) {
    int n = counterNumber(IniRead(path, "Default", "Counter"));
    if (n < 0)
        return 3;
    for (bool first = true;; first = false) {
        IniWrite(path, "Default", "Counter", counterValue(++n));
        if (first)
            announce("started");
    }
}

int keys(const QString& path, const QString& prefix, int count) {
    for (int i = 0; i < count; ++i)
        IniWrite(path, "Default",
                 QStringLiteral("%1%2").arg(prefix).arg(i, 3, 10, QLatin1Char('0')),
                 keyValue(prefix, i));
    return 0;
}

int holdLock(const QString& path) {
    LockPolicy policy;
    const FileLock lock(path, policy);
    announce("locked");
    std::this_thread::sleep_for(std::chrono::minutes(5));
    return 0;
}

// Waits a few microseconds, more or less, without a system call.
void spin(int most) {
    for (volatile int i = std::rand() % most; i > 0; i = i - 1) {
    }
}

// Swaps the name for a link and back as fast as it can: moves what stands
// there aside, puts a link to the target (made beforehand) in its place, then
// moves it back, each for a moment of varying length. rename() makes each
// step at once. Where it cannot move the file aside (a sticky folder, a file
// not its own) it takes its link away again.
int swap(const QString& folder, const QString& name, const QString& target) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        return 4;
    const QByteArray at = QFile::encodeName(folder + QLatin1Char('/') + name);
    const QByteArray aside = QFile::encodeName(folder + QStringLiteral("/.swap-aside"));
    const QByteArray link = QFile::encodeName(folder + QStringLiteral("/.swap-link"));
    const QByteArray to = QFile::encodeName(target);
    for (bool first = true;; first = false) {
        ::unlink(link.constData());
        if (::symlink(to.constData(), link.constData()) != 0)
            return 5;
        const bool movedAside = ::rename(at.constData(), aside.constData()) == 0;
        ::rename(link.constData(), at.constData());
        spin(1000);
        if (movedAside)
            ::rename(aside.constData(), at.constData());
        else
            ::unlink(at.constData());
        if (first)
            announce("swapping");
        spin(3000);
    }
}

int texts(const QString& folder, const QString& text, int count) {
    for (int i = 0; i < count; ++i)
        TxtSave(folder, QStringLiteral("qnbtext.ini"), text);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "count") == 0)
            return count(QString::fromLocal8Bit(argv[2]));
        if (argc == 5 && std::strcmp(argv[1], "keys") == 0)
            return keys(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        std::atoi(argv[4]));
        if (argc == 3 && std::strcmp(argv[1], "hold-lock") == 0)
            return holdLock(QString::fromLocal8Bit(argv[2]));
        if (argc == 5 && std::strcmp(argv[1], "swap") == 0)
            return swap(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QString::fromLocal8Bit(argv[4]));
        if (argc == 5 && std::strcmp(argv[1], "texts") == 0)
            return texts(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         std::atoi(argv[4]));
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: settings_child count|keys|hold-lock|swap|texts ...\n");
    return 2;
}
