#pragma once

#include "engine/strip.h"
#include "settings/fileaccess.h"
#include "settings/keytable.h"
#include "settings/store.h"
#include "window/controls.h"
#include "window/platform.h"

#include <QGroupBox>
#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

// The window. Every option, slot, string and text lives in one of its
// controls, held under the names below; there is no settings object.
// Each control's behaviour is the handler named after the control and the
// event (noGaps_Click, yesWrap_MouseUp, A_Change, ...). The files by role,
// each calling only the ones below it:
// - skivler_wiring.cpp builds the window, connects each control's events to
//   its handlers, and finishes the writes before the window closes or the
//   program ends;
// - skivler_layout.cpp holds the control table: each control's place,
//   caption and design-time look;
// - skivler_handlers.cpp holds every handler;
// - skivler_routines.cpp the routines the handlers share: SkivIt, start-up,
//   save-all, the defaults, iniPut and the reading and setting of controls
//   by the key table. Writing is the store's (settings/store.h).
class Skivler : public QWidget {
    Q_OBJECT
public:
    // Builds the window with its design-time values, then runs Form_Load.
    explicit Skivler(quenby::Platform platform, QWidget* parent = nullptr);

    // Fusion style and fixed fonts, so that no desktop theme moves the layout;
    // big blocks kept in the heap (keepLargeBlocksInHeap). Before any window.
    static void prepareApplication();

    // Recomputes the output from the controls.
    void SkivIt();
    // The options the controls hold now, as the engine takes them.
    quenby::StripOptions readOptions() const;

    // Waits until every write queued so far is done and its failures are
    // told. Called before the window closes and when the program ends.
    void finishWrites();

    // --- Controls, created bare: their captions, places and design-time look
    // are rows of the control table (skivler_layout.cpp). Top row.
    quenby::CommandButton* const cmdInput = new quenby::CommandButton({}, this);
    quenby::CheckBox* const yesPaste = new quenby::CheckBox({}, this);
    quenby::CommandButton* const cmdOutput = new quenby::CommandButton({}, this);
    quenby::CheckBox* const yesCopy = new quenby::CheckBox({}, this);
    quenby::CheckBox* const yesWrap = new quenby::CheckBox({}, this);
    // Headings of the text areas.
    QLabel* const Label1 = new QLabel(this);
    quenby::CommandButton* const cmdOutToIn = new quenby::CommandButton({}, this);
    QLabel* const Label10 = new QLabel(this);
    quenby::CommandButton* const cmdAll1 = new quenby::CommandButton({}, this);
    quenby::CommandButton* const cmdNone1 = new quenby::CommandButton({}, this);
    QLabel* const Label2 = new QLabel(this);
    QLabel* const Label11 = new QLabel(this);
    quenby::CommandButton* const cmdAll2 = new quenby::CommandButton({}, this);
    quenby::CommandButton* const cmdNone2 = new quenby::CommandButton({}, this);
    // The text areas: input Text1 (wrapping) / Text4, output Text2 (wrapping) / Text5.
    quenby::TextArea* const Text1 = new quenby::TextArea(this);
    quenby::TextArea* const Text4 = new quenby::TextArea(this);
    quenby::TextArea* const Text2 = new quenby::TextArea(this);
    quenby::TextArea* const Text5 = new quenby::TextArea(this);
    // Strip options and the strip string.
    QLabel* const Label7 = new QLabel(this);
    quenby::CheckBox* const noVowels = new quenby::CheckBox({}, this);
    quenby::CheckBox* const noY = new quenby::CheckBox({}, this);
    QGroupBox* const frameCase = new QGroupBox(this);
    quenby::CheckBox* const noNums = new quenby::CheckBox({}, this);
    quenby::CheckBox* const noGaps = new quenby::CheckBox({}, this);
    quenby::CheckBox* const noPunc = new quenby::CheckBox({}, this);
    QLabel* const Label4 = new QLabel(this);
    quenby::CheckBox* const yesCase = new quenby::CheckBox({}, this);
    quenby::LineBox* const StripString = new quenby::LineBox(this);
    QLabel* const Label6 = new QLabel(this);
    QLabel* const Label5 = new QLabel(this);
    quenby::LineBox* const txtN = new quenby::LineBox(this);
    quenby::LineBox* const ReplaceString = new quenby::LineBox(this);
    // The case option buttons, index 0 "uppr", 1 "lwr", 2 "both".
    const std::array<quenby::OptionButton*, 3> Option2{new quenby::OptionButton({}, 0, frameCase),
                                                       new quenby::OptionButton({}, 1, frameCase),
                                                       new quenby::OptionButton({}, 2, frameCase)};
    // Character slots and the bottom buttons.
    QLabel* const Label3 = new QLabel(this);
    QLabel* const Label8 = new QLabel(this);
    quenby::CommandButton* const cmdClearVowels = new quenby::CommandButton({}, this);
    quenby::LineBox* const A = new quenby::LineBox(this);
    quenby::LineBox* const E = new quenby::LineBox(this);
    quenby::LineBox* const I = new quenby::LineBox(this);
    quenby::LineBox* const O = new quenby::LineBox(this);
    quenby::LineBox* const U = new quenby::LineBox(this);
    quenby::LineBox* const aa = new quenby::LineBox(this);
    quenby::LineBox* const ee = new quenby::LineBox(this);
    quenby::LineBox* const ii = new quenby::LineBox(this);
    quenby::LineBox* const oo = new quenby::LineBox(this);
    quenby::LineBox* const uu = new quenby::LineBox(this);
    QLabel* const Label9 = new QLabel(this);
    quenby::LineBox* const yy = new quenby::LineBox(this);
    quenby::CommandButton* const cmdDefaults = new quenby::CommandButton({}, this);
    quenby::CommandButton* const cmdClearTexts = new quenby::CommandButton({}, this);
    quenby::CheckBox* const yesRemember = new quenby::CheckBox({}, this);
    // Never shown: the twelfth slot and the suspend flag.
    quenby::LineBox* const Y = new quenby::LineBox(this);
    quenby::CheckBox* const sus = new quenby::CheckBox({}, this);

