#include "shell/thumb_list.h"

#include "base/my_image_qt.h"
#include "base/thumb_cell_qt.h"
#include "files/files.h"
#include "model/puzzle.h"

#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The list's files of a folder, sorted in the user's locale without regard to case.
struct TFolderFile {
    QString name;
    double tModif = 0;
};
std::vector<TFolderFile> ListFolderFiles(const std::string& folder, const std::string& ext, const QCollator& order)
{
    std::vector<TFolderFile> out;
    const QDir dir(Q(folder));
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort)) {
        if (fi.suffix().toLower().toStdString() != ext)
            continue;
        out.push_back({fi.fileName(), double(fi.lastModified().toMSecsSinceEpoch()) / 1000.0});
    }
    std::stable_sort(out.begin(), out.end(),
                     [&](const TFolderFile& a, const TFolderFile& b) { return order.compare(a.name, b.name) < 0; });
    return out;
}

std::string JoinPath(const std::string& folder, const QString& name)
{
    std::string f = folder;
    if (!f.empty() && f.back() != '/')
        f += '/';
    return f + name.toStdString();
}

OListThumb MakeEntry(const std::string& folder, const TFolderFile& f)
{
    OListThumb t;
    t.sAbsPath = JoinPath(folder, f.name);
    t.sDisplayName = QFileInfo(f.name).completeBaseName().toStdString();
    t.tModif = f.tModif;
    return t;
}

// The thumbnail reduced to fit 160 x 120 and centred on a transparent 160 x 120 picture.
QImage ListPicture(const OMyImage& thumb)
{
    const QImage src = MyImageToQImage(thumb);
    if (src.isNull())
        return {};
    int w = src.width(), h = src.height();
    PropReduceWH(&w, &h, kThumbPicW, kThumbPicH);
    QImage pic(kThumbPicW, kThumbPicH, QImage::Format_ARGB32_Premultiplied);
    pic.fill(Qt::transparent);
    QPainter p(&pic);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect((kThumbPicW - w) / 2, (kThumbPicH - h) / 2, w, h), src);
    return pic;
}

}  // namespace

QCollator ListCollator()
{
    QCollator c{QLocale()};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

int CompareListNames(const QString& a, const QString& b) { return ListCollator().compare(a, b); }

int ThumbListLayout(std::vector<OListThumb>& entries, int docW)
{
    if (docW < kThumbMinListW)
        return -1;
    const int cols = (docW - 2 * kThumbMargin) / kThumbCellW;
    const int n = int(entries.size());
    const int rows = (n + cols - 1) / cols;
    for (int i = 0; i < n; ++i) {
        OListThumb& t = entries[size_t(i)];
        const int col = i % cols, row = i / cols;
        t.mrCell = vMyRectInitWH(kThumbMargin + kThumbCellW * col, kThumbMargin + kThumbCellH * row, kThumbCellW,
                                 kThumbCellH);
        t.mrThumb = vMyRectInitWH(t.mrCell.L + kThumbMargin, t.mrCell.T + kThumbMargin, kThumbPicW, kThumbPicH);
        t.mrLabel = vMyRectInitWH(t.mrThumb.L, t.mrCell.B - 32, kThumbPicW, kThumbLabelH);
    }
    return rows * kThumbCellH + 2 * kThumbMargin;
}

// ---- The document view -----------------------------------------------------------------

MCOpenView::MCOpenView(MCOpenScrollView* scroll) : QWidget(nullptr), o_ScrollView(scroll)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void MCOpenView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(13);
    p.setFont(f);
    const QFontMetrics fm(f);
    const auto& list = o_ScrollView->arListThumbs;
    for (int i = 0; i < int(list.size()); ++i) {
        const OListThumb& t = list[size_t(i)];
        if (!e->rect().intersects(ToQRect(t.mrCell)))
            continue;
        PaintThumbCell(p, palette(), fm,
                       {t.mrCell, t.mrThumb, t.mrLabel, &t.image, nullptr, Q(t.sDisplayName), i == o_ScrollView->iSel});
    }
}

