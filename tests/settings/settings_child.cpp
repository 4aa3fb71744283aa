// Helper program for the multi-process tests of the settings writer.
//   settings_child count PATH              rewrite "Counter" forever, one higher each time;
//                                          prints "started" after the first write
//   settings_child keys PATH PREFIX COUNT  write COUNT distinct keys PREFIX000...
//   settings_child hold-lock PATH          take the file's lock, print "locked", sleep
#include "child_protocol.h"
#include "settings/fileaccess.h"
#include "settings/inifile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

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
    } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: settings_child count|keys|hold-lock PATH ...\n");
    return 2;
}
