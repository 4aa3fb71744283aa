#include "window/skivler.h"

#include <QCloseEvent>
#include <QGuiApplication>

using namespace quenby;

// The window's wiring: the controls from the control table, the handlers
// connected to their controls' events, the store, and the finishing of the
// writes before the window closes and before the program ends.
Skivler::Skivler(Platform platform, QWidget* parent)
    : QWidget(parent), m_platform(platform),
      m_store(
          std::make_unique<FolderFiles>(platform.folder.path()), [this] { return heldState(); },
          [this](const FileError& e) { writeFailed(e); }) {
    buildLayout();
    // The two boxes of each text area, one shown at a time, show one
    // document: the shown one holds it.
    TextArea::pair(Text1, Text4);
    TextArea::pair(Text2, Text5);
    connectHandlers();
    // Whatever is still to be written goes to the files before the program
    // ends: when it quits (also on SIGTERM, SIGINT and SIGHUP, see
    // window/quitsignals.h) and at the desktop's logout, when it may be
    // ended without quitting. No message box then: a line on standard error.
    const auto ending = [this] {
        m_quitting = true;
        finishWrites();
    };
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, ending);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, ending);
    Form_Load();
}

void Skivler::closeEvent(QCloseEvent* event) {
    finishWrites();
    QWidget::closeEvent(event);
}

void Skivler::finishWrites() {
    m_store.finish();
}

void Skivler::connectHandlers() {
    connect(Text1, &TextArea::Change, this, &Skivler::Text1_Change);
    connect(Text4, &TextArea::Change, this, &Skivler::Text4_Change);
    connect(StripString, &LineBox::Change, this, &Skivler::StripString_Change);
    connect(ReplaceString, &LineBox::Change, this, &Skivler::ReplaceString_Change);

    connect(A, &LineBox::Change, this, &Skivler::A_Change);
    connect(E, &LineBox::Change, this, &Skivler::E_Change);
    connect(I, &LineBox::Change, this, &Skivler::I_Change);
    connect(O, &LineBox::Change, this, &Skivler::O_Change);
    connect(U, &LineBox::Change, this, &Skivler::U_Change);
    connect(aa, &LineBox::Change, this, &Skivler::aa_Change);
    connect(ee, &LineBox::Change, this, &Skivler::ee_Change);
    connect(ii, &LineBox::Change, this, &Skivler::ii_Change);
    connect(oo, &LineBox::Change, this, &Skivler::oo_Change);
    connect(uu, &LineBox::Change, this, &Skivler::uu_Change);
    connect(Y, &LineBox::Change, this, &Skivler::Y_Change);
    connect(yy, &LineBox::Change, this, &Skivler::yy_Change);
    connect(cmdClearVowels, &CommandButton::Click, this, &Skivler::cmdClearVowels_Click);

    connect(noVowels, &CheckBox::Click, this, &Skivler::noVowels_Click);
    connect(noVowels, &CheckBox::MouseUp, this, &Skivler::noVowels_MouseUp);
    connect(noY, &CheckBox::Click, this, &Skivler::noY_Click);
    connect(noY, &CheckBox::KeyUp, this, &Skivler::noY_KeyUp);
    connect(noY, &CheckBox::MouseUp, this, &Skivler::noY_MouseUp);
    connect(noGaps, &CheckBox::Click, this, &Skivler::noGaps_Click);
    connect(noGaps, &CheckBox::MouseUp, this, &Skivler::noGaps_MouseUp);
    connect(noNums, &CheckBox::Click, this, &Skivler::noNums_Click);
    connect(noNums, &CheckBox::MouseUp, this, &Skivler::noNums_MouseUp);
    connect(noPunc, &CheckBox::Click, this, &Skivler::noPunc_Click);
    connect(noPunc, &CheckBox::MouseUp, this, &Skivler::noPunc_MouseUp);
    connect(yesCase, &CheckBox::Click, this, &Skivler::yesCase_Click);
    connect(yesCase, &CheckBox::MouseUp, this, &Skivler::yesCase_MouseUp);
    connect(yesWrap, &CheckBox::Click, this, &Skivler::yesWrap_Click);
    connect(yesWrap, &CheckBox::MouseUp, this, &Skivler::yesWrap_MouseUp);
    for (OptionButton* b : Option2) {
        connect(b, &OptionButton::Click, this, &Skivler::Option2_Click);
        connect(b, &OptionButton::MouseUp, this, &Skivler::Option2_MouseUp);
    }

    connect(yesCopy, &CheckBox::Click, this, &Skivler::yesCopy_Click);
    connect(yesCopy, &CheckBox::MouseUp, this, &Skivler::yesCopy_MouseUp);
    connect(yesPaste, &CheckBox::MouseUp, this, &Skivler::yesPaste_MouseUp);
    connect(yesRemember, &CheckBox::Click, this, &Skivler::yesRemember_Click);
    connect(cmdInput, &CommandButton::Click, this,
            [this] { clipboardAction([this] { cmdInput_Click(); }); });
    connect(cmdOutput, &CommandButton::Click, this,
            [this] { clipboardAction([this] { cmdOutput_Click(); }); });
    connect(cmdOutToIn, &CommandButton::Click, this, &Skivler::cmdOutToIn_Click);
    connect(cmdClearTexts, &CommandButton::Click, this, &Skivler::cmdClearTexts_Click);
    connect(cmdDefaults, &CommandButton::Click, this, &Skivler::cmdDefaults_Click);

    connect(cmdAll1, &CommandButton::Click, this, &Skivler::cmdAll1_Click);
    connect(cmdNone1, &CommandButton::Click, this, &Skivler::cmdNone1_Click);
    connect(cmdAll2, &CommandButton::Click, this, &Skivler::cmdAll2_Click);
    connect(cmdNone2, &CommandButton::Click, this, &Skivler::cmdNone2_Click);
}