void MCOpenView::mousePressEvent(QMouseEvent* e)
{
    const int i = o_ScrollView->EntryAt(e->position().toPoint());
    if (i < 0)
        return;
    o_ScrollView->SetSelection(i);
    emit o_ScrollView->thumbPressed(i);
    if (e->button() == Qt::RightButton)
        emit o_ScrollView->thumbContextMenu(i, e->globalPosition().toPoint());
}

void MCOpenView::mouseDoubleClickEvent(QMouseEvent* e)
{
    const int i = o_ScrollView->EntryAt(e->position().toPoint());
    if (i < 0 || e->button() != Qt::LeftButton)
        return;
    o_ScrollView->SetSelection(i);
    emit o_ScrollView->thumbPressed(i);
    emit o_ScrollView->thumbDoubleClicked(i);
}

// ---- The scroll view -----------------------------------------------------------------------

MCOpenScrollView::MCOpenScrollView(int page, QWidget* parent) : QScrollArea(parent), iPage(page)
{
    view_ = new MCOpenView(this);
    setWidget(view_);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setSingleStep(kThumbCellH / 4);
    // Drops reach a scroll area through its viewport.
    viewport()->setAcceptDrops(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    o_ReadThumbTimer.setInterval(100);
    // A QTimer fires in any event loop of this thread, the modal dialog's included.
    connect(&o_ReadThumbTimer, &QTimer::timeout, this, [this] { ReadThumbTick(); });
}

int MCOpenScrollView::IndexOfPath(const std::string& path) const
{
    const QString p = Q(path);
    for (int i = 0; i < int(arListThumbs.size()); ++i)
        if (Q(arListThumbs[size_t(i)].sAbsPath).compare(p, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool MCOpenScrollView::UpdateListThumbs(const std::string& folder, const std::string& ext, const std::string& selPath)
{
    const QCollator order = ListCollator();
    const std::vector<TFolderFile> files = ListFolderFiles(folder, ext, order);
    const std::string selected = Selected() ? Selected()->sAbsPath : std::string();
    bool changed = false;
    if (!bFilled) {
        arListThumbs.clear();
        arListThumbs.reserve(files.size());
        for (const TFolderFile& f : files)
            arListThumbs.push_back(MakeEntry(folder, f));
        bFilled = true;
        changed = true;
    } else {
        // Paths compare without regard to case, as the lists always have.
        QHash<QString, size_t> present;
        for (size_t k = 0; k < files.size(); ++k)
            present.insert(Q(JoinPath(folder, files[k].name)).toLower(), k);
        const size_t before = arListThumbs.size();
        std::erase_if(arListThumbs, [&](const OListThumb& t) { return !present.contains(Q(t.sAbsPath).toLower()); });
        changed = arListThumbs.size() != before;
        QHash<QString, size_t> listed;
        for (size_t i = 0; i < arListThumbs.size(); ++i)
            listed.insert(Q(arListThumbs[i].sAbsPath).toLower(), i);
        std::vector<OListThumb> added;
        for (const TFolderFile& f : files) {
            const QString key = Q(JoinPath(folder, f.name)).toLower();
            const auto at = listed.constFind(key);
            if (at == listed.constEnd()) {
                added.push_back(MakeEntry(folder, f));
                continue;
            }
            OListThumb& t = arListThumbs[*at];
            // Any other time, older included, is another file: a copy put back keeps its date.
            if (t.tModif != f.tModif) {
                t.image = QImage();
                t.tModif = f.tModif;
                changed = true;
            }
        }
        // Each new entry goes before the first entry whose name sorts after its own.
        for (OListThumb& t : added) {
            const QString name = Q(t.sDisplayName);
            auto pos = std::find_if(arListThumbs.begin(), arListThumbs.end(), [&](const OListThumb& o) {
                return order.compare(Q(o.sDisplayName), name) > 0;
            });
            arListThumbs.insert(pos, std::move(t));
            changed = true;
        }
    }
    iSel = selected.empty() ? -1 : IndexOfPath(selected);
    if (changed)
        ResizeListView();
    if (!TrimStrEmpty(selPath)) {
        const int i = IndexOfPath(selPath);
        if (i >= 0)
            SetSelection(i, true);
    }
    StartReader();
    return changed;
}

void MCOpenScrollView::ClearList()
{
    arListThumbs.clear();
    bFilled = false;
    iSel = -1;
    iReadThumbIndex = -1;
    o_ReadThumbTimer.stop();
    ResizeListView();
}

void MCOpenScrollView::DeleteListThumb(int i)
{
    if (i < 0 || i >= int(arListThumbs.size()))
        return;
    arListThumbs.erase(arListThumbs.begin() + i);
    if (iSel == i)
        iSel = -1;
    else if (iSel > i)
        --iSel;
    if (iReadThumbIndex > i)
        --iReadThumbIndex;
    ResizeListView();
}

void MCOpenScrollView::SetSelection(int i, bool scroll)
{
    if (i >= int(arListThumbs.size()))
        i = -1;
    const int old = iSel;
    iSel = i;
    RedrawEntry(old);
    RedrawEntry(i);
    if (scroll && i >= 0) {
        const TMyRect& c = arListThumbs[size_t(i)].mrCell;
        ensureVisible(c.L + c.W / 2, c.T + c.H / 2, c.W / 2, c.H / 2);
    }
}

void MCOpenScrollView::RedrawEntry(int i)
{
    if (i >= 0 && i < int(arListThumbs.size()))
        view_->update(ToQRect(arListThumbs[size_t(i)].mrCell));
}

int MCOpenScrollView::EntryAt(const QPoint& p) const
{
    for (int i = 0; i < int(arListThumbs.size()); ++i)
        if (MyRectIsCoordsIn(p.x(), p.y(), arListThumbs[size_t(i)].mrCell))
            return i;
    return -1;
}

void MCOpenScrollView::ResizeListView()
{
    const int w = viewport()->width();
    const int h = ThumbListLayout(arListThumbs, w);
    if (h < 0)
        return;
    view_->resize(w, h);
    view_->update();
}

void MCOpenScrollView::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
    ResizeListView();
}

void MCOpenScrollView::StartReader()
{
    iReadThumbIndex = arListThumbs.empty() ? -1 : 0;
    if (!arListThumbs.empty() && !o_ReadThumbTimer.isActive())
        o_ReadThumbTimer.start();
}

bool MCOpenScrollView::ReadEntryPicture(OListThumb& t)
{
    const bool ok = IsSolveFile(t.sAbsPath) ? OpenSolveFile_ForListOrPreview(t.sAbsPath, true)
                                            : OpenJigFile_ForListOrPreview(t.sAbsPath, true);
    if (!ok || !miReadThumb || miReadThumb->W < 1)
        return false;
    t.image = ListPicture(*miReadThumb);
    return !t.image.isNull();
}

int MCOpenScrollView::ReadThumbTick()
{
    QElapsedTimer clock;
    clock.start();
    int read = 0;
    const QRect visible(view_->mapFrom(viewport(), QPoint(0, 0)), viewport()->size());
    while (iReadThumbIndex >= 0 && iReadThumbIndex < int(arListThumbs.size())) {
        const int i = iReadThumbIndex++;
        OListThumb& t = arListThumbs[size_t(i)];
        if (!t.image.isNull())
            continue;
        ++read;
        // A failed read leaves the entry without a picture; the walk goes on past it.
        if (ReadEntryPicture(t) && ToQRect(t.mrThumb).intersects(visible))
            view_->update(ToQRect(t.mrThumb));
        if (double(clock.nsecsElapsed()) > dTickBudget * 1e9)
            return read;
    }
    iReadThumbIndex = -1;
    o_ReadThumbTimer.stop();
    return read;
}

void MCOpenScrollView::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void MCOpenScrollView::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile())
            paths << u.toLocalFile();
    if (!paths.isEmpty()) {
        e->acceptProposedAction();
        emit filesDropped(paths);
    }
}
