// MCOpen, the open and new-jigsaw dialog: one modal dialog with two styles.
// Open style (1): the player picks a jigsaw or a saved game from two
// thumbnail lists and, for a jigsaw, chooses the cut on the level page.
// Save style (2): the player names the saved game. Created once at start-up
// and kept (its lists, pictures read, seed toggle and choices persist
// between uses). The caller presets sDVFileName, runs SetFormStyle and
// exec(), and reads the modal code (0 cancelled, 1 accepted with the path in
// sDVFileName, 2 the extra button: more jigsaws).
#pragma once

#include "base/my_image.h"
#include "model/puzzle.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <optional>
#include <string>

class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTabWidget;
class QToolButton;
class QGroupBox;
class QAction;
class MCOpenScrollView;

// ---- Process-wide state (per run) ---------------------------------------------------------
class MCOpen;
extern MCOpen* g_OpenForm;      // the single dialog; null before CreateOpenForm
extern bool g_OpenFormInit;     // InitForm has finished
extern int iDVStyle;            // 1 open style, 2 save style
extern std::string sDVFileName; // the chosen absolute path: preset and result

constexpr int kOpenFormMinW = 807, kOpenFormMinH = 589;
constexpr int kMaxOpenPieces = 4000;         // more pieces are refused
constexpr int kPieceSizeW = 164, kPieceSizeH = 168;  // the piece-size preview bitmap

// Creates the dialog (a child of parent, freed with it) and fills its lists.
MCOpen* CreateOpenForm(QWidget* parent);
void FreeOpenForm();

// ---- Level-page arithmetic (no widgets) ---------------------------------------------------
// A count of pieces the player may choose: 1..4000.
bool PieceCountAllowed(int count);
// The piece count of p's level for a w x h picture with the given frame, and
// p's MaskS, TileS, MaskOfs, StuckD and grid counts from it (fills MaskParams).
int CountNewJigPieces(TJigParams& p, int w, int h, int border);
// Where the piece-size preview draws a tile of side s: the drawn size inside
// the 164 x 168 bitmap, and the size the bitmap is shown at (larger than
// the bitmap for big tiles, centred and overhanging).
struct TPieceSizeGeometry {
    int drawW = kPieceSizeW, drawH = kPieceSizeH;
    int viewW = kPieceSizeW, viewH = kPieceSizeH;
};
TPieceSizeGeometry PieceSizeGeometry(int tileS);
// The 164 x 168 preview of one piece of `shape` at tile side s: the shape's
// cell of the masks picture, hardened, filled with the background picture,
// embossed with `emboss`. Null when a source picture is missing.
OMyImagePtr DrawPieceSize(const OMyImage& masks, const OMyImage& bkg, int tileS, int shape, int emboss);
// The trimmed seed text as a seed; nullopt for an empty text.
std::optional<int32_t> ParseSeedText(const std::string& text);

// ---- Own pictures ---------------------------------------------------------------------------
// Makes a jigsaw of the picture file `picture` in `folder`: decoded and
// checked by our decoder, a thumbnail fitting 160 x 120, the picture's own
// bytes kept, named after the picture (made unique), written atomically.
// False with a message for the player (nothing written) when the picture
// cannot be used.
bool MakeJigsawFromPicture(const std::string& picture, const std::string& folder, std::string* jigsaw,
                           std::string* message);

// ---- The dialog -------------------------------------------------------------------------------
class MCOpen : public QDialog {
    Q_OBJECT
public:
    explicit MCOpen(QWidget* parent);
    ~MCOpen() override;

    void InitForm();
    void SetFormStyle(int style);
    void SetFileName(const std::string& name);
    std::string FileName() const;
    std::string GetFileNameFromText();
    void FromOptToComps(const TJigParams& p);
    bool ShowPieceNum();
    void RedrawPieceSize();
    bool CheckAndShowFile();
    void CheckAndOpenFile();
    void CheckAndSaveFile();
    // The seed typed in the seed box: nullopt (and *stored 0) while the box
    // is hidden or the field is empty.
    std::optional<int32_t> GetSeed();
    void SetSeed(int32_t seed);
    void TranslateForm();
    // Adds the player's picture as a jigsaw, selected in the list; false
    // (after telling the player) when it cannot be used.
    bool AddOwnPicture(const std::string& path);

