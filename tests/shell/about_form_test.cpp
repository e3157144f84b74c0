// The about box (a click anywhere closes it; as the splash it ignores
// clicks) and the credits (our thanks and the sources of the pictures).
#include "files/files.h"
#include "shell/about_form.h"
#include "shell/main_form.h"
#include "support/dialog_wait.h"
#include "support/test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Calls act on the first modal window of type T once it shows; *seen tells whether one did.
template <class T, class F>
void WhenModalShows(F act, bool* seen)
{
    *seen = false;
    WhenModal<T>([=](T* w) {
        *seen = true;
        act(w);
    }, 10000);
}

}  // namespace

TEST(AboutBox, AClickAnywhereClosesTheBoxButTheSplashIgnoresClicks)
{
    const std::string res = SourcePath("resources");
    for (QPoint where : {QPoint(20, 20), QPoint(185, 300), QPoint(360, 150)}) {
        MCAbout about;
        about.InitForm(res);
        bool seen = false;
        WhenModalShows<MCAboutSplashWindow>([where](MCAboutSplashWindow* w) { QTest::mouseClick(w, Qt::LeftButton, {}, where); },
                                            &seen);
        QElapsedTimer t;
        t.start();
        about.ShowForm(false);  // returns once clicked
        EXPECT_TRUE(seen);
        EXPECT_LT(t.elapsed(), 10000);
        EXPECT_FALSE(about.o_Window->isVisible());
    }

    MCAbout splash;
    splash.InitForm(res);
    splash.ShowForm(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash.o_Window));
    QTest::mouseClick(splash.o_Window, Qt::LeftButton, {}, QPoint(185, 160));
    QTest::keyClick(splash.o_Window, Qt::Key_Escape);
    EXPECT_TRUE(splash.o_Window->isVisible());
    splash.HideForm();
    EXPECT_FALSE(splash.o_Window->isVisible());
}

TEST(AboutBox, TheSplashStepsAsideForAMessageShownDuringStartUp)
{
    MCAbout splash;
    splash.InitForm(SourcePath("resources"));
    splash.ShowForm(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash.o_Window));
    bool seen = false, splashUp = true;
    WhenModalShows<QMessageBox>(
        [&](QMessageBox* box) {
            splashUp = splash.o_Window->isVisible();
            box->accept();
        },
        &seen);
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("language file missing"));
    box.exec();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(splashUp) << "the message would be hidden under the splash";
}

TEST(AboutBox, ShowsOurPictureVersionAndBuildDate)
{
    MCAbout about;
    about.InitForm(SourcePath("resources"));
    EXPECT_EQ(about.o_Window->size(), QSize(370, 320));
    ASSERT_NE(about.o_Image->pixmap().isNull(), true) << "about_bemo.gif";
    EXPECT_TRUE(about.o_Version->text().startsWith(QStringLiteral("Linux Version ")));
    // "December 5, 2023": a month's name, a day and a four-digit year.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Z][a-z]+ [0-9]{1,2}, [0-9]{4}$"))
                    .match(about.o_Date->text())
                    .hasMatch())
        << about.o_Date->text().toStdString();
}

TEST(Credits, ListTheSourcesOfTheBundledPicturesAndCloseOnReturn)
{
    TempDir home;
    ASSERT_TRUE(UseUserFolder(home.Path()));
    LangP_Init();
    ReadLangFile(LangMesFile("english"));
    MCCredits credits;
    credits.InitForm(SourcePath("resources"));
    EXPECT_EQ(credits.windowTitle().toStdString(), LangGetKeyVal("Credits_FormCaption"));
    EXPECT_EQ(credits.o_Thanks->text().toStdString(), LangGetKeyVal("L_Thanks"));
    const QString names = credits.o_Names->toPlainText();
    for (const char* must : {"Waterdrop.zjg", "GNU General Public License", "tools/artwork"})
        EXPECT_TRUE(names.contains(QLatin1String(must))) << must;
    bool seen = false;
    WhenModalShows<MCCredits>([](MCCredits* c) { QTest::keyClick(c, Qt::Key_Return); }, &seen);
    credits.ShowForm();
    EXPECT_TRUE(seen);

    ASSERT_TRUE(SwitchLanguage("russian"));
    QEvent change(QEvent::LanguageChange);
    QApplication::sendEvent(&credits, &change);
    EXPECT_EQ(credits.windowTitle().toStdString(), LangGetKeyVal("Credits_FormCaption"));
    ASSERT_TRUE(SwitchLanguage("english"));
}
