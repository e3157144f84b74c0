#include "files/files.h"
#include "model/game_state.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sys/stat.h>

namespace {

std::vector<uint8_t> Utf16(const std::u16string& s, bool bigEndian)
{
    std::vector<uint8_t> b = bigEndian ? std::vector<uint8_t>{0xFE, 0xFF} : std::vector<uint8_t>{0xFF, 0xFE};
    for (char16_t c : s) {
        const uint8_t hi = uint8_t(c >> 8), lo = uint8_t(c & 0xFF);
        b.push_back(bigEndian ? hi : lo);
        b.push_back(bigEndian ? lo : hi);
    }
    return b;
}

bool Parse(const std::vector<uint8_t>& b, TLangDict* d, int* line, std::string* err)
{
    return ParseStringsFile(b.data(), b.size(), d, line, err);
}

// A language folder of the test's own, with FileNames pointing at it.
struct LangFolder {
    TempDir dir;
    LangFolder()
    {
        FileNames.sResourcePath = dir.Path();
        FileNames.sLangPath = dir.Path() + "/";
    }
    std::string Write(const std::string& name, const std::u16string& text)
    {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteFileBytes(path, Utf16(text, false)));
        return path;
    }
};

}  // namespace

// ---- The strings-file parser ----------------------------------------------------------

TEST(StringsFile, ReadsBothByteOrdersAndUtf8EscapesAndComments)
{
    const std::u16string text =
        u"/* header\n comment */\n"
        u"\"B_Ok\" = \"OK\";   // trailing comment\n"
        u"\"Quote\" = \"say \\\"hi\\\" \\\\ there\\nnext\";\n"
        u"\"Ru\" = \"Пазл \\u00e9\";\n"
        u"Bare_Key = \"bare\";\n"
        u"\"Alone\";\n"
        u"\"B_Ok\" = \"Fine\";\n";
    const std::string utf8 = "\"B_Ok\" = \"Fine\";\n\"Quote\" = \"say \\\"hi\\\" \\\\ there\\nnext\";\n"
                             "\"Ru\" = \"Пазл \\u00e9\";\nBare_Key = \"bare\";\n\"Alone\";\n";
    for (const auto& bytes : {Utf16(text, false), Utf16(text, true), std::vector<uint8_t>(utf8.begin(), utf8.end())}) {
        TLangDict d;
        int line = 0;
        std::string err;
        ASSERT_TRUE(Parse(bytes, &d, &line, &err)) << line << ": " << err;
        EXPECT_EQ(d["B_Ok"], "Fine");  // the last of a repeated key
        EXPECT_EQ(d["Quote"], "say \"hi\" \\ there\nnext");
        EXPECT_EQ(d["Ru"], "Пазл é");
        EXPECT_EQ(d["Bare_Key"], "bare");
        EXPECT_EQ(d["Alone"], "Alone");
        EXPECT_EQ(d.size(), 5u);
    }
}

