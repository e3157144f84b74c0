// The download list: which pictures are listed and how they are laid out,
// the lazy reader, the check mark and the clicks.
#include "download/dialog/dn_list.h"
#include "download_ui/dn_test_support.h"

#include <QTest>

namespace {

class DnList : public DnFixture {};

std::vector<ODnListThumb> Entries(int n) { return std::vector<ODnListThumb>(size_t(n), ODnListThumb{}); }

std::vector<std::string> Names(const std::vector<ODnListThumb>& list)
{
    std::vector<std::string> out;
    for (const ODnListThumb& t : list)
        out.push_back(t.sDisplayName);
    return out;
}

bool Inside(const TMyRect& in, const TMyRect& out)
{
    return in.L >= out.L && in.T >= out.T && in.R <= out.R && in.B <= out.B;
}

// Runs the reader to its end (it stops its timer after the last entry).
void ReadAll(MCDnScrollView& list)
{
    for (int ticks = 0; list.ReaderRunning() && ticks < 1000; ++ticks)
        list.ReadThumbTick();
    EXPECT_FALSE(list.ReaderRunning());
}

}  // namespace

// ---- Layout -----------------------------------------------------------------------------------

TEST(DnListLayout, WidthsDecideColumnsRowsAndHeight)
{
    struct Row { int width, entries, columns, height; } rows[] = {
        {212, 3, 1, 3 * 183 + 16},   // the narrowest laid-out width gives one column
        {407, 3, 1, 3 * 183 + 16},   // one pixel short of two columns
        {408, 3, 2, 2 * 183 + 16},
        {604, 10, 3, 748},           // ten in three columns: four rows
        {604, 0, 3, 16},             // an empty list is the margins alone
    };
    for (const Row& r : rows) {
        auto list = Entries(r.entries);
        EXPECT_EQ(DnListLayout(list, r.width), r.height) << r.width << " wide, " << r.entries << " entries";
        for (int i = 0; i < r.entries; ++i)
            EXPECT_EQ(list[size_t(i)].mrCell.L, 8 + 196 * (i % r.columns)) << r.width << " entry " << i;
    }
    // Too narrow a document leaves the layout as it was.
    auto list = Entries(4);
    ASSERT_EQ(DnListLayout(list, 500), 2 * 183 + 16);
    const auto before = list;
    EXPECT_EQ(DnListLayout(list, 211), -1);
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list[i].mrCell, before[i].mrCell);
}

TEST(DnListLayout, CellsTileWithoutOverlapAndHoldTheirPictureAndLabel)
{
    auto list = Entries(11);
    const int h = DnListLayout(list, 1000);
    for (size_t i = 0; i < list.size(); ++i) {
        const ODnListThumb& t = list[i];
        EXPECT_EQ(t.mrThumb.W, 180);
        EXPECT_EQ(t.mrThumb.H, 135);
        EXPECT_TRUE(Inside(t.mrThumb, t.mrCell)) << i;
        EXPECT_TRUE(Inside(t.mrLabel, t.mrCell)) << i;
        EXPECT_GT(t.mrLabel.T, t.mrThumb.B) << "the name lies under the picture";
        EXPECT_EQ(t.mrThumb.L - t.mrCell.L, t.mrCell.R - t.mrThumb.R) << "the picture is centred";
        EXPECT_LE(t.mrCell.R, 1000 - 8);
        EXPECT_LE(t.mrCell.B, h - 8);
        for (size_t k = 0; k < i; ++k) {
            TMyRect both;
            EXPECT_FALSE(MyRectIntersect(&both, t.mrCell, list[k].mrCell)) << i << " overlaps " << k;
        }
    }
}

// ---- Listing ----------------------------------------------------------------------------------

