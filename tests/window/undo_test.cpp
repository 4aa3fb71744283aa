// The buttons that replace the input leave one step that Ctrl+Z takes back,
// in whichever input box is shown, recomputed and saved like any edit.
#include "window_fixture.h"

using namespace quenby;
using namespace quenby::testing;

using UndoTest = WindowTest;

namespace {

void undo(Skivler& s) {
    QTest::keyClick(s.yesWrap->value() == 1 ? s.Text1 : s.Text4, Qt::Key_Z, Qt::ControlModifier);
}

} // namespace

TEST_F(UndoTest, EachReplacementOfTheInputIsOneUndoStep) {
    enum Shown { Wrapping, Plain, PlainAfterTheClick };
    for (CommandButton* const Skivler::*button :
         {&Skivler::cmdInput, &Skivler::cmdOutToIn, &Skivler::cmdClearTexts})
        for (Shown shown : {Wrapping, Plain, PlainAfterTheClick}) {
            for (const char* file : {"qnb.ini", "qnbtext.ini"})
                QFile::remove(folder.file(QString::fromLatin1(file)));
            Skivler& s = open();
            SCOPED_TRACE((s.*button)->text().toStdString() + " shown " + std::to_string(shown));
            click(s.yesRemember);
            if (shown == Plain)
                click(s.yesWrap);
            type(shown == Plain ? s.Text4 : s.Text1, QStringLiteral("bat"));
            s.yesCopy->setValue(1);
            clipboard.text = QStringLiteral("pasted");
            click(s.*button);
            ASSERT_NE(s.Text1->text(), QStringLiteral("bat"));
            if (shown == PlainAfterTheClick)
                click(s.yesWrap);

            const int before = copies();
            undo(s);
            EXPECT_EQ(s.Text1->text(), QStringLiteral("bat"));
            EXPECT_EQ(s.Text4->text(), QStringLiteral("bat"));
            EXPECT_EQ(s.Text2->text(), QStringLiteral("bt"));
            EXPECT_EQ(copies() - before, 1) << "computed once";
            EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("bat\r\n"));
            // Underneath, the typing undoes as ever, also in the other box of
            // the pair: the two show one document with one history.
            undo(s);
            EXPECT_EQ(s.Text1->text(), QString());
        }
}

// Undo stops at the restored text; Auto-Paste over it is one step.
TEST_F(UndoTest, UndoAtStartGoesBackToTheRestoredTextAndNoFurther) {
    for (const char* settings :
         {"", "AutoPaste=1\r\n", "WrapText=0\r\n", "AutoPaste=1\r\nWrapText=0\r\n"}) {
        SCOPED_TRACE(settings);
        write("qnb.ini", QByteArray("[Default]\r\nRemember=1\r\n") + settings);
        write("qnbtext.ini", "old\r\n");
        clipboard.text = QStringLiteral("new");
        Skivler& s = open();
        for (int i = 0; i < 2; ++i) {
            undo(s);
            EXPECT_EQ(s.Text1->text(), QStringLiteral("old"));
            EXPECT_EQ(s.Text4->text(), QStringLiteral("old"));
            EXPECT_EQ(s.Text2->text(), QStringLiteral("ld"));
            EXPECT_EQ(bytes("qnbtext.ini"), QByteArray("old\r\n"));
        }
    }
}
