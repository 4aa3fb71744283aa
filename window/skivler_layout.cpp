#include "window/icon.h"
#include "window/skivler.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <algorithm>
#include <type_traits>
#include <variant>
#include <vector>

using namespace quenby;

namespace {

// The layout is kept in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;

const QColor kTeal(0, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kLightGrey(224, 224, 224);
const QColor kBlack(0, 0, 0);
const QColor kGreyed(160, 160, 160);

// The kind column of the control table. A row compiles only when its kind
// is the class the control is declared with.
template <class W> struct Kind {};
constexpr Kind<CommandButton> commandButton;
constexpr Kind<CheckBox> checkBox;
constexpr Kind<OptionButton> optionButton;
constexpr Kind<QLabel> label;
constexpr Kind<QGroupBox> frame;
constexpr Kind<TextArea> textArea; // a multi-line text box
constexpr Kind<LineBox> lineBox;   // a one-line text box

// The design-time state and look of a control beyond the common one: teal
// background and white caption for labels, check boxes, option buttons and
// the frame, the system's colours for text boxes and buttons, the window's
// font, unticked, empty, enabled and shown.
enum Look : unsigned {
    Plain = 0,
    Bold = 1u << 0,          // "MS Sans Serif", 8.25 points, weight 700
    HighlightText = 1u << 1, // caption in the system's highlight-text colour
    Ticked = 1u << 2,        // a check box ticked, an option button selected
    Hidden = 1u << 3,
    Disabled = 1u << 4,
    Centred = 1u << 5,   // text or caption centred
    LightGrey = 1u << 6, // background red, green and blue 224
    ReadOnly = 1u << 7,
    WhiteOnBlack = 1u << 8,
    TickAtRight = 1u << 9, // caption on the left, tick box at the right-hand end
    Wraps = 1u << 10,      // a text area whose long lines wrap
    Underneath = 1u << 11, // a wide label that the controls of its row lie on
};

using AnyControl = std::variant<CommandButton*, CheckBox*, OptionButton*, QLabel*, QGroupBox*,
                                TextArea*, LineBox*>;

// One row of the control table.
struct Control {
    template <class W>
    Control(W* control, const char* name, Kind<W>, int left, int top, int width, int height,
            int tab, const char* caption, unsigned look)
        : control(control), name(name), left(left), top(top), width(width), height(height),
          tab(tab), caption(caption), look(look) {}

    QWidget* widget() const {
        return std::visit([](auto* w) -> QWidget* { return w; }, control);
    }

    AnyControl control;
    const char* name;             // the control's name, also its object name
    int left, top, width, height; // twips; for the option buttons, inside the frame
    int tab;                      // place in the focus order
    const char* caption;          // for a text box: its text
    unsigned look;
};

QFont boldFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11); // 8.25 points at 96 dots per inch
    font.setWeight(QFont::Bold);
    return font;
}

void setColour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    p.setColor(QPalette::Disabled, role, colour);
    w->setPalette(p);
}

// Fusion with the tick box closer to its caption, so that the captions fit
// the narrow boxes of the layout.
class CompactStyle : public QProxyStyle {
public:
    CompactStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_CheckBoxLabelSpacing || metric == PM_RadioButtonLabelSpacing)
            return 3;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Gives a control its name, place, caption and design-time look.
void build(const Control& row, const QColor& highlightText) {
    QWidget* const w = row.widget();
    w->setObjectName(QLatin1String(row.name));
    w->setGeometry(row.left / kTwipsPerPixel, row.top / kTwipsPerPixel, row.width / kTwipsPerPixel,
                   row.height / kTwipsPerPixel);
    w->setProperty("tabIndex", row.tab);
    const QString caption = QString::fromLatin1(row.caption);
    std::visit(
        [&](auto* control) {
            using W = std::remove_pointer_t<decltype(control)>;
            if constexpr (std::is_same_v<W, QGroupBox>)
                control->setTitle(caption);
            else
                control->setText(caption);
            if constexpr (std::is_same_v<W, CheckBox>) {
                if (row.look & Ticked)
                    control->setValue(1);
            }
            if constexpr (std::is_same_v<W, OptionButton>) {
                if (row.look & Ticked)
                    control->setChecked(true);
            }
            if constexpr (std::is_same_v<W, TextArea>)
                control->setWrapping(row.look & Wraps);
            if constexpr (std::is_same_v<W, LineBox>)
                control->setReadOnly(row.look & ReadOnly);
            if constexpr (std::is_same_v<W, QLabel> || std::is_same_v<W, LineBox>) {
                if (row.look & Centred)
                    control->setAlignment(Qt::AlignCenter);
            }
        },
        row.control);
    if (row.look & Bold)
        w->setFont(boldFont());
    if (row.look & HighlightText)
        setColour(w, QPalette::WindowText, highlightText);
    if (row.look & LightGrey)
        setColour(w, QPalette::Base, kLightGrey);
    if (row.look & WhiteOnBlack) {
        setColour(w, QPalette::Base, kBlack);
        setColour(w, QPalette::Text, kWhite);
    }
    if (row.look & TickAtRight)
        w->setLayoutDirection(Qt::RightToLeft);
    if (row.look & Disabled)
        w->setEnabled(false);
    if (row.look & Hidden)
        w->hide();
    if (row.look & Underneath)
        w->lower();
}

} // namespace

