// The game information dialog: how far the open game has come, the jigsaw's
// cut (pieces, turning, frame, shapes), its names, description and preview.
// Made for each use and run modally.
#pragma once

#include <QDialog>

class QLabel;
class QTextEdit;
class QPushButton;

// How far the open game has come.
struct TInfoCounts {
    int iPieces = 0;    // pieces in play
    int iUnsolved = 0;  // groups and single pieces left (the piece count while nothing is joined)
    int iPercent = 0;   // solved share, truncated; 100 once the game is solved
};
// Counts the groups along the draw order of the pieces in play.
TInfoCounts InfoCountPieces();

class MCInfo : public QDialog {
    Q_OBJECT
public:
    explicit MCInfo(QWidget* parent = nullptr);
    void FillInfo();      // from the open game
    void TranslateForm();
    int ShowForm();       // modal; answers 0 when closed

    QPushButton* o_ButClose = nullptr;
    QLabel* o_Thumb = nullptr;
    QTextEdit* o_Desc = nullptr;
    QLabel* o_JigCap = nullptr;
    QLabel* o_Jig0 = nullptr;
    QLabel* o_Jig1 = nullptr;
    QLabel* o_PieceNum = nullptr;
    QLabel* o_UnsolvedNum = nullptr;
    QLabel* o_SolvedPercent = nullptr;
    QLabel* o_Shapes = nullptr;
    QLabel* o_Border = nullptr;
    QLabel* o_Rotate = nullptr;
};

// Shows the information on the open game (the Game Info command).
void ShowGameInfo(QWidget* parent);
