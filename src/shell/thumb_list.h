// The thumbnail lists of the open dialog: one entry per jigsaw or saved game
// of a folder, drawn as a grid of 176 x 168 cells (a 160 x 120 picture and
// the name under it) in a scroll view. The pictures are read lazily by a
// 0.1-second timer that works about 0.1 s per tick, so a folder of hundreds
// of files shows at once and fills in tick by tick, also while the dialog is
// modal.
#pragma once

#include "base/helpers.h"

#include <QCollator>
#include <QImage>
#include <QScrollArea>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

// ---- Geometry (list coordinates: origin top-left of the document, y down) --------------
constexpr int kThumbCellW = 176, kThumbCellH = 168;   // one entry's cell
constexpr int kThumbPicW = 160, kThumbPicH = 120;     // its picture
constexpr int kThumbMargin = 8;                       // around the grid and inside a cell
constexpr int kThumbLabelH = 24;                      // the name under the picture
constexpr int kThumbMinListW = 192;                   // narrower documents are not laid out

// One list entry (a file of the list's folder).
struct OListThumb {
    bool bDist = false;         // a jigsaw that came with the game (unused by the lists themselves)
    std::string sAbsPath;       // folder/name
    std::string sDisplayName;   // the file name less its extension
    QImage image;               // 160 x 120 once read; null until then
    double tModif = 0;          // the file's modification time, seconds since 1970
    TMyRect mrCell, mrThumb, mrLabel;  // cell, picture and label rectangles
};

// Lays entries out for a document `docW` wide: (docW - 16) / 176 columns,
// entry i in column i mod columns and row i div columns. Answers the
// document height (rows x 168 + 16), or -1 (nothing changed) below 192.
int ThumbListLayout(std::vector<OListThumb>& entries, int docW);

// Case-insensitive comparison in the user's locale (the lists' order).
QCollator ListCollator();
int CompareListNames(const QString& a, const QString& b);

class MCOpenScrollView;

// The document view of one list: draws the cells meeting the dirty rectangle
// and turns presses, double clicks and context clicks into the list's signals.
class MCOpenView : public QWidget {
    Q_OBJECT
public:
    explicit MCOpenView(MCOpenScrollView* scroll);
    MCOpenScrollView* o_ScrollView;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// A scroll view holding one list.
class MCOpenScrollView : public QScrollArea {
    Q_OBJECT
public:
    MCOpenScrollView(int page, QWidget* parent);

    int iPage;                            // 0 jigsaw list, 1 saved-game list
    bool bFilled = false;                 // arListThumbs has been filled once
    std::vector<OListThumb> arListThumbs; // in display order
    int iSel = -1;                        // selected entry; -1 none
    int iReadThumbIndex = -1;             // the entry whose picture is read next; -1 none
    QTimer o_ReadThumbTimer;              // 0.1 s, repeating while pictures remain
    double dTickBudget = 0.1;             // seconds of work per tick

    MCOpenView* View() const { return view_; }

    // Fills the list from the files of `folder` whose extension (lower case)
    // is `ext`; later calls bring it up to date (new files inserted in order,
    // vanished ones removed, changed ones read again). Selects `selPath`
    // when it names an entry, then starts the picture reader. Answers
    // whether the entries changed.
    bool UpdateListThumbs(const std::string& folder, const std::string& ext, const std::string& selPath);
    // Empties the list (the next fill is a first one).
    void ClearList();
    // Removes entry i, keeping the selection and the reader in step.
    void DeleteListThumb(int i);
    // Selects entry i (-1: none), redrawing both cells; scrolls it into view.
    void SetSelection(int i, bool scroll = false);
    int IndexOfPath(const std::string& path) const;  // case-insensitive; -1 none
    const OListThumb* Selected() const { return iSel >= 0 ? &arListThumbs[size_t(iSel)] : nullptr; }
    // Re-tiles the document to the viewport's width.
    void ResizeListView();
    // Starts the picture reader at the first entry.
    void StartReader();
    // One tick of the reader: reads pictures from the current entry until
    // more than dTickBudget seconds passed after a read; stops the timer
    // after the last entry. Answers the number of files read.
    int ReadThumbTick();
    int EntryAt(const QPoint& p) const;  // document point; -1 none

signals:
    void thumbPressed(int index);
    void thumbDoubleClicked(int index);
    void thumbContextMenu(int index, const QPoint& globalPos);
    void filesDropped(const QStringList& paths);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    bool ReadEntryPicture(OListThumb& t);
    void RedrawEntry(int i);
    MCOpenView* view_;
};
