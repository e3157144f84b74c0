// The download dialog's list: one entry per ".jpg" picture of the thumbnails
// folder, each standing for the jigsaw of the same name on the download site.
// A grid of 196 x 183 cells (a 180 x 135 picture and the name under it) in a
// scroll view; jigsaws already in the player's folder carry a check mark.
// Pictures are read lazily by a 0.1-second timer that works about 0.1 s per
// tick, so the dialog opens at once and keeps filling in while it is modal.
//
// The list is built on its first filling and only re-flagged afterwards:
// pictures added to the folder while the game runs appear after a restart.
#pragma once

#include "base/helpers.h"

#include <QImage>
#include <QScrollArea>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

// ---- Geometry (list coordinates: origin top-left of the document, y down) --------------
constexpr int kDnCellW = 196, kDnCellH = 183;   // one entry's cell
constexpr int kDnPicW = 180, kDnPicH = 135;     // its picture
constexpr int kDnMargin = 8;                    // around the grid; the picture's top inset
constexpr int kDnLabelH = 24;                   // the name under the picture
constexpr int kDnLabelUp = 32;                  // label top above the cell's bottom row
constexpr int kDnMinListW = 212;                // narrower documents are not laid out

// One entry.
struct ODnListThumb {
    bool bNewJig = true;         // the jigsaw file is not in the player's folder yet
    std::string sThumbAbsPath;   // the picture file
    std::string sJigAbsPath;     // where the jigsaw file lives once fetched
    std::string sDisplayName;    // the picture's file name less its extension
    QImage image;                // 180 x 135 once read; null until then (or when unreadable)
    TMyRect mrCell, mrThumb, mrLabel;  // cell, picture and label rectangles
};

// Lays entries out for a document `docW` wide: (docW - 16) / 196 columns,
// entry i in column i mod columns and row i div columns. Answers the
// document height (rows x 183 + 16), or -1 (nothing changed) below 212.
int DnListLayout(std::vector<ODnListThumb>& entries, int docW);
// The entries for a thumbnails folder: its files whose lower-cased extension
// is "jpg", in the user's locale order without regard to case; jigsaws named
// after them in jigsFolder with the extension jigExt, flagged new when absent.
std::vector<ODnListThumb> DnListEntries(const std::string& thumbFolder, const std::string& jigsFolder,
                                        const std::string& jigExt);
// The list picture of a loaded one: reduced in proportion to fit 180 x 135
// and centred on a transparent 180 x 135 picture. Null for a null source.
QImage DnListPicture(const QImage& src);
// Reads and decodes a list picture file through the picture gate; null when
// it is missing, too large or not a picture.
QImage DnReadListPicture(const std::string& path);

class MCDnScrollView;

// The flipped document view: draws the cells meeting the dirty rectangle and
// turns presses into selections.
class MCDnView : public QWidget {
    Q_OBJECT
public:
    explicit MCDnView(MCDnScrollView* scroll);
    void SetScrollView(MCDnScrollView* scroll) { o_ScrollView = scroll; }
    MCDnScrollView* o_ScrollView;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
};

// The scroll view holding the list.
class MCDnScrollView : public QScrollArea {
    Q_OBJECT
public:
    explicit MCDnScrollView(QWidget* parent);

    std::vector<ODnListThumb> arListThumbs;  // in display order
    bool bFilled = false;                    // arListThumbs has been built once
    int iSel = -1;                           // selected entry; -1 none
    int iReadThumbIndex = -1;                // the entry whose picture is read next; -1 none
    QTimer o_ReadThumbTimer;                 // 0.1 s, repeating while pictures remain
    double dTickBudget = 0.1;                // seconds of work per tick
    QImage p_nsiCheckmark;                   // the "already here" mark, drawn at its own size
    // The dialog's preview of an entry (SelectThumb); called on clicks and
    // when the selected entry's picture arrives.
    std::function<void(int index)> fnSelectThumb;

    MCDnView* View() const { return view_; }

    // First call: builds the list from the folders. Later calls: sets each
    // entry's new flag again from its jigsaw file and redraws when one
    // changed. Then selects the first entry when none is, scrolls the
    // selection into view and starts the picture reader.
    void UpdateListThumbs(const std::string& thumbFolder, const std::string& jigsFolder, const std::string& jigExt);
    // Drops the list, the selection and the reader (the next filling is a first one).
    void FreeListThumbs();
    bool hasListThumbs() const { return !arListThumbs.empty(); }
    void addListThumb(ODnListThumb t);
    ODnListThumb* Selected() { return iSel >= 0 && iSel < int(arListThumbs.size()) ? &arListThumbs[size_t(iSel)] : nullptr; }
    // Selects entry i (-1: none), redrawing both cells.
    void SetSelection(int i);
    void ScrollToEntry(int i);
    // The reader's cursor: none; the first entry; the next one (none after the last).
    void readThumb_SetNil() { iReadThumbIndex = -1; }
    void readThumb_SetFirst() { iReadThumbIndex = arListThumbs.empty() ? -1 : 0; }
    void readThumb_SetNext();
    // One tick of the reader: reads pictures from the cursor on until more
    // than dTickBudget seconds passed after a read; stops the timer after
    // the last entry. Answers the number of files tried.
    int ReadThumbTick();
    bool ReaderRunning() const { return o_ReadThumbTimer.isActive(); }
    // Re-tiles the document to the viewport's width.
    void ResizeListView();
    void RedrawEntry(int i);
    int EntryAt(const QPoint& p) const;  // document point; -1 none

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    MCDnView* view_;
};
