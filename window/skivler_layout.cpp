#include "engine/heap.h"
#include "window/icon.h"
#include "window/skivler.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleFactory>
#include <QWindow>
#include <algorithm>
#include <type_traits>
#include <variant>
#include <vector>

using namespace quenby;

namespace {

// The layout is kept in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;
const QSize kWindowSize(10350 / kTwipsPerPixel, 7965 / kTwipsPerPixel);
constexpr Qt::WindowStates kFullSize = Qt::WindowMaximized | Qt::WindowFullScreen;

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
// the frame, the desktop theme's colours for text boxes and buttons, the
// window's font, unticked, empty, enabled and shown.
enum Look : unsigned {
    Plain = 0,
    Bold = 1u << 0,          // "MS Sans Serif", 8.25 points, weight 700
    HighlightText = 1u << 1, // caption in the system's highlight-text colour
    Ticked = 1u << 2,        // a check box ticked, an option button selected
    Hidden = 1u << 3,
    Disabled = 1u << 4,
    Centred = 1u << 5,   // text or caption centred
    LightGrey = 1u << 6, // background red, green and blue 224 (a light theme only)
    ReadOnly = 1u << 7,
    WhiteOnBlack = 1u << 8, // (a light theme only)
    TickAtRight = 1u << 9,  // caption on the left, tick box at the right-hand end
    Wraps = 1u << 10,       // a text area whose long lines wrap
    Underneath = 1u << 11,  // a wide label that the controls of its row lie on
};

using AnyControl = std::variant<CommandButton*, CheckBox*, OptionButton*, QLabel*, QGroupBox*,
                                TextArea*, LineBox*>;

// One row of the control table.
struct Control {
    template <class W>
    Control(W* control, const char* name, Kind<W>, int left, int top, int width, int height,
            int tab, const char* caption, unsigned look, const char* spoken,
            const char* description = nullptr)
        : control(control), name(name), left(left), top(top), width(width), height(height),
          tab(tab), caption(caption), look(look), spoken(spoken), description(description) {}

    QWidget* widget() const {
        return std::visit([](auto* w) -> QWidget* { return w; }, control);
    }

    AnyControl control;
    const char* name;             // the control's name, also its object name
    int left, top, width, height; // twips; for the option buttons, inside the frame
    int tab;                      // place in the focus order
    const char* caption;          // for a text box: its text
    unsigned look;
    // What a screen reader says of the control: its accessible name (null:
    // its caption, where that names it well) and, where the name alone does
    // not tell what the control does, a description. The captions on screen
    // stay as they are.
    const char* spoken;
    const char* description;
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

// What the desktop theme's colours (Qt's application palette) hold for the
// controls' look.
struct ThemeColours {
    QColor highlightText;
    // The theme's text boxes show dark text on a light ground, as the
    // standard colours without a theme do. Only then do the string boxes
    // take their light grey and the marker its white on black: on a dark
    // theme's boxes, whose text is light, a light grey ground would leave
    // the text unreadable, so there every text box keeps the theme's colours.
    bool darkOnLight;