void Skivler::prepareApplication() {
    QApplication::setStyle(new CompactStyle);
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    QApplication::setFont(font);
}

void Skivler::buildLayout() {
    setWindowTitle(QStringLiteral("Quenby 5.0"));
    setWindowIcon(programIcon());
    setFixedSize(10350 / kTwipsPerPixel, 7965 / kTwipsPerPixel);
    setAutoFillBackground(true);

    QPalette window = palette();
    window.setColor(QPalette::Window, kTeal);
    window.setColor(QPalette::WindowText, kWhite);
    window.setColor(QPalette::Disabled, QPalette::WindowText, kGreyed);
    setPalette(window);

    // The control table: one row per control, area by area, top to bottom.
    const std::vector<Control> controls = {
        // Top row.
        {cmdInput, "cmdInput", commandButton, 240, 120, 2175, 375, 23, "Paste Input", Bold},
        {yesPaste, "yesPaste", checkBox, 2520, 120, 1095, 375, 55, "Auto-Paste", TickAtRight},
        {cmdOutput, "cmdOutput", commandButton, 5280, 120, 2175, 375, 24, "Copy Output", Bold},
        {yesCopy, "yesCopy", checkBox, 7560, 120, 1095, 375, 27, "Auto-Copy", TickAtRight},
        {yesWrap, "yesWrap", checkBox, 8880, 120, 1215, 375, 29, "Word wrap", Ticked | TickAtRight},
        // Headings of the two text areas.
        {Label1, "Label1", label, 240, 720, 1455, 375, 6, "INPUT TEXT",
         Bold | HighlightText | Underneath},
        {cmdOutToIn, "cmdOutToIn", commandButton, 1440, 720, 1935, 255, 25,
         "Use output as new input", Plain},
        {Label10, "Label10", label, 3480, 720, 615, 255, 52, "Select", Plain},
        {cmdAll1, "cmdAll1", commandButton, 4080, 720, 495, 255, 31, "all", Plain},
        {cmdNone1, "cmdNone1", commandButton, 4560, 720, 495, 255, 51, "none", Plain},
        {Label2, "Label2", label, 5280, 720, 4815, 255, 7, "OUTPUT TEXT", Bold | Underneath},
        {Label11, "Label11", label, 8520, 720, 495, 255, 54, "Select", Plain},
        {cmdAll2, "cmdAll2", commandButton, 9120, 720, 495, 255, 32, "all", Plain},
        {cmdNone2, "cmdNone2", commandButton, 9600, 720, 495, 255, 53, "none", Plain},
        // The text areas: the wrapping box of each pair shows first.
        {Text1, "Text1", textArea, 240, 960, 4815, 5055, 0, "", Wraps},
        {Text4, "Text4", textArea, 240, 960, 4815, 5055, 1, "", Hidden},
        {Text2, "Text2", textArea, 5280, 960, 4815, 5055, 4, "", Wraps},
        {Text5, "Text5", textArea, 5280, 960, 4815, 5055, 30, "", Hidden},
        // The strip options (left) and the strip string (right).
        {Label7, "Label7", label, 240, 6120, 375, 255, 41, "Strip:", Plain},
        {noVowels, "noVowels", checkBox, 840, 6120, 855, 195, 43, "Vowels", Ticked},
        {noY, "noY", checkBox, 2280, 6120, 975, 195, 49, "Include Y", Ticked | TickAtRight},
        {frameCase, "frameCase", frame, 840, 6360, 2415, 615, 44, "case", Plain},
        {noNums, "noNums", checkBox, 3720, 6120, 1095, 195, 36, "Numbers", Plain},
        {noGaps, "noGaps", checkBox, 3720, 6480, 975, 195, 38, "Spaces", Plain},
        {noPunc, "noPunc", checkBox, 3720, 6840, 1215, 195, 37, "Punctuation", Plain},
        {Label4, "Label4", label, 5280, 6120, 4815, 255, 26, "Strip this string", Underneath},
        {yesCase, "yesCase", checkBox, 8640, 6120, 1455, 255, 33, "Case sensitive",
         Ticked | TickAtRight},
        {StripString, "StripString", lineBox, 5280, 6360, 4815, 285, 2, "", LightGrey},
        {Label6, "Label6", label, 5280, 6720, 4815, 255, 28, "Replace with ...",
         Disabled | Underneath},
        {Label5, "Label5", label, 8640, 6720, 975, 255, 35, "Occurrences", Plain},
        {txtN, "txtN", lineBox, 9600, 6660, 495, 285, 34, "", ReadOnly | Centred | LightGrey},
        {ReplaceString, "ReplaceString", lineBox, 5280, 6960, 4815, 285, 3, "",
         Disabled | LightGrey},
        // The case option buttons, placed inside frameCase.
        {Option2[0], "Option2_0", optionButton, 120, 240, 615, 255, 45, "uppr", Plain},
        {Option2[1], "Option2_1", optionButton, 840, 240, 615, 255, 46, "lwr", Plain},
        {Option2[2], "Option2_2", optionButton, 1560, 240, 735, 255, 47, "both", Ticked},
        // The character slots and the buttons at the bottom.
        {Label3, "Label3", label, 240, 7200, 4095, 255, 22,
         "User-defined (and not already stripped elsewhere)", Plain},
        {Label8, "Label8", label, 4440, 7200, 735, 255, 48, "Marker", Centred},
        {cmdClearVowels, "cmdClearVowels", commandButton, 240, 7440, 495, 315, 19, "clear", Plain},
        {A, "A", lineBox, 840, 7440, 255, 285, 8, "", Centred},
        {E, "E", lineBox, 1200, 7440, 255, 285, 10, "", Centred},
        {I, "I", lineBox, 1560, 7440, 255, 285, 12, "", Centred},
        {O, "O", lineBox, 1920, 7440, 255, 285, 14, "", Centred},
        {U, "U", lineBox, 2280, 7440, 255, 285, 16, "", Centred},
        {aa, "aa", lineBox, 2640, 7440, 255, 285, 9, "", Centred},
        {ee, "ee", lineBox, 3000, 7440, 255, 285, 11, "", Centred},
        {ii, "ii", lineBox, 3360, 7440, 255, 285, 13, "", Centred},
        {oo, "oo", lineBox, 3720, 7440, 255, 285, 15, "", Centred},
        {uu, "uu", lineBox, 4080, 7440, 255, 285, 17, "", Centred},
        {Label9, "Label9", label, 4440, 7440, 135, 255, 50, "=", Centred},
        {yy, "yy", lineBox, 4680, 7440, 255, 285, 21, "", Centred | WhiteOnBlack},
        {cmdDefaults, "cmdDefaults", commandButton, 5280, 7440, 1455, 375, 40, "Reset to Defaults",
         Plain},
        {cmdClearTexts, "cmdClearTexts", commandButton, 6840, 7440, 1455, 375, 5, "Clear Text",
         Plain},
        {yesRemember, "yesRemember", checkBox, 8400, 7560, 1695, 255, 39, "Remember settings",
         TickAtRight},
        // Never shown: the twelfth slot and the suspend flag.
        {Y, "Y", lineBox, 0, 0, 255, 285, 20, "", Hidden | Centred},
        {sus, "sus", checkBox, 0, 0, 255, 255, 42, "sus", Hidden},
    };
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    for (const Control& row : controls)
        build(row, highlightText);

    // Keyboard focus follows the tab column; labels and the frame hold a
    // place but never take the focus.
    std::vector<const Control*> focusOrder;
    for (const Control& row : controls)
        if (row.widget()->focusPolicy() != Qt::NoFocus)
            focusOrder.push_back(&row);
    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const Control* a, const Control* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1]->widget(), focusOrder[i]->widget());

    // The window opens ready for typing into the input box.
    Text1->setFocus(Qt::OtherFocusReason);
}
