// quenby-strip: the window's stripping rules as a filter over files and pipes.
#include "cli/program.h"
#include "engine/heap.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    if (!quenby::cli::holdStandardDescriptors())
        return 1;
    quenby::keepLargeBlocksInHeap();
    // Taken before Qt sees them: the arguments are all the program's own.
    const std::vector<QByteArray> arguments(argv + 1, argv + argc);
    QCoreApplication app(argc, argv);
    // The window's name, so that its configuration folder is found.
    QCoreApplication::setApplicationName(QStringLiteral("quenby"));
    return quenby::cli::runStrip(arguments, QCoreApplication::applicationDirPath());
}