    static ThemeColours of(const QPalette& theme) {
        return {theme.color(QPalette::HighlightedText),
                theme.color(QPalette::Base).lightness() > theme.color(QPalette::Text).lightness()};
    }
};

// The looks that depend on the theme's colours. Each control keeps its own
// as a property, so that they are given again when the theme changes.
constexpr unsigned kThemeLooks = HighlightText | LightGrey | WhiteOnBlack;
constexpr char kThemeLookProperty[] = "themeLook";

// Gives every control of the window the colours of its theme-dependent look,
// from the theme's colours as they are now.
void colourForTheme(QWidget* window) {
    const ThemeColours theme = ThemeColours::of(QApplication::palette());
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QVariant property = w->property(kThemeLookProperty);
        if (!property.isValid())
            continue;
        const unsigned look = property.toUInt();
        w->setPalette(QPalette()); // every colour as the window and the theme give it
        if (look & HighlightText)
            setColour(w, QPalette::WindowText, theme.highlightText);
        if ((look & LightGrey) && theme.darkOnLight)
            setColour(w, QPalette::Base, kLightGrey);
        if ((look & WhiteOnBlack) && theme.darkOnLight) {
            setColour(w, QPalette::Base, kBlack);
            setColour(w, QPalette::Text, kWhite);
        }
    }
}

// Gives a control its name, place, caption and design-time look.
void build(const Control& row) {
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
    if (row.look & kThemeLooks)
        w->setProperty(kThemeLookProperty, row.look & kThemeLooks);
    if (row.look & TickAtRight)
        w->setLayoutDirection(Qt::RightToLeft);
    if (row.look & Disabled)
        w->setEnabled(false);
    if (row.look & Hidden)
        w->hide();
    if (row.look & Underneath)
        w->lower();
    if (row.spoken)
        w->setAccessibleName(QString::fromUtf8(row.spoken));
    if (row.description)
        w->setAccessibleDescription(QString::fromUtf8(row.description));
}

// A screen reader meets the window as a top-level window (a frame), not as
// a plain pane.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(Skivler::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

void Skivler::prepareApplication() {
    quenby::keepLargeBlocksInHeap();
    QAccessible::installFactory(windowAccessible);
    QApplication::setStyle(new CompactStyle);
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    QApplication::setFont(font);
}

void Skivler::buildLayout() {
    setWindowTitle(QStringLiteral("Quenby 5.0"));
    setWindowIcon(programIcon());
    setFixedSize(kWindowSize);
    setAutoFillBackground(true);

    QPalette window = palette();
    window.setColor(QPalette::Window, kTeal);
    window.setColor(QPalette::WindowText, kWhite);
    window.setColor(QPalette::Disabled, QPalette::WindowText, kGreyed);
    setPalette(window);

    // What a slot box does, for a screen reader.
    const char* const slot = "A character to strip; the marker takes its place";

    // The control table: one row per control, area by area, top to bottom.
    // The last columns are what a screen reader says of the control.
    const std::vector<Control> controls = {
        // Top row.
        {cmdInput, "cmdInput", commandButton, 240, 120, 2175, 375, 23, "Paste Input", Bold, nullptr,
         "Replace the input text with the text on the clipboard"},
        {yesPaste, "yesPaste", checkBox, 2520, 120, 1095, 375, 55, "Auto-Paste", TickAtRight,
         nullptr, "At start, take the text on the clipboard as the input"},
        {cmdOutput, "cmdOutput", commandButton, 5280, 120, 2175, 375, 24, "Copy Output", Bold,
         nullptr, "Put the output text on the clipboard"},
        {yesCopy, "yesCopy", checkBox, 7560, 120, 1095, 375, 27, "Auto-Copy", TickAtRight, nullptr,
         "Put the output text on the clipboard after every change"},
        {yesWrap, "yesWrap", checkBox, 8880, 120, 1215, 375, 29, "Word wrap", Ticked | TickAtRight,
         nullptr, "Wrap long lines of the input and output text"},
        // Headings of the two text areas. Label2's caption changes with
        // Auto-Copy, so a screen reader reads the caption itself.
        {Label1, "Label1", label, 240, 720, 1455, 375, 6, "INPUT TEXT",
         Bold | HighlightText | Underneath, nullptr},
        {cmdOutToIn, "cmdOutToIn", commandButton, 1440, 720, 1935, 255, 25,
         "Use output as new input", Plain, nullptr,
         "Make the output the new input and empty the strip and replace strings"},
        {Label10, "Label10", label, 3480, 720, 615, 255, 52, "Select", Plain, "Select input text"},
        {cmdAll1, "cmdAll1", commandButton, 4080, 720, 495, 255, 31, "all", Plain,
         "Select all of the input", "Select the whole input text and put the focus on it"},
        {cmdNone1, "cmdNone1", commandButton, 4560, 720, 495, 255, 51, "none", Plain,
         "Select none of the input",
         "Remove the selection from the input text and put the caret at its start"},
        {Label2, "Label2", label, 5280, 720, 4815, 255, 7, "OUTPUT TEXT", Bold | Underneath,
         nullptr},
        {Label11, "Label11", label, 8520, 720, 495, 255, 54, "Select", Plain, "Select output text"},
        {cmdAll2, "cmdAll2", commandButton, 9120, 720, 495, 255, 32, "all", Plain,
         "Select all of the output", "Select the whole output text and put the focus on it"},
        {cmdNone2, "cmdNone2", commandButton, 9600, 720, 495, 255, 53, "none", Plain,
         "Select none of the output",
         "Remove the selection from the output text and put the caret at its start"},
        // The text areas: the wrapping box of each pair shows first; the two
        // boxes of a pair are one text to the user.
        {Text1, "Text1", textArea, 240, 960, 4815, 5055, 0, "", Wraps, "Input text"},
        {Text4, "Text4", textArea, 240, 960, 4815, 5055, 1, "", Hidden, "Input text"},
        {Text2, "Text2", textArea, 5280, 960, 4815, 5055, 4, "", Wraps, "Output text"},
        {Text5, "Text5", textArea, 5280, 960, 4815, 5055, 30, "", Hidden, "Output text"},
        // The strip options (left) and the strip string (right).
        {Label7, "Label7", label, 240, 6120, 375, 255, 41, "Strip:", Plain, nullptr},
        {noVowels, "noVowels", checkBox, 840, 6120, 855, 195, 43, "Vowels", Ticked, "Strip vowels"},
        {noY, "noY", checkBox, 2280, 6120, 975, 195, 49, "Include Y", Ticked | TickAtRight, nullptr,
         "Count Y and y among the vowels"},
        {frameCase, "frameCase", frame, 840, 6360, 2415, 615, 44, "case", Plain, "Vowel case",
         "Which vowels to strip: upper case, lower case or both"},
        {noNums, "noNums", checkBox, 3720, 6120, 1095, 195, 36, "Numbers", Plain, "Strip numbers"},
        {noGaps, "noGaps", checkBox, 3720, 6480, 975, 195, 38, "Spaces", Plain, "Strip spaces"},
        {noPunc, "noPunc", checkBox, 3720, 6840, 1215, 195, 37, "Punctuation", Plain,
         "Strip punctuation"},
        {Label4, "Label4", label, 5280, 6120, 4815, 255, 26, "Strip this string", Underneath,
         nullptr},
        {yesCase, "yesCase", checkBox, 8640, 6120, 1455, 255, 33, "Case sensitive",
         Ticked | TickAtRight, nullptr, "Find the strip string only where its letter case matches"},
        {StripString, "StripString", lineBox, 5280, 6360, 4815, 285, 2, "", LightGrey,
         "Strip this string"},
        {Label6, "Label6", label, 5280, 6720, 4815, 255, 28, "Replace with ...",
         Disabled | Underneath, nullptr},
        {Label5, "Label5", label, 8640, 6720, 975, 255, 35, "Occurrences", Plain, nullptr},
        {txtN, "txtN", lineBox, 9600, 6660, 495, 285, 34, "", ReadOnly | Centred | LightGrey,
         "Occurrences", "How often the strip string occurs in the input text"},
        {ReplaceString, "ReplaceString", lineBox, 5280, 6960, 4815, 285, 3, "",
         Disabled | LightGrey, "Replace with",
         "Put in place of each occurrence of the strip string"},
        // The case option buttons, placed inside frameCase.
        {Option2[0], "Option2_0", optionButton, 120, 240, 615, 255, 45, "uppr", Plain,
         "Upper case"},
        {Option2[1], "Option2_1", optionButton, 840, 240, 615, 255, 46, "lwr", Plain, "Lower case"},
        {Option2[2], "Option2_2", optionButton, 1560, 240, 735, 255, 47, "both", Ticked,
         "Both cases"},
        // The character slots and the buttons at the bottom.
        {Label3, "Label3", label, 240, 7200, 4095, 255, 22,
         "User-defined (and not already stripped elsewhere)", Plain, nullptr},
        {Label8, "Label8", label, 4440, 7200, 735, 255, 48, "Marker", Centred, nullptr},
        {cmdClearVowels, "cmdClearVowels", commandButton, 240, 7440, 495, 315, 19, "clear", Plain,
         "Clear character slots", "Empty the ten character slots and the marker"},
        {A, "A", lineBox, 840, 7440, 255, 285, 8, "", Centred, "Character slot 1", slot},
        {E, "E", lineBox, 1200, 7440, 255, 285, 10, "", Centred, "Character slot 2", slot},
        {I, "I", lineBox, 1560, 7440, 255, 285, 12, "", Centred, "Character slot 3", slot},
        {O, "O", lineBox, 1920, 7440, 255, 285, 14, "", Centred, "Character slot 4", slot},
        {U, "U", lineBox, 2280, 7440, 255, 285, 16, "", Centred, "Character slot 5", slot},
        {aa, "aa", lineBox, 2640, 7440, 255, 285, 9, "", Centred, "Character slot 6", slot},
        {ee, "ee", lineBox, 3000, 7440, 255, 285, 11, "", Centred, "Character slot 7", slot},
        {ii, "ii", lineBox, 3360, 7440, 255, 285, 13, "", Centred, "Character slot 8", slot},
        {oo, "oo", lineBox, 3720, 7440, 255, 285, 15, "", Centred, "Character slot 9", slot},
        {uu, "uu", lineBox, 4080, 7440, 255, 285, 17, "", Centred, "Character slot 10", slot},
        {Label9, "Label9", label, 4440, 7440, 135, 255, 50, "=", Centred, "replaced by"},
        {yy, "yy", lineBox, 4680, 7440, 255, 285, 21, "", Centred | WhiteOnBlack, "Marker",
         "Put in place of each character that a slot strips; empty puts nothing"},
        {cmdDefaults, "cmdDefaults", commandButton, 5280, 7440, 1455, 375, 40, "Reset to Defaults",
         Plain, nullptr, "Set every option, slot and string to its default"},
        {cmdClearTexts, "cmdClearTexts", commandButton, 6840, 7440, 1455, 375, 5, "Clear Text",
         Plain, nullptr, "Empty the input, the output and the strip and replace strings"},
        {yesRemember, "yesRemember", checkBox, 8400, 7560, 1695, 255, 39, "Remember settings",
         TickAtRight, nullptr, "Keep every setting and the input text for the next start"},
        // Never shown: the twelfth slot and the suspend flag.
        {Y, "Y", lineBox, 0, 0, 255, 285, 20, "", Hidden | Centred, "Unused character slot"},
        {sus, "sus", checkBox, 0, 0, 255, 255, 42, "sus", Hidden, "Suspend updates"},
    };
    for (const Control& row : controls)
        build(row);
    colourForTheme(this);

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

    // Ctrl+Q and Ctrl+W close the window as its close button does; every
    // change is stored as it is made, so nothing is pending.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);

    // The window opens ready for typing into the input box.
    Text1->setFocus(Qt::OtherFocusReason);
}

void Skivler::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // X11 window managers keep a window of one size as it is.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        connect(windowHandle(), &QWindow::windowStateChanged, this, &Skivler::windowStateAsked,
                Qt::UniqueConnection);
}

// Called as soon as the title bar asks for maximized (before the request
// leaves), and when the compositor's answer changes the state.
void Skivler::windowStateAsked(Qt::WindowState state) {
    if (state == Qt::WindowMaximized || state == Qt::WindowFullScreen) {
        // Weston ends a client whose next frame does not fill the maximized
        // size; the window takes that size until changeEvent has asked back.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else if (!m_leavingFullSize && !(windowState() & kFullSize)) {
        setFixedSize(kWindowSize); // the compositor refused
    }
}

void Skivler::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // The desktop's theme changed its colours (a dark mode switched on).
    if (event->type() == QEvent::PaletteChange)
        colourForTheme(this);
    // Only the compositor's answers; setWindowState() reports its own change.
    if (event->type() != QEvent::WindowStateChange || !event->spontaneous())
        return;
    if (windowState() & kFullSize) {
        // Weston takes the request only once a frame of the state is out.
        repaint();
        m_leavingFullSize = true;
        setWindowState(windowState() & ~kFullSize);
        m_leavingFullSize = false;
    } else {
        setFixedSize(kWindowSize);
    }
}
