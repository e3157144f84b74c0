// The help panel as the player meets it: pages found in the current
// language's folder wherever that folder lives, the title telling what went
// wrong, the history buttons following the view; and the shipped pages
// themselves: every link and picture resolves and both languages agree.
#include "files/files.h"
#include "shell/help_form.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

void WritePage(const std::string& path, const std::string& title, const std::string& body)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::string html = "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
    ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(html.begin(), html.end())));
}

// A language folder with spaces and a '#' in its path, holding two languages' help.
struct HelpFolder {
    TempDir dir;
    std::string lang = dir.Path() + "/My Games #2/language/";
    HelpFolder()
    {
        WritePage(lang + "english-help/cont-bemo.htm", "Contents", "<a href=\"quick.htm\">quick</a>");
        WritePage(lang + "english-help/quick.htm", "Quick Start", "go");
        WritePage(lang + "russian-help/cont-bemo.htm", "Russian Contents", "ru");
        FileNames.sLangPath = lang;
        LangP.sCurLang = "english";
    }
};

TEST(HelpPanel, ContentsOpensFromAFolderWithSpacesInItsPath)
{
    HelpFolder f;
    ShowHelpTopic("");
    ASSERT_NE(g_HelpForm, nullptr);
    EXPECT_TRUE(g_HelpForm->isVisible());
    EXPECT_EQ(g_HelpForm->webView->source().toLocalFile().toStdString(), f.lang + "english-help/cont-bemo.htm");
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Contents"));
    EXPECT_TRUE(g_HelpForm->webView->toPlainText().contains(QStringLiteral("quick")));
}

TEST(HelpPanel, AMissingPageShowsItsErrorInTheTitle)
{
    HelpFolder f;
    ShowHelpTopic("nowhere");
    const QString title = g_HelpForm->windowTitle();
    EXPECT_TRUE(title.startsWith(QStringLiteral(":  "))) << title.toStdString();
    EXPECT_TRUE(title.contains(QStringLiteral("nowhere.htm"))) << title.toStdString();
    EXPECT_TRUE(g_HelpForm->webView->toPlainText().isEmpty());
    // The next good page clears the error.
    ShowHelpTopic("quick");
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Quick Start"));
}

TEST(HelpPanel, HistoryButtonsFollowTheViewAndRetitleOnTheWayBack)
{
    HelpFolder f;
    ShowHelpTopic("");
    EXPECT_FALSE(g_HelpForm->o_ButBack->isEnabled());
    EXPECT_FALSE(g_HelpForm->o_ButForward->isEnabled());
    ShowHelpTopic("quick");
    EXPECT_TRUE(g_HelpForm->o_ButBack->isEnabled());
    QTest::mouseClick(g_HelpForm->o_ButBack, Qt::LeftButton);
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Contents"));
    EXPECT_FALSE(g_HelpForm->o_ButBack->isEnabled());
    EXPECT_TRUE(g_HelpForm->o_ButForward->isEnabled());
    QTest::mouseClick(g_HelpForm->o_ButForward, Qt::LeftButton);
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Quick Start"));
}

TEST(HelpPanel, ALanguageChangeReloadsTheContentsOnlyWhenShown)
{
    HelpFolder f;
    ShowHelpTopic("quick");
    LangP.sCurLang = "russian";
    g_HelpForm->TranslateForm();
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Russian Contents"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(g_HelpForm));
    QTest::keyClick(g_HelpForm->webView, Qt::Key_Escape);
    EXPECT_FALSE(g_HelpForm->isVisible());
    LangP.sCurLang = "english";
    g_HelpForm->TranslateForm();
    EXPECT_EQ(g_HelpForm->windowTitle(), QStringLiteral("Russian Contents"));
}

// ---- The shipped pages ------------------------------------------------------------------

std::set<std::string> PagesOf(const QString& folder)
{
    std::set<std::string> names;
    for (const QString& n : QDir(folder).entryList({QStringLiteral("*.htm")}, QDir::Files))
        names.insert(n.toStdString());
    return names;
}

TEST(HelpPages, BothLanguagesHaveTheSamePages)
{
    const QString root = QString::fromStdString(SourcePath("resources/language/"));
    const auto english = PagesOf(root + QStringLiteral("english-help"));
    const auto russian = PagesOf(root + QStringLiteral("russian-help"));
    EXPECT_GE(english.size(), 7u);
    EXPECT_TRUE(english.count("cont-bemo.htm"));
    EXPECT_EQ(english, russian);
}

TEST(HelpPages, EveryLinkAndPictureResolvesToAFile)
{
    const QRegularExpression ref(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                 QRegularExpression::CaseInsensitiveOption);
    const QString root = QString::fromStdString(SourcePath("resources/language/"));
    for (const char* lang : {"english-help", "russian-help"}) {
        const QDir dir(root + QString::fromLatin1(lang));
        for (const std::string& page : PagesOf(dir.path())) {
            QFile f(dir.filePath(QString::fromStdString(page)));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(f.readAll());
            EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << lang << "/" << page;
            for (auto it = ref.globalMatch(html); it.hasNext();) {
                QString target = it.next().captured(1);
                if (target.startsWith(QStringLiteral("http")) || target.startsWith(QStringLiteral("mailto:")))
                    continue;
                target = target.section(QLatin1Char('#'), 0, 0);
                if (target.isEmpty())
                    continue;  // a place on the same page
                EXPECT_TRUE(QFile::exists(dir.filePath(target)))
                    << lang << "/" << page << " points at a missing " << target.toStdString();
            }
        }
    }
}

}  // namespace
