// quenby-strip: the window's stripping rules as a filter over files and pipes.
#include "cli/program.h"

#include <QCoreApplication>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
    if (!quenby::cli::holdStandardDescriptors())
        return 1;
#if defined(__GLIBC__)
    // Each step allocates and frees buffers of a few megabytes. By default
    // glibc maps such blocks afresh and gives freed memory back at once, so
    // every step would fault its pages in again (half the time of a run with
    // a strip string). Kept in the heap they are reused; the heap stays as
    // large as one step needs.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    // Taken before Qt sees them: the arguments are all the program's own.
    const std::vector<QByteArray> arguments(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    // The window's name, so that its configuration folder is found.
    QCoreApplication::setApplicationName(QStringLiteral("quenby"));
    return quenby::cli::runStrip(arguments, QCoreApplication::applicationDirPath());
}
