// What an idle field does without: the still buffer between gestures, the
// thumbnail's texture while the thumbnail is hidden, the lens while the
// glass is, and the picture's pixels once the game is open.
#include "field_fixture.h"

#include "field/compose.h"
#include "field/field_gl.h"
#include "field/field_win.h"
#include "field/tools.h"
#include "model/game_picture.h"
#include "model/puzzle.h"

#include <gtest/gtest.h>

namespace {

void PackPictureNow()
{
    TPicturePackJob job;
    ASSERT_TRUE(GamePicture_StartPack(&job));
    GamePicture_RunPack(job);
    ASSERT_TRUE(GamePicture_FinishPack(job));
}

}  // namespace

TEST(FieldIdle, TheStillBufferLivesOnlyAroundGesturesAndAFrameWithoutItIsTheSame)
{
    FieldHarness h;
    h.Open({});
    iStillBufIdleMs = 50;
    EXPECT_EQ(rbStill.fbo, 0u);  // an open game that nobody touched has none
    const QPoint from = FieldHarness::PieceCentre(0);
    const QPoint a = from + QPoint(150, 120), b = from + QPoint(260, 40);
    h.Press(from);
    h.Move(a);
    EXPECT_NE(rbStill.fbo, 0u);
    const QImage withStill = h.Frame();
    h.Wait(200);  // a piece still held: kept however long it takes
    EXPECT_NE(rbStill.fbo, 0u);
    // Given back in the middle of the drag: the moves compose the rest anew.
    h.Move(b);
    h.view()->makeCurrent();
    StillBuf_Release();
    h.view()->doneCurrent();
    h.Move(a);
    EXPECT_EQ(rbStill.fbo, 0u);
    EXPECT_EQ(h.Frame(), withStill);
    h.Release(a);
    h.Frame();
    h.Press(from + QPoint(300, 300));  // a selection frame over empty table: made again
    h.Move(from + QPoint(340, 330));
    EXPECT_NE(rbStill.fbo, 0u);
    h.Release(from + QPoint(340, 330));
    h.Frame();
    h.Wait(300);
    EXPECT_EQ(rbStill.fbo, 0u);
    EXPECT_EQ(Rgb(h.Frame(), a.x(), a.y()), PieceColour(0));
    // The mouse moving over the field makes it ahead of the next gesture.
    h.Move(a + QPoint(30, 30), Qt::NoButton);
    EXPECT_NE(rbStill.fbo, 0u);
    h.Wait(300);
    EXPECT_EQ(rbStill.fbo, 0u);
    iStillBufIdleMs = 2000;
}

TEST(FieldIdle, TheThumbnailAndTheLensAreMadeWhenFirstShownTheThumbnailFromThePackedPicture)
{
    FieldHarness h;
    h.Open({});
    // A picture whose every pixel differs from its neighbours.
    for (int y = 0; y < miJigs->H; ++y) {
        uint8_t* p = MyImageGetLineXY(*miJigs, 0, y);
        for (int x = 0; x < miJigs->W; ++x, p += miJigs->iBPP)
            p[0] = uint8_t(x * 5 + y), p[1] = uint8_t(y * 3), p[2] = uint8_t(x ^ y);
    }
    h.view()->makeCurrent();
    CreateThumbTexture();
    ASSERT_NE(miThumbTexture.Texture, 0u);
    const int tw = miThumbTexture.W, th = miThumbTexture.H;
    const std::vector<uint8_t> want = GLReadRectTexture(miThumbTexture.Texture, tw, th);
    ThumbTexture_Forget();
    h.view()->doneCurrent();
    PackPictureNow();
    h.Frame();
    EXPECT_EQ(miThumbTexture.Texture, 0u);  // hidden: none
    EXPECT_EQ(GlassP.rb.fbo, 0u);
    GetViewWin(kThumbWin)->setVisible(true);
    GlassP.win->setVisible(true);
    RedrawP = kRedrawFull;
    h.Frame();
    ASSERT_NE(miThumbTexture.Texture, 0u);
    EXPECT_NE(GlassP.rb.fbo, 0u);
    EXPECT_NE(GlassP.miCircle.Texture, 0u);
    EXPECT_TRUE(GamePicture_IsPacked());  // unpacked only while the texture was made
    h.view()->makeCurrent();
    EXPECT_EQ(GLReadRectTexture(miThumbTexture.Texture, tw, th), want);
    h.view()->doneCurrent();
}

TEST(FieldIdle, ALeanGamePacksItsPictureSoonAfterOpeningAndDrawsTheSame)
{
    QImage full;
    {
        FieldHarness h;
        h.Open({});
        full = h.Frame();
    }
    FieldHarness h;
    FieldP.bLeanAfterOpen = true;
    h.Open({});
    for (int waited = 0; waited < 10000 && !GamePicture_IsPacked(); waited += 100)
        h.Wait(100);
    EXPECT_TRUE(GamePicture_IsPacked());
    EXPECT_FALSE(miJigs->HasPixels());
    RedrawP = kRedrawFull;
    EXPECT_EQ(h.Frame(), full);
    FieldP.bLeanAfterOpen = false;
}
