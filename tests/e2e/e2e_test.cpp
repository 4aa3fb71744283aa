// The program as a person meets it: a real process on a real X server,
// clicked and typed at, its clipboard read and filled by another program,
// its settings files read from its folder.
#include "desktop.h"

#include <algorithm>

using namespace quenby::e2e;

namespace {

// Where the controls sit (twips, client area).
constexpr Twips kPasteInput{240, 120, 2175, 375};
constexpr Twips kCopyOutput{5280, 120, 2175, 375};
constexpr Twips kAutoCopy{7560, 120, 1095, 375};
constexpr Twips kInput{240, 960, 4815, 5055};
constexpr Twips kNumbers{3720, 6120, 1095, 195};
constexpr Twips kFrameCase{840, 6360, 2415, 615};
constexpr Twips kUpperCase = inside(kFrameCase, {120, 240, 615, 255});
constexpr Twips kStripString{5280, 6360, 4815, 285};
constexpr Twips kSlotA{840, 7440, 255, 285};
constexpr Twips kMarker{4680, 7440, 255, 285};
constexpr Twips kClearText{6840, 7440, 1455, 375};
constexpr Twips kRemember{8400, 7560, 1695, 255};

const QString kConfirmation = QStringLiteral("Confirmation Needed");
const QString kInvalidInput = QStringLiteral("Invalid Input");

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(d.startServer());
        ASSERT_TRUE(d.startProgram());
    }

    // Waits until the clipboard, as another program reads it, holds text.
    ::testing::AssertionResult clipboardHolds(const QString& text) {
        std::optional<QString> seen;
        if (Desktop::waitUntil([&] { return (seen = d.clipboard()) == text; }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "clipboard: expected \"" << text.toStdString() << "\", found "
               << (seen ? "\"" + seen->toStdString() + "\"" : std::string("no owner"));
    }
    // Waits until the settings file holds every one of lines.
    ::testing::AssertionResult settingsHold(const QByteArrayList& lines) {
        QByteArray ini;
        if (Desktop::waitUntil([&] {
                ini = d.file(QStringLiteral("qnb.ini"));
                return std::all_of(lines.begin(), lines.end(),
                                   [&](const QByteArray& l) { return ini.contains(l + "\r\n"); });
            }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "qnb.ini lacks one of the lines; it holds:\n"
                                             << ini.toStdString();
    }
    ::testing::AssertionResult rememberTicked() {
        d.click(kRemember);
        return settingsHold({"Remember=1"});
    }
    // Copies the output with the button and waits until another program reads it.
    ::testing::AssertionResult outputIs(const QString& text) {
        d.click(kCopyOutput);
        return clipboardHolds(text);
    }

    Desktop d;
};

} // namespace

TEST_F(EndToEnd, TypingGivesTheOutputThatCopyOutputPutsOnTheClipboard) {
    EXPECT_FALSE(d.clipboard().has_value()) << "nothing copies before the button is pressed";
    d.click(kInput);
    d.type(QStringLiteral("Hello, wonderful world 42"));
    EXPECT_TRUE(outputIs(QStringLiteral("Hll, wndrfl wrld 42")));

    // More typing, a ticked option, and the button copies the output of now.
    d.click(kInput);
    d.type(QStringLiteral(" and you"));
    d.click(kNumbers);
    EXPECT_TRUE(outputIs(QStringLiteral("Hll, wndrfl wrld  nd ")));
}

TEST_F(EndToEnd, PasteInputTakesTheTextAnotherProgramPutOnTheClipboard) {
    d.click(kInput);
    d.type(QStringLiteral("old text"));
    ASSERT_TRUE(d.offerClipboard(QStringLiteral("Quick brown fox, 42 jumps")));
    d.click(kPasteInput);
    // The pasted text replaced the input: nothing of "old text" is left.
    EXPECT_TRUE(outputIs(QStringLiteral("Qck brwn fx, 42 jmps")));
    EXPECT_TRUE(Desktop::waitUntil([&] { return !d.offeringClipboard(); }))
        << "the other program still holds the clipboard after \"Copy Output\"";
}

TEST_F(EndToEnd, AutoCopyKeepsTheClipboardOnTheLatestOutput) {
    d.click(kInput);
    d.type(QStringLiteral("abc"));
    d.click(kAutoCopy);
    // Ticking copies at once, before the question is answered.
    EXPECT_TRUE(clipboardHolds(QStringLiteral("bc")));
    ASSERT_TRUE(d.answerMessageBox(kConfirmation, QStringLiteral("Return"))); // Yes

    d.click(kInput);
    d.type(QStringLiteral("d"));
    EXPECT_TRUE(clipboardHolds(QStringLiteral("bcd")));
    d.type(QStringLiteral("12"));
    EXPECT_TRUE(clipboardHolds(QStringLiteral("bcd12")));

    // Another program takes the clipboard; the next output takes it back.
    ASSERT_TRUE(d.offerClipboard(QStringLiteral("from elsewhere")));
    d.type(QStringLiteral("x"));
    EXPECT_TRUE(clipboardHolds(QStringLiteral("bcd12x")));
    EXPECT_TRUE(Desktop::waitUntil([&] { return !d.offeringClipboard(); }));
}

TEST_F(EndToEnd, RememberedSettingsAndInputSurviveARestart) {
    ASSERT_TRUE(rememberTicked());
    d.click(kNumbers);
    d.click(kUpperCase);
    d.click(kSlotA);
    d.type(QStringLiteral("z"));
    d.click(kMarker);
    d.type(QStringLiteral("*"));
    d.click(kInput);
    d.type(QStringLiteral("Hello 123 Quiz"));
    ASSERT_TRUE(settingsHold({"StripNumbers=1", "CaseOption=0", "Val01=z", "Val12=*"}));
    ASSERT_TRUE(Desktop::waitUntil([&] {
        return d.file(QStringLiteral("qnbtext.ini")).startsWith("Hello 123 Quiz");
    })) << d.file(QStringLiteral("qnbtext.ini")).toStdString();
    // Upper-case vowels only (there are none), numbers out, "z" marked.
    const QString output = QStringLiteral("Hello  Qui*");
    ASSERT_TRUE(outputIs(output));

    const QByteArray settings = d.file(QStringLiteral("qnb.ini"));
    const QByteArray texts = d.file(QStringLiteral("qnbtext.ini"));
    ASSERT_TRUE(d.closeProgram());
    EXPECT_EQ(d.file(QStringLiteral("qnb.ini")), settings) << "closing saves nothing";
    EXPECT_EQ(d.file(QStringLiteral("qnbtext.ini")), texts);

    ASSERT_TRUE(d.startProgram());
    EXPECT_TRUE(outputIs(output)) << "the restored input, options, slot and marker";
    EXPECT_EQ(d.file(QStringLiteral("qnb.ini")), settings);
    EXPECT_EQ(d.file(QStringLiteral("qnbtext.ini")), texts);
}

TEST_F(EndToEnd, InvalidInputBoxIsAnsweredFromTheKeyboard) {
    ASSERT_TRUE(rememberTicked());
    // A strip string longer than the (empty) input: Escape is Cancel and
    // keeps the entry.
    d.click(kStripString);
    d.type(QStringLiteral("w"));
    ASSERT_TRUE(d.answerMessageBox(kInvalidInput, QStringLiteral("Escape")));
    EXPECT_TRUE(settingsHold({"StripString=w"}));
    d.click(kInput);
    d.type(QStringLiteral("wow now"));
    EXPECT_TRUE(outputIs(QStringLiteral(" n")));

    // Return is OK, the default, and removes the entry.
    d.click(kClearText);
    ASSERT_TRUE(settingsHold({"StripString="}));
    d.click(kStripString);
    d.type(QStringLiteral("q"));
    ASSERT_TRUE(d.answerMessageBox(kInvalidInput, QStringLiteral("Return")));
    d.click(kInput);
    d.type(QStringLiteral("quiz"));
    EXPECT_TRUE(outputIs(QStringLiteral("qz")));
    EXPECT_TRUE(settingsHold({"StripString="}));
}