TEST(StringsFile, MalformedFilesNameTheLine)
{
    struct Case { const char* name; std::vector<uint8_t> bytes; int line; };
    std::vector<Case> cases = {
        {"missing semicolon", Utf16(u"\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";\n", false), 3},
        {"text not closed", Utf16(u"\"a\" = \"1\";\n\n\"b\" = \"2;\n", false), 3},
        {"comment not closed", Utf16(u"\"a\" = \"1\";\n/* open\n\n", false), 2},
        {"garbage", Utf16(u"\"a\" = \"1\";\n\"b\" = = \"2\";\n", false), 2},
        {"bad \\u escape", Utf16(u"\"a\" = \"\\u12G4\";\n", false), 1},
        {"lone surrogate", Utf16(u"\"a\" = \"\xD800\";\n", false), 0},
        {"odd byte count", {0xFF, 0xFE, '"', 0, 'a'}, 0},
        {"latin-1 without a byte-order mark", {'"', 'a', '"', '=', '"', 0xE9, '"', ';'}, 0},
    };
    for (const Case& c : cases) {
        TLangDict d = {{"keep", "me"}};
        int line = -1;
        std::string err;
        EXPECT_FALSE(Parse(c.bytes, &d, &line, &err)) << c.name;
        EXPECT_EQ(line, c.line) << c.name << ": " << err;
        EXPECT_FALSE(err.empty()) << c.name;
        EXPECT_EQ(d.size(), 1u) << c.name;  // nothing half-read
    }
}

// ---- The language holder ------------------------------------------------------------------

TEST(Language, LookupFallsBackToTheKeyAndADamagedOrMissingFileKeepsTheLanguageInUse)
{
    EXPECT_EQ(LangGetKeyVal("B_Ok"), "B_Ok");  // no dictionary yet
    LangFolder f;
    int retitled = 0;
    LangP.fnRetitle = [&] { ++retitled; };
    ASSERT_TRUE(ReadLangFile(f.Write("good.lng", u"\"B_Ok\" = \"Fine\";\n\"Q_X\" = \"One$DTwo\";\n")));
    EXPECT_EQ(retitled, 1);
    EXPECT_EQ(CaretMesFormat("Q_X"), "One\nTwo");  // carets become line breaks
    EXPECT_EQ(LangGetKeyVal("Q_X"), "One$DTwo");
    EXPECT_EQ(LangGetKeyVal("Q_Missing"), "Q_Missing");
    EXPECT_EQ(CaretMesFormat("A$DB"), "A\nB");

    Recorder().Clear();
    EXPECT_FALSE(ReadLangFile(f.Write("bad.lng", u"\"B_Ok\" = \"Broken\";\n\"B_No\" = \"oops\n")));
    EXPECT_EQ(LangGetKeyVal("B_Ok"), "Fine");
    EXPECT_EQ(LangGetKeyVal("B_No"), "B_No");
    ASSERT_EQ(Recorder().Count(RecordingPlatform::Kind::Message), 1);
    const std::string shown = Recorder().events.back().text;
    EXPECT_NE(shown.find("bad.lng"), std::string::npos) << shown;
    EXPECT_NE(shown.find("line 2"), std::string::npos) << shown;

    const std::string missing = f.dir.File("nowhere.lng");
    EXPECT_FALSE(ReadLangFile(missing));
    EXPECT_EQ(Recorder().Count(RecordingPlatform::Kind::Message,
                               "Could not find language file '" + missing + "' !"), 1);
    EXPECT_EQ(LangGetKeyVal("B_Ok"), "Fine");
    EXPECT_EQ(retitled, 1);
}

TEST(Language, ListsAtMostTenLanguagesSortedWithoutRegardToCase)
{
    LangFolder f;
    const char* names[] = {"zulu", "Alpha", "bravo", "Charlie", "delta", "echo", "Foxtrot",
                           "golf", "hotel", "India", "juliet", "kilo"};
    for (const char* n : names)
        f.Write(std::string(n) + ".lng", u"\"a\" = \"b\";");
    f.Write("readme.txt", u"not a language");
    ASSERT_TRUE(WriteFileBytes(f.dir.File("bravo.png"), {1}));
    LangP_Init();
    ASSERT_EQ(LangP.arLangDesc.size(), 10u);
    EXPECT_EQ(LangP.arLangDesc[0].sName, "Alpha");
    EXPECT_EQ(LangP.arLangDesc[1].sName, "bravo");
    EXPECT_EQ(LangP.arLangDesc[1].sFlagPath, f.dir.File("bravo.png"));
    EXPECT_TRUE(LangP.arLangDesc[0].sFlagPath.empty());
    EXPECT_EQ(LangP.arLangDesc[9].sName, "juliet");
    EXPECT_EQ(LangMesFile("Alpha"), f.dir.File("alpha.lng"));
}

// ---- Filling formats ----------------------------------------------------------------------

TEST(LangFormat, FillsOnlyTheNamedArgumentsAndNeverActsAsPrintf)
{
    EXPECT_EQ(LangFormat("%d pieces", {12}), "12 pieces");
    EXPECT_EQ(LangFormat("Solved: %d%%", {75}), "Solved: 75%");
    EXPECT_EQ(LangFormat("Try %@ instead of %@?", {"b.org", "a.org"}), "Try b.org instead of a.org?");
    EXPECT_EQ(LangFormat("%2$@ then %1$@", {"one", "two"}), "two then one");
    EXPECT_EQ(LangFormat("%s and %ld", {"x", 5}), "x and 5");
    // Wrong kind, missing argument, or something printf would act on: left as written.
    EXPECT_EQ(LangFormat("%@ pieces", {3}), "%@ pieces");
    EXPECT_EQ(LangFormat("%d and %d", {1}), "1 and %d");
    EXPECT_EQ(LangFormat("%n%x%p%s%s%s", {}), "%n%x%p%s%s%s");
    EXPECT_EQ(LangFormat("100%", {}), "100%");
    EXPECT_EQ(LangFormat("Pocket 1 [%d pieces]", {-4}), "Pocket 1 [-4 pieces]");
}

// ---- The language files that come with the game -------------------------------------------

namespace {

// The argument kinds a text uses as a format, in order ("d", "@", positional
// ones sorted by position).
std::string ConversionsOf(const std::string& text)
{
    std::map<int, char> positional;
    std::string plain;
    static const std::regex conv("%(?:([1-9])\\$)?(l?[diu]|[@s%])");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), conv); it != std::sregex_iterator(); ++it) {
        const std::string spec = (*it)[2];
        if (spec == "%")
            continue;
        const char kind = (spec == "@" || spec == "s") ? '@' : 'd';
        if ((*it)[1].matched)
            positional[std::stoi((*it)[1])] = kind;
        else
            plain.push_back(kind);
    }
    for (const auto& p : positional)
        plain.push_back(p.second);
    return plain;
}

}  // namespace

