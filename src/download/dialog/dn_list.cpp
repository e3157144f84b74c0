#include "download/dialog/dn_list.h"

#include "base/my_image_qt.h"
#include "base/thumb_cell_qt.h"
#include "files/files.h"

#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A list picture is a small JPEG of ours; anything far larger is not one.
constexpr size_t kMaxListPictureBytes = 8u << 20;
constexpr int kMaxListPictureSide = 4096;

std::string FolderSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + '/';
}

}  // namespace

// ---- Pure parts -----------------------------------------------------------------------------

int DnListLayout(std::vector<ODnListThumb>& entries, int docW)
{
    if (docW < kDnMinListW)
        return -1;
    const int cols = (docW - 2 * kDnMargin) / kDnCellW;
    const int n = int(entries.size());
    const int rows = (n + cols - 1) / cols;
    for (int i = 0; i < n; ++i) {
        ODnListThumb& t = entries[size_t(i)];
        const int col = i % cols, row = i / cols;
        t.mrCell = vMyRectInitWH(kDnMargin + kDnCellW * col, kDnMargin + kDnCellH * row, kDnCellW, kDnCellH);
        t.mrThumb = vMyRectInitWH(t.mrCell.L + (kDnCellW - kDnPicW) / 2, t.mrCell.T + kDnMargin, kDnPicW, kDnPicH);
        t.mrLabel = vMyRectInitWH(t.mrThumb.L, t.mrCell.B - kDnLabelUp, kDnPicW, kDnLabelH);
    }
    return rows * kDnCellH + 2 * kDnMargin;
}

std::vector<ODnListThumb> DnListEntries(const std::string& thumbFolder, const std::string& jigsFolder,
                                        const std::string& jigExt)
{
    QCollator order{QLocale()};
    order.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList names;
    for (const QFileInfo& fi : QDir(Q(thumbFolder)).entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort))
        if (fi.suffix().toLower() == QLatin1String("jpg"))
            names << fi.fileName();
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return order.compare(a, b) < 0; });
    std::vector<ODnListThumb> out;
    out.reserve(size_t(names.size()));
    const std::string jigs = FolderSlash(jigsFolder);
    for (const QString& name : names) {
        ODnListThumb t;
        t.sThumbAbsPath = FolderSlash(thumbFolder) + name.toStdString();
        t.sDisplayName = QFileInfo(name).completeBaseName().toStdString();
        t.sJigAbsPath = jigs + t.sDisplayName + "." + jigExt;
        t.bNewJig = !FileExists(t.sJigAbsPath);
        out.push_back(std::move(t));
    }
    return out;
}

QImage DnListPicture(const QImage& src)
{
    if (src.isNull())
        return {};
    int w = src.width(), h = src.height();
    PropReduceWH(&w, &h, kDnPicW, kDnPicH);
    QImage pic(kDnPicW, kDnPicH, QImage::Format_ARGB32_Premultiplied);
    pic.fill(Qt::transparent);
    QPainter p(&pic);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect((kDnPicW - w) / 2, (kDnPicH - h) / 2, w, h), src);
    return pic;
}

QImage DnReadListPicture(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, kMaxListPictureBytes, &bytes))
        return {};
    TPictureLimits limits;
    limits.maxSide = kMaxListPictureSide;
    limits.maxPixels = int64_t(kMaxListPictureSide) * kMaxListPictureSide;
    limits.seconds = 2.0;
    const OMyImagePtr img = DecodePicture(bytes.data(), bytes.size(), true, limits);
    return img ? MyImageToQImage(*img) : QImage();
}

// ---- The document view ------------------------------------------------------------------------

MCDnView::MCDnView(MCDnScrollView* scroll) : QWidget(nullptr), o_ScrollView(scroll)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void MCDnView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    QFont f = font();
    f.setPixelSize(13);
    p.setFont(f);
    const QFontMetrics fm(f);
    const auto& list = o_ScrollView->arListThumbs;
    for (int i = 0; i < int(list.size()); ++i) {
        const ODnListThumb& t = list[size_t(i)];
        if (!e->rect().intersects(ToQRect(t.mrCell)))
            continue;
        PaintThumbCell(p, palette(), fm,
                       {t.mrCell, t.mrThumb, t.mrLabel, &t.image, t.bNewJig ? nullptr : &o_ScrollView->p_nsiCheckmark,
                        Q(t.sDisplayName), i == o_ScrollView->iSel});
    }
}

void MCDnView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    // A click outside every cell keeps the selection and shows it again.
    const int i = o_ScrollView->EntryAt(e->position().toPoint());
    if (i >= 0)
        o_ScrollView->SetSelection(i);
    if (o_ScrollView->fnSelectThumb)
        o_ScrollView->fnSelectThumb(o_ScrollView->iSel);
}