    // --- Handlers (one per control and event).
    void Form_Load();
    void Text1_Change();
    void Text4_Change();
    void StripString_Change();
    void ReplaceString_Change();
    void A_Change();
    void E_Change();
    void I_Change();
    void O_Change();
    void U_Change();
    void aa_Change();
    void ee_Change();
    void ii_Change();
    void oo_Change();
    void uu_Change();
    void Y_Change();
    void yy_Change();
    void cmdClearVowels_Click();
    void noVowels_Click();
    void noVowels_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void noY_Click();
    void noY_KeyUp(int key, Qt::KeyboardModifiers shift);
    void noY_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void noGaps_Click();
    void noGaps_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void noNums_Click();
    void noNums_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void noPunc_Click();
    void noPunc_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void yesCase_Click();
    void yesCase_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void yesWrap_Click();
    void yesWrap_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void Option2_Click(int index);
    void Option2_MouseUp(int index, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                         QPoint position);
    void yesCopy_Click();
    void yesCopy_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void yesPaste_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    void yesRemember_Click();
    void cmdInput_Click();
    void cmdOutput_Click();
    void cmdOutToIn_Click();
    void cmdClearTexts_Click();
    void cmdDefaults_Click();
    void cmdAll1_Click();
    void cmdNone1_Click();
    void cmdAll2_Click();
    void cmdNone2_Click();

    // --- Routines.
    // Stores the selected case option.
    void CasePut();
    void CaseCheck();
    // Stores every setting and the input text.
    void SaveAll();
    // Stores a setting while "Remember settings" is ticked (the write itself
    // is the store's); otherwise tries again an emptying that failed.
    void iniPut(const QString& key, const QString& value);
    // A case option's or check box's stored value as start-up takes it (the
    // default when absent or empty); *usable is false when the stored value
    // was no 0, 1 or 2 and the default was taken instead.
    int ChkStart(const quenby::SettingRow& row, bool* usable);
    // A slot's or string's stored text as start-up takes it.
    QString TxtStart(const quenby::SettingRow& row);

    // The settings file and the saved-texts file in the program's folder.
    QString settingsPath() const;
    QString textsPath() const;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    // The window keeps one size. Qt's own title bar on Wayland still offers
    // maximize, and the compositor then sends a size the window must take
    // (else it ends the program), so the window takes it and asks back.
    void windowStateAsked(Qt::WindowState state);
    void connectHandlers();

    // The slot change handling shared by the twelve slot boxes.
    void slotChange(quenby::LineBox* box);
    // The store handling of a check box or of the case buttons: the value
    // under the control's key.
    void storeControl(const QWidget* control);
    // The store handling of Auto-Copy and Auto-Paste, with their question.
    void storeConfirmed(quenby::CheckBox* box, const QString& question);
    // Makes what the program writes into the input boxes, until the result
    // is dropped, one step that the user can undo back to the present input.
    quenby::TextArea::Replacement replacingInput();
    // Selects all or nothing of the shown input or output box.
    void selectShown(quenby::TextArea* wrapping, quenby::TextArea* plain, bool all);
    // The Auto-Copy look, on or off.
    void showAutoCopyLook(bool on);

    // The clipboard actions of "Paste Input" and "Copy Output", shared with
    // start-up and SkivIt.
    void pasteInput();
    void copyOutput();
    // Runs a clipboard action the user asked for; reports a refusal.
    void clipboardAction(const std::function<void()>& action);
    // "Reset to Defaults": every control to its default, both files emptied.
    void setDefaults();

    // The control of a settings row.
    QWidget* controlOf(const quenby::SettingRow& row) const;
    void setNumber(const quenby::SettingRow& row, int value);
    void setText(const quenby::SettingRow& row, const QString& text);
    // Restores one setting at start-up; false when the stored value was
    // invalid and the default was taken instead.
    bool restoreRow(const quenby::SettingRow& row);
    // A control's value as stored text, and as a number (0 for a text).
    QString storedValue(const quenby::SettingRow& row) const;
    int numberValue(const quenby::SettingRow& row) const;

    // Every setting and the input text as the controls hold them now: what
    // the store writes.
    quenby::HeldState heldState() const;
    // Tells the user that a write failed: a message box, or while the
    // program ends, a line on standard error.
    void writeFailed(const quenby::FileError& e);
    quenby::Answer ask(const quenby::Message& message);

    quenby::Platform m_platform;
    // Set while the window asks to leave a maximized or full-screen state.
    bool m_leavingFullSize = false;
    // Set once the program is ending: failures are no longer shown in boxes.
    bool m_quitting = false;
    quenby::Store m_store;
};