TEST(BundledLanguages, CarryExactlyTheKeysInUseWithTheirArguments)
{
    std::set<std::string> used;
    for (const TLangKey& k : LangKeysInUse())
        used.insert(k.key);
    ASSERT_EQ(used.size(), LangKeysInUse().size()) << "a key is listed twice";
    for (const char* lang : {"english", "russian"}) {
        SCOPED_TRACE(lang);
        const auto bytes = ReadFileBytes(SourcePath(std::string("resources/language/") + lang + ".lng"));
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes[0], 0xFF);  // UTF-16 with a byte-order mark, as the game writes them
        TLangDict d;
        int line = 0;
        std::string err;
        ASSERT_TRUE(ParseStringsFile(bytes.data(), bytes.size(), &d, &line, &err)) << line << ": " << err;
        for (const TLangKey& k : LangKeysInUse()) {
            const auto it = d.find(k.key);
            if (it == d.end()) {
                ADD_FAILURE() << "missing " << k.key;
                continue;
            }
            EXPECT_FALSE(it->second.empty()) << k.key;
            EXPECT_EQ(ConversionsOf(it->second), k.args) << k.key << " = " << it->second;
        }
        for (const auto& entry : d)
            EXPECT_TRUE(used.count(entry.first)) << "unknown key " << entry.first;
    }
}

TEST(BundledLanguages, StartUpListsBothWithTheirFlags)
{
    std::string error;
    ASSERT_TRUE(FileNames_Create(&error)) << error;
    LangP_Init();
    ASSERT_EQ(LangP.arLangDesc.size(), 2u);
    EXPECT_EQ(LangP.arLangDesc[0].sName, "english");
    EXPECT_EQ(LangP.arLangDesc[1].sName, "russian");
    for (const OLangDesc& d : LangP.arLangDesc) {
        ASSERT_TRUE(d.image) << d.sName;
        EXPECT_GT(d.image->W, d.image->H);
    }
    ASSERT_TRUE(LangP.nsiCustomFlag);
    ASSERT_TRUE(ReadLangFile(LangMesFile("Russian")));
    EXPECT_EQ(LangGetKeyVal("B_Yes"), "Да");
    EXPECT_EQ(LangFormat(LangGetKeyVal("Pocket_Jigs_3"), {3}), "[3 детали]");
    EXPECT_EQ(LangMessage("MS_Congratulat"), "Поздравляем!\nКартинка собрана.");  // as the play rules see it
}