TEST_F(DnList, OnlyJpgPicturesAreListedInCaseInsensitiveOrder)
{
    for (const char* f : {"beta.jpg", "Alpha.JPG", "gamma.jpeg", "delta.png", "Epsilon.Jpg", "zeta.jpg.txt"})
        WriteJpeg(Thumb(f), 16, 12);
    WriteFileBytes(Jig("beta"), {'Z'});
    const auto list = DnListEntries(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    ASSERT_EQ(Names(list), (std::vector<std::string>{"Alpha", "beta", "Epsilon"}));
    EXPECT_TRUE(list[0].bNewJig);
    EXPECT_FALSE(list[1].bNewJig) << "its jigsaw is present";
    EXPECT_EQ(list[1].sJigAbsPath, Jig("beta"));
    EXPECT_EQ(list[1].sThumbAbsPath, Thumb("beta.jpg"));
}

TEST_F(DnList, LaterShowingsReflagButNeverAddOrRemove)
{
    WriteJpeg(Thumb("one.jpg"), 16, 12);
    WriteJpeg(Thumb("two.jpg"), 16, 12);
    MCDnScrollView list(nullptr);
    list.resize(700, 500);
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    ASSERT_EQ(Names(list.arListThumbs), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(list.iSel, 0) << "the first entry is selected when none is";

    WriteFileBytes(Jig("two"), {'Z'});
    WriteJpeg(Thumb("three.jpg"), 16, 12);
    std::remove(Thumb("one.jpg").c_str());
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    EXPECT_EQ(Names(list.arListThumbs), (std::vector<std::string>{"one", "two"}));
    EXPECT_FALSE(list.arListThumbs[1].bNewJig);

    std::remove(Jig("two").c_str());
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    EXPECT_TRUE(list.arListThumbs[1].bNewJig) << "a deleted jigsaw is new again";
}

// ---- The reader -------------------------------------------------------------------------------

TEST_F(DnList, AVanishedOrBrokenPictureDoesNotStopTheOthers)
{
    for (const char* f : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        WriteJpeg(Thumb(f), 400, 200);
    MCDnScrollView list(nullptr);
    list.resize(900, 600);
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    ASSERT_TRUE(list.ReaderRunning());
    std::remove(Thumb("b.jpg").c_str());
    WriteFileBytes(Thumb("c.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 'n', 'o', 't'});
    ReadAll(list);
    const auto& e = list.arListThumbs;
    EXPECT_FALSE(e[0].image.isNull());
    EXPECT_TRUE(e[1].image.isNull());
    EXPECT_TRUE(e[2].image.isNull());
    EXPECT_FALSE(e[3].image.isNull());
    EXPECT_EQ(e[3].image.size(), QSize(180, 135));
    // 400 x 200 fits 180 x 90, centred: the rows above and below stay clear.
    EXPECT_EQ(qAlpha(e[0].image.pixel(90, 10)), 0);
    EXPECT_EQ(qAlpha(e[0].image.pixel(90, 67)), 255);
}

TEST_F(DnList, ATickStopsOnceItsBudgetIsSpent)
{
    for (int i = 0; i < 6; ++i)
        WriteJpeg(Thumb("p" + std::to_string(i) + ".jpg"), 800, 600, i);
    MCDnScrollView list(nullptr);
    list.resize(900, 600);
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    list.dTickBudget = 0;  // every read spends it
    EXPECT_EQ(list.ReadThumbTick(), 1);
    EXPECT_TRUE(list.ReaderRunning());
    ReadAll(list);
    for (const ODnListThumb& t : list.arListThumbs)
        EXPECT_FALSE(t.image.isNull()) << t.sDisplayName;
}

// ---- Drawing and clicks -----------------------------------------------------------------------

TEST_F(DnList, PresentJigsawsCarryTheCheckMark)
{
    WriteJpeg(Thumb("here.jpg"), 16, 12);
    WriteJpeg(Thumb("away.jpg"), 16, 12);
    WriteFileBytes(Jig("here"), {'Z'});
    MCDnScrollView list(nullptr);
    list.p_nsiCheckmark = QImage(QString::fromStdString(FileNames.sResourcePath + "/dn-gull.png"));
    ASSERT_FALSE(list.p_nsiCheckmark.isNull());
    list.resize(700, 500);
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    list.SetSelection(-1);  // plain cells, no highlight
    // The mark's most opaque pixel, looked for at that place in each picture rectangle.
    const QImage mark = list.p_nsiCheckmark.convertToFormat(QImage::Format_ARGB32);
    QPoint solid;
    for (int y = 0; y < mark.height(); ++y)
        for (int x = 0; x < mark.width(); ++x)
            if (qAlpha(mark.pixel(x, y)) > qAlpha(mark.pixel(solid)))
                solid = QPoint(x, y);
    auto drawn = [&](const ODnListThumb& t) {
        const QImage shot = list.View()->grab().toImage();
        return shot.pixel(t.mrThumb.L + solid.x(), t.mrThumb.T + solid.y()) == mark.pixel(solid);
    };
    ASSERT_EQ(list.arListThumbs[0].sDisplayName, "away");
    EXPECT_FALSE(drawn(list.arListThumbs[0]));
    EXPECT_TRUE(drawn(list.arListThumbs[1]));
    // Fetched while the dialog shows: the flag clears and the next drawing has the mark.
    list.arListThumbs[0].bNewJig = false;
    EXPECT_TRUE(drawn(list.arListThumbs[0]));
}

TEST_F(DnList, ClicksSelectAndShowThePreview)
{
    for (const char* f : {"a.jpg", "b.jpg", "c.jpg"})
        WriteJpeg(Thumb(f), 16, 12);
    MCDnScrollView list(nullptr);
    list.resize(900, 600);
    list.show();
    list.UpdateListThumbs(FileNames.sThumbPath, FileNames.sJigsPath, "zjg");
    std::vector<int> previews;
    list.fnSelectThumb = [&](int i) { previews.push_back(i); };
    const TMyRect& c = list.arListThumbs[2].mrCell;
    QTest::mouseClick(list.View(), Qt::LeftButton, {}, QPoint(c.L + 5, c.B - 5));
    EXPECT_EQ(list.iSel, 2);
    // Below every cell: the selection stays and is shown again.
    QTest::mouseClick(list.View(), Qt::LeftButton, {}, QPoint(c.L + 5, c.B + 5));
    EXPECT_EQ(list.iSel, 2);
    EXPECT_EQ(previews, (std::vector<int>{2, 2}));
}
