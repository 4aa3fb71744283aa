#include "window/quenby.xpm"
#include "window/skivler.h"

#include <QApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <algorithm>
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

struct Place {
    QWidget* widget;
    int left, top, width, height; // twips
    int tab;                      // place in the focus order
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
    setWindowIcon(QIcon(QPixmap(quenby_icon)));
    setFixedSize(10350 / kTwipsPerPixel, 7965 / kTwipsPerPixel);
    setAutoFillBackground(true);

    QPalette window = palette();
    window.setColor(QPalette::Window, kTeal);
    window.setColor(QPalette::WindowText, kWhite);
    window.setColor(QPalette::Disabled, QPalette::WindowText, kGreyed);
    setPalette(window);

    const std::vector<Place> places = {
        {cmdInput, 240, 120, 2175, 375, 23},
        {yesPaste, 2520, 120, 1095, 375, 55},
        {cmdOutput, 5280, 120, 2175, 375, 24},
        {yesCopy, 7560, 120, 1095, 375, 27},
        {yesWrap, 8880, 120, 1215, 375, 29},
        {Label1, 240, 720, 1455, 375, 6},
        {cmdOutToIn, 1440, 720, 1935, 255, 25},
        {Label10, 3480, 720, 615, 255, 52},
        {cmdAll1, 4080, 720, 495, 255, 31},
        {cmdNone1, 4560, 720, 495, 255, 51},
        {Label2, 5280, 720, 4815, 255, 7},
        {Label11, 8520, 720, 495, 255, 54},
        {cmdAll2, 9120, 720, 495, 255, 32},
        {cmdNone2, 9600, 720, 495, 255, 53},
        {Text1, 240, 960, 4815, 5055, 0},
        {Text4, 240, 960, 4815, 5055, 1},
        {Text2, 5280, 960, 4815, 5055, 4},
        {Text5, 5280, 960, 4815, 5055, 30},
        {Label7, 240, 6120, 375, 255, 41},
        {noVowels, 840, 6120, 855, 195, 43},
        {noY, 2280, 6120, 975, 195, 49},
        {frameCase, 840, 6360, 2415, 615, 44},
        {noNums, 3720, 6120, 1095, 195, 36},
        {noGaps, 3720, 6480, 975, 195, 38},
        {noPunc, 3720, 6840, 1215, 195, 37},
        {Label4, 5280, 6120, 4815, 255, 26},
        {yesCase, 8640, 6120, 1455, 255, 33},
        {StripString, 5280, 6360, 4815, 285, 2},
        {Label6, 5280, 6720, 4815, 255, 28},
        {Label5, 8640, 6720, 975, 255, 35},
        {txtN, 9600, 6660, 495, 285, 34},
        {ReplaceString, 5280, 6960, 4815, 285, 3},
        {Option2[0], 120, 240, 615, 255, 45},
        {Option2[1], 840, 240, 615, 255, 46},
        {Option2[2], 1560, 240, 735, 255, 47},
        {Label3, 240, 7200, 4095, 255, 22},
        {Label8, 4440, 7200, 735, 255, 48},
        {cmdClearVowels, 240, 7440, 495, 315, 19},
        {A, 840, 7440, 255, 285, 8},
        {E, 1200, 7440, 255, 285, 10},
        {I, 1560, 7440, 255, 285, 12},
        {O, 1920, 7440, 255, 285, 14},
        {U, 2280, 7440, 255, 285, 16},
        {aa, 2640, 7440, 255, 285, 9},
        {ee, 3000, 7440, 255, 285, 11},
        {ii, 3360, 7440, 255, 285, 13},
        {oo, 3720, 7440, 255, 285, 15},
        {uu, 4080, 7440, 255, 285, 17},
        {Label9, 4440, 7440, 135, 255, 50},
        {yy, 4680, 7440, 255, 285, 21},
        {cmdDefaults, 5280, 7440, 1455, 375, 40},
        {cmdClearTexts, 6840, 7440, 1455, 375, 5},
        {yesRemember, 8400, 7560, 1695, 255, 39},
        {Y, 0, 0, 255, 285, 20},
        {sus, 0, 0, 255, 255, 42},
    };
    for (const Place& p : places) {
        p.widget->setGeometry(p.left / kTwipsPerPixel, p.top / kTwipsPerPixel,
                              p.width / kTwipsPerPixel, p.height / kTwipsPerPixel);
        p.widget->setProperty("tabIndex", p.tab);
    }