// ---- The scroll view --------------------------------------------------------------------------

MCDnScrollView::MCDnScrollView(QWidget* parent) : QScrollArea(parent)
{
    view_ = new MCDnView(this);
    setWidget(view_);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setSingleStep(kDnCellH / 4);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    o_ReadThumbTimer.setInterval(100);
    // A QTimer fires in any event loop of this thread: the modal dialog's,
    // and the wait for a transfer, included.
    connect(&o_ReadThumbTimer, &QTimer::timeout, this, [this] { ReadThumbTick(); });
}

void MCDnScrollView::UpdateListThumbs(const std::string& thumbFolder, const std::string& jigsFolder,
                                      const std::string& jigExt)
{
    if (!bFilled) {
        arListThumbs = DnListEntries(thumbFolder, jigsFolder, jigExt);
        bFilled = true;
        ResizeListView();
    } else {
        bool changed = false;
        for (ODnListThumb& t : arListThumbs) {
            const bool isNew = !FileExists(t.sJigAbsPath);
            changed = changed || isNew != t.bNewJig;
            t.bNewJig = isNew;
        }
        if (changed)
            view_->update();
    }
    if (iSel < 0 && hasListThumbs())
        SetSelection(0);
    ScrollToEntry(iSel);
    readThumb_SetFirst();
    if (hasListThumbs() && !o_ReadThumbTimer.isActive())
        o_ReadThumbTimer.start();
}

void MCDnScrollView::FreeListThumbs()
{
    arListThumbs.clear();
    bFilled = false;
    iSel = -1;
    readThumb_SetNil();
    o_ReadThumbTimer.stop();
    ResizeListView();
}

void MCDnScrollView::addListThumb(ODnListThumb t)
{
    arListThumbs.push_back(std::move(t));
    bFilled = true;
}

void MCDnScrollView::SetSelection(int i)
{
    if (i >= int(arListThumbs.size()))
        i = -1;
    const int old = iSel;
    iSel = i;
    if (old != i) {
        RedrawEntry(old);
        RedrawEntry(i);
    }
}

void MCDnScrollView::ScrollToEntry(int i)
{
    if (i < 0 || i >= int(arListThumbs.size()))
        return;
    const TMyRect& c = arListThumbs[size_t(i)].mrCell;
    ensureVisible(c.L + c.W / 2, c.T + c.H / 2, c.W / 2, c.H / 2);
}

void MCDnScrollView::readThumb_SetNext()
{
    if (iReadThumbIndex >= 0 && ++iReadThumbIndex >= int(arListThumbs.size()))
        iReadThumbIndex = -1;
}

void MCDnScrollView::RedrawEntry(int i)
{
    if (i >= 0 && i < int(arListThumbs.size()))
        view_->update(ToQRect(arListThumbs[size_t(i)].mrCell));
}

int MCDnScrollView::EntryAt(const QPoint& p) const
{
    for (int i = 0; i < int(arListThumbs.size()); ++i)
        if (MyRectIsCoordsIn(p.x(), p.y(), arListThumbs[size_t(i)].mrCell))
            return i;
    return -1;
}

void MCDnScrollView::ResizeListView()
{
    const int w = viewport()->width();
    const int h = DnListLayout(arListThumbs, w);
    if (h < 0)
        return;
    view_->resize(w, h);
    view_->update();
}

void MCDnScrollView::resizeEvent(QResizeEvent* e)
{
    QScrollArea::resizeEvent(e);
    ResizeListView();
}

int MCDnScrollView::ReadThumbTick()
{
    QElapsedTimer clock;
    clock.start();
    int tried = 0;
    const QRect visible(view_->mapFrom(viewport(), QPoint(0, 0)), viewport()->size());
    for (; iReadThumbIndex >= 0; readThumb_SetNext()) {
        ODnListThumb& t = arListThumbs[size_t(iReadThumbIndex)];
        if (!t.image.isNull() || !FileExists(t.sThumbAbsPath))
            continue;
        ++tried;
        // An unreadable picture leaves the entry without one; the walk goes on past it.
        t.image = DnListPicture(DnReadListPicture(t.sThumbAbsPath));
        if (!t.image.isNull()) {
            if (ToQRect(t.mrThumb).intersects(visible))
                view_->update(ToQRect(t.mrThumb));
            if (iReadThumbIndex == iSel && fnSelectThumb)
                fnSelectThumb(iSel);
        }
        if (double(clock.nsecsElapsed()) > dTickBudget * 1e9) {
            readThumb_SetNext();
            if (iReadThumbIndex >= 0)
                return tried;
            break;
        }
    }
    o_ReadThumbTimer.stop();
    return tried;
}
