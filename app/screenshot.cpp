// Renders the window, with a sample text, to a PNG file:
//   QT_QPA_PLATFORM=offscreen quenby-screenshot docs/screenshot.png
#include "window/platform.h"
#include "window/skivler.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

class TemporaryFolder : public quenby::ProgramFolder {
public:
    QString path() const override { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: quenby-screenshot FILE.png\n");
        return 2;
    }
    Skivler::prepareApplication();
    quenby::QtClipboard clipboard;
    quenby::QtDialogs dialogs;
    TemporaryFolder folder;
    Skivler window({clipboard, dialogs, folder});
    window.Text1->setText(
        QStringLiteral("The quick brown fox jumps over the lazy dog.\nPack my box with five dozen "
                       "liquor jugs!\n\nQuenby takes out what you tell it to, as you type."));
    window.StripString->setText(QStringLiteral("fox"));
    window.ReplaceString->setText(QStringLiteral("cat"));
    window.yy->setText(QStringLiteral("*"));
    window.A->setText(QStringLiteral("q"));
    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