    // Names as in the control table, so that tests and tools find them.
    const std::vector<std::pair<QObject*, const char*>> names = {
        {cmdInput, "cmdInput"},
        {yesPaste, "yesPaste"},
        {cmdOutput, "cmdOutput"},
        {yesCopy, "yesCopy"},
        {yesWrap, "yesWrap"},
        {Label1, "Label1"},
        {cmdOutToIn, "cmdOutToIn"},
        {Label10, "Label10"},
        {cmdAll1, "cmdAll1"},
        {cmdNone1, "cmdNone1"},
        {Label2, "Label2"},
        {Label11, "Label11"},
        {cmdAll2, "cmdAll2"},
        {cmdNone2, "cmdNone2"},
        {Text1, "Text1"},
        {Text4, "Text4"},
        {Text2, "Text2"},
        {Text5, "Text5"},
        {Label7, "Label7"},
        {noVowels, "noVowels"},
        {noY, "noY"},
        {frameCase, "frameCase"},
        {noNums, "noNums"},
        {noGaps, "noGaps"},
        {noPunc, "noPunc"},
        {Label4, "Label4"},
        {yesCase, "yesCase"},
        {StripString, "StripString"},
        {Label6, "Label6"},
        {Label5, "Label5"},
        {txtN, "txtN"},
        {ReplaceString, "ReplaceString"},
        {Option2[0], "Option2_0"},
        {Option2[1], "Option2_1"},
        {Option2[2], "Option2_2"},
        {Label3, "Label3"},
        {Label8, "Label8"},
        {cmdClearVowels, "cmdClearVowels"},
        {A, "A"},
        {E, "E"},
        {I, "I"},
        {O, "O"},
        {U, "U"},
        {aa, "aa"},
        {ee, "ee"},
        {ii, "ii"},
        {oo, "oo"},
        {uu, "uu"},
        {Label9, "Label9"},
        {yy, "yy"},
        {cmdDefaults, "cmdDefaults"},
        {cmdClearTexts, "cmdClearTexts"},
        {yesRemember, "yesRemember"},
        {Y, "Y"},
        {sus, "sus"},
    };
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));

    // Keyboard focus follows the table's order; labels and the frame hold a
    // place but never take the focus.
    std::vector<Place> focusOrder;
    std::copy_if(places.begin(), places.end(), std::back_inserter(focusOrder),
                 [](const Place& p) { return p.widget->focusPolicy() != Qt::NoFocus; });
    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const Place& a, const Place& b) { return a.tab < b.tab; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1].widget, focusOrder[i].widget);

    // The wide labels lie under the controls that share their row.
    for (QWidget* wide : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                          static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label6)})
        wide->lower();

    for (QWidget* bold : {static_cast<QWidget*>(cmdInput), static_cast<QWidget*>(cmdOutput),
                          static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2)})
        bold->setFont(boldFont());
    setColour(Label1, QPalette::WindowText, palette().color(QPalette::HighlightedText));

    // The text areas: the wrapping pair shows first.
    Text1->setWrapping(true);
    Text2->setWrapping(true);
    Text4->setWrapping(false);
    Text5->setWrapping(false);
    Text4->hide();
    Text5->hide();

    for (LineBox* grey : {StripString, txtN, ReplaceString})
        setColour(grey, QPalette::Base, kLightGrey);
    txtN->setReadOnly(true);
    for (LineBox* slot : {A, E, I, O, U, aa, ee, ii, oo, uu, Y, yy, txtN})
        slot->setAlignment(Qt::AlignCenter);
    setColour(yy, QPalette::Base, kBlack);
    setColour(yy, QPalette::Text, kWhite);
    for (QLabel* centred : {Label8, Label9})
        centred->setAlignment(Qt::AlignCenter);

    // These six boxes carry the caption on the left and the tick at the right.
    for (CheckBox* right : {yesPaste, yesCopy, yesWrap, noY, yesCase, yesRemember})
        right->setLayoutDirection(Qt::RightToLeft);

    Label6->setEnabled(false);
    ReplaceString->setEnabled(false);
    Y->hide();
    sus->hide();

    // Design-time values.
    yesWrap->setValue(1);
    noVowels->setValue(1);
    noY->setValue(1);
    yesCase->setValue(1);
    Option2[2]->setChecked(true);
    // The window opens ready for typing into the input box.
    Text1->setFocus(Qt::OtherFocusReason);
}
