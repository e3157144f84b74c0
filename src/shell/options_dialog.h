// MCOptions: the modal options dialog with six pages (autosave, sound, mouse,
// look, language, download source). Every control is loaded from the
// settings each time the dialog shows; the settings change only when the
// player presses OK, and Cancel leaves no trace.
//
// Lifetime: one per run, made on first use (CreateOptionsForm) and freed at
// shutdown (FreeOptionsForm).
#pragma once

#include "base/my_image.h"
#include "model/game_state.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;

// The nine mouse actions offered for each of the three gestures, labelled "Key%d".
constexpr int kMAChoiseCount = 9;
extern const MOUSE_ACTION MAChoise[kMAChoiseCount];
// The index of an action among MAChoise, -1 when it is none of them.
int MAChoiseIndex(const MOUSE_ACTION& a);
// 0 standard (DefMA), 1 kids (KidsMA), 2 custom: compared on all nine bytes.
int ClassifySchema(const MOUSE_SCHEMA& s);

enum TOptPage : int { kPageAutosave = 0, kPageSound, kPagePlay, kPageVisual, kPageLang, kPageDn };

class MCOptions : public QDialog {
    Q_OBJECT
public:
    explicit MCOptions(QWidget* parent);
    ~MCOptions() override;

    // Loads, runs modally, stores on OK; answers 1 (OK) or 0 (Cancel).
    int ShowForm();
    // Every control from the settings (what ShowForm does before it runs).
    void LoadControls();
    // The controls into the settings, in their fixed order (what OK does).
    void StoreControls();
    // All texts from the language file; the boxes are refilled.
    void TranslateForm();

    void ButOkPressed();
    void ButCancelPressed();
    void SchemaToCombos(const MOUSE_SCHEMA& s, bool clearFirst);
    void CheckPlaySchemas();
    void UpdateEmbossImage(int style);

    // Rebuilds every piece texture in an emboss style (tests count the calls).
    std::function<void(int style)> fnRebuildTextures;

    QPushButton* o_ButOk = nullptr;
    QPushButton* o_ButCancel = nullptr;
    QTabWidget* o_Pages = nullptr;
    // Autosave
    QCheckBox* o_AutoSave = nullptr;
    QLabel* o_AutoInterval = nullptr;
    QSlider* o_AutoSlider = nullptr;
    // Sound
    QLabel* o_SoundIcon = nullptr;
    QCheckBox* o_SoundPlay = nullptr;
    // Mouse
    QLabel* o_PlayModesCap = nullptr;
    QComboBox* o_PlayModes = nullptr;
    QLabel *o_PlayRotCWIcon = nullptr, *o_PlayRotCWCap = nullptr;
    QComboBox* o_PlayRotCW = nullptr;
    QLabel *o_PlayRotCCWIcon = nullptr, *o_PlayRotCCWCap = nullptr;
    QComboBox* o_PlayRotCCW = nullptr;
    QLabel* o_PlayRotWheelIcon = nullptr;
    QCheckBox* o_PlayRotWheel = nullptr;
    QLabel *o_PlayMoveOWIcon = nullptr, *o_PlayMoveOWCap = nullptr;
    QComboBox* o_PlayMoveOW = nullptr;
    QLabel* o_PlaySingleWinIcon = nullptr;
    QCheckBox* o_PlaySingleWin = nullptr;
    QCheckBox* o_PlayClickToDrag = nullptr;
    QFrame* o_StuckKoefSep = nullptr;
    QLabel *o_StuckKoefIcon = nullptr, *o_StuckKoef = nullptr;
    QSlider* o_StuckKoefSlider = nullptr;
    // Look
    QLabel* o_VisualEmbossCap = nullptr;
    QButtonGroup* o_VisualEmbossMatrix = nullptr;  // ids = the emboss styles, kEmbossNone..kEmbossLast
    QLabel* o_VisualEmbossImage = nullptr;
    QLabel* o_VisualShowJoinIcon = nullptr;
    QCheckBox* o_VisualShowJoin = nullptr;
    QCheckBox* o_VisualShadows = nullptr;  // pieces cast shadows
    // Language
    QLabel* o_LangCap = nullptr;
    QTableWidget* o_LangList = nullptr;
    // Download source
    QLabel* o_DnSrcCap = nullptr;
    QComboBox* o_DnSrc = nullptr;

    MOUSE_SCHEMA p_SelMA{};        // the scheme as edited
    OMyImagePtr p_miEmbossSrc;     // "opt_emboss.png" with alpha
    OMyImagePtr p_miEmbossDest;    // its embossed copy
    OMyImagePtr p_miEmbossRes;     // the preview on the table grey
    QStringList sSchemas;          // 3 translated scheme names
    QStringList sMAChoises;        // 9 translated action names

protected:
    void changeEvent(QEvent* e) override;

private:
    void BuildAutosavePage(QWidget* page);
    void BuildSoundPage(QWidget* page);
    void BuildPlayPage(QWidget* page);
    void BuildVisualPage(QWidget* page);
    void BuildLangPage(QWidget* page);
    void BuildDnPage(QWidget* page);
    void FillLangList();
    void AutoIntervalUpdateCap();
    void StuckKoefUpdateCap();
    void SchemaBoxChanged(int index);
    MOUSE_ACTION ActionOfBox(QComboBox* box, const MOUSE_ACTION& keep) const;

    bool bLoading_ = false;  // controls are being set from the settings
};

// The dialog of this run (null until the first use).
MCOptions* OptionsForm();
void CreateOptionsForm(QWidget* parent);
void FreeOptionsForm();
// The options command: makes the dialog when needed and runs it; 1 on OK.
int RunOptionsDialog();