    // Button handlers (public for the tests: they are what the controls do).
    void ButOkPressed();
    void ButCancelPressed();
    void ButExtraPressed();
    void ShapePressed(int tag);
    void BorderPressed(int tag);
    void MixPressed(int tag);
    void RotatePressed();
    void FitPressed();
    void SliderMoved(int value);
    void SeedButtonPressed();
    void MenuDelete(MCOpenScrollView* list, bool all);
    int GetSelBorder() const;

    // Controls, in the order the dialog shows them.
    QTabWidget* o_Pages = nullptr;
    QWidget *p_PageJigs = nullptr, *p_PageGames = nullptr, *p_PageLevel = nullptr;
    MCOpenScrollView* o_JigsScrollView = nullptr;
    MCOpenScrollView* o_GamesScrollView = nullptr;
    QPushButton* o_ButAddPicture = nullptr;
    QLabel* o_FileNameCap = nullptr;
    QLineEdit* o_FileName = nullptr;
    QLabel* o_PreviewThumb = nullptr;
    QLabel* o_Comment = nullptr;
    QPushButton* o_SeedButton = nullptr;
    QWidget* o_SeedBox = nullptr;
    QLineEdit* o_SeedText = nullptr;
    QGroupBox* o_SizeBox = nullptr;
    QLabel* o_SizeImageView = nullptr;
    QSlider* o_SizeSlider = nullptr;
    QGroupBox* o_ShapesBox = nullptr;
    std::array<QToolButton*, 7> o_ShapeBut{};
    QLabel* o_BorderCap = nullptr;
    std::array<QToolButton*, 2> o_BorderBut{};
    QLabel* o_MixCap = nullptr;
    std::array<QToolButton*, 2> o_MixBut{};
    QLabel* o_RotateCap = nullptr;
    QToolButton* o_Rotate = nullptr;
    QLabel* o_FitCap = nullptr;
    QToolButton* o_Fit = nullptr;
    QPushButton* o_ButOk = nullptr;
    QPushButton* o_ButCancel = nullptr;
    QPushButton* o_ButExtra = nullptr;
    QMenu* o_MenuJigs = nullptr;
    QAction *o_MenuJigsDel = nullptr, *o_MenuJigsDelAll = nullptr;
    QMenu* o_MenuGames = nullptr;
    QAction *o_MenuGamesDel = nullptr, *o_MenuGamesDelAll = nullptr;

    OMyImagePtr p_miPieceSize;         // the 164 x 168 preview bitmap
    OMyImagePtr p_nsiShapeBkg, p_nsiShapeMasks;  // its two source pictures
    bool p_bProgChange = false;
    uint8_t p_bFilePreview = 0;        // 0 nothing, 1 a jigsaw shown, 2 a saved game shown
    bool p_bSeedShown = false;         // the seed button is visible and its box shown
    QImage p_PreviewImage;             // what the preview shows (tests read it)

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void BuildPages();
    void BuildMenusAndConnect();
    QWidget* BuildLevelPage();
    QLayout* BuildSizeColumn(QWidget* page);
    QLayout* BuildChoiceColumn(QWidget* page);
    QLayout* BuildSeedRow(QWidget* page);
    void TabSelected(int index);
    void ThumbPressed(MCOpenScrollView* list, int index);
    void ThumbDoubleClicked(MCOpenScrollView* list, int index);
    void ShowPopupMenu(MCOpenScrollView* list, const QPoint& globalPos);
    void SetParamControlsEnabled(bool on);
    void ClearPreview();
    void ShowPreviewImage(const OMyImage* thumb);
    void AfterListChange(MCOpenScrollView* list);
    void AddPicturePressed();
    void RefillLists();
    bool IsLevelTab() const;
    void UpdateCountControls(bool ok);
};
