// The system report: one fixed order of sections, each line written to the
// file as soon as it is formatted.
#include "diagnostics/diagnostics.h"

#include "files/files.h"
#include "model/game_state.h"
#include "model/puzzle.h"
#include "platform/platform.h"

#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

#ifndef ZIVRA_VERSION
#define ZIVRA_VERSION "0.0"
#endif

namespace {

// The open report file. Numbers are written in the C locale whatever the
// desktop's, so that a report reads the same everywhere.
class OReportFile {
public:
    explicit OReportFile(const std::string& path)
        : f_(std::fopen(path.c_str(), "w")), cLocale_(newlocale(LC_ALL_MASK, "C", locale_t(0)))
    {
        // Every line reaches the file as it is written: when a driver's query
        // brings the game down, the report keeps what came before it.
        if (f_)
            std::setvbuf(f_, nullptr, _IOLBF, 0);
        if (cLocale_)
            oldLocale_ = uselocale(cLocale_);
    }
    ~OReportFile()
    {
        Close();
        if (cLocale_) {
            uselocale(oldLocale_);
            freelocale(cLocale_);
        }
    }
    OReportFile(const OReportFile&) = delete;
    OReportFile& operator=(const OReportFile&) = delete;

    bool IsOpen() const { return f_ != nullptr; }
    void Put(const char* fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        if (!f_ || bFailed_)
            return;
        va_list ap;
        va_start(ap, fmt);
        if (std::vfprintf(f_, fmt, ap) < 0)
            bFailed_ = true;
        va_end(ap);
    }
    // True when every line reached the disk.
    bool Close()
    {
        if (f_) {
            if (std::fflush(f_) != 0 || std::ferror(f_))
                bFailed_ = true;
            if (std::fclose(f_) != 0)
                bFailed_ = true;
            f_ = nullptr;
        }
        return !bFailed_;
    }

private:
    FILE* f_ = nullptr;
    bool bFailed_ = false;
    locale_t cLocale_ = locale_t(0);
    locale_t oldLocale_ = locale_t(0);
};

// A text argument of a line, made ASCII.
struct AsciiArg {
    explicit AsciiArg(const std::string& s) : text(ReportAscii(s)) {}
    const char* c() const { return text.c_str(); }
    std::string text;
};

// "Dec  6 2026" (the compiler's build date) as "December 6, 2026".
std::string BuildDateText()
{
    static const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
    const std::string d = __DATE__;
    int day = 0, year = 0;
    char mon[4] = {};
    if (std::sscanf(d.c_str(), "%3s %d %d", mon, &day, &year) != 3)
        return d;
    for (int m = 0; m < 12; ++m)
        if (std::string(kMonths[m], 3) == mon)
            return StrFormat("%s %d, %d", kMonths[m], day, year);
    return d;
}

void WriteHeader(OReportFile& f, ISystemFacts& facts)
{
    f.Put("========================================\n");
    f.Put("%s System Report\n", "Zivra Jigsaw Bemo");
    f.Put("\nDate: %s\n", AsciiArg(facts.DateText()).c());
    f.Put("\n------ Program ------\n\n");
    f.Put("%s\n%s\n", "Linux Version " ZIVRA_VERSION, BuildDateText().c_str());
    f.Put("Bundle Resource path = %s\n", AsciiArg(FileNames.sResourcePath).c());
    f.Put("Files path = %s\n", AsciiArg(FileNames.sJigsPath).c());
}

void WriteJigsaw(OReportFile& f)
{
    if (!FileNames.bOpen)
        return;
    const TJigParams& p = JigP;
    f.Put("\n------ Jigsaw ------\n\n");
    f.Put("sJig: %s\n", AsciiArg(FileNames.sJig).c());
    f.Put("sSolve: %s\n", AsciiArg(FileNames.sSolve).c());
    f.Put("sJigName: %s\n", AsciiArg(FileNames.sJigName).c());
    f.Put("GameSeed = %d\n", p.GameSeed);
    f.Put("ImageW = %d, ImageH = %d\n", p.ImageW, p.ImageH);
    f.Put("JigsL = %d, JigsT = %d\n", p.JigsL, p.JigsT);
    f.Put("MaskS = %d, TileS = %d\n", p.MaskS, p.TileS);
    f.Put("TilePX = %d, TilePY = %d\n", p.TilePX, p.TilePY);
    f.Put("PicPX = %d, PicPY = %d\n", p.PicPX, p.PicPY);
    f.Put("TileNum = %d, TotalTileNum = %d\n", p.TileNum, p.TotalTileNum);
    f.Put("Level = %d\n", p.Level);
    f.Put("Rotate = %d\n", p.Rotate);
    f.Put("BorderStyle = %d\n", p.BorderStyle);
    f.Put("ShapeStyle = %d\n", p.ShapeStyle);
    f.Put("SpreadOut = %d\n", p.SpreadOut);
    f.Put("FitToScreen = %d\n", p.FitToScreen);
    f.Put("SideNum = %d\n", p.SideNum);
}

void WriteScreen(OReportFile& f, ISystemFacts& facts)
{
    const TScreenFacts s = facts.Screen();
    f.Put("\n------ Screen ------\n\n");
    f.Put("Frame: %f x %f\n", s.fW, s.fH);
    f.Put("VisibleFrame: %f x %f\n", s.fVisibleW, s.fVisibleH);
    f.Put("iMaxMainViewW,iMaxMainViewH: %d x %d\n", iMaxMainViewW, iMaxMainViewH);
    f.Put("Depth = %d\n", s.iDepth);
    for (const TReportPair& kv : s.arDesc)
        f.Put("%s: %s\n", AsciiArg(kv.sKey).c(), AsciiArg(kv.sValue).c());
    f.Put("fScrScaleFactor = %f\n", fScrScaleFactor);
    f.Put("fWinScaleFactor = %f\n", s.fWinScaleFactor);
    f.Put("wantsBestResolutionOpenGLSurface = %d\n", s.bWantsBestResolution ? 1 : 0);
}

// Key and value lines; "_name" left out where the item's name says nothing.
void WritePairs(OReportFile& f, const TReportPairs& pairs, bool withName)
{
    for (const TReportPair& kv : pairs)
        if (withName || kv.sKey != "_name")
            f.Put("%s = %s\n", AsciiArg(kv.sKey).c(), AsciiArg(kv.sValue).c());
}

void WriteDisks(OReportFile& f, ISystemFacts& facts)
{
    f.Put("\n------ Disks ------\n\n");
    for (const TDiskFacts& d : facts.Disks()) {
        f.Put("Path = %s\n", AsciiArg(d.sPath).c());
        f.Put("Removable=%d Writable=%d Unmountable=%d\n", d.bRemovable ? 1 : 0, d.bWritable ? 1 : 0,
              d.bUnmountable ? 1 : 0);
        f.Put("Desc=%s\nFileSystemType=%s\n", AsciiArg(d.sDesc).c(), AsciiArg(d.sFileSystemType).c());
        if (d.bHaveStats)
            f.Put("BlockSize=%u\nTotalBlocks=%lld\nFreeBlocks=%lld\nmountTo=%s\n\n", d.iBlockSize,
                  static_cast<long long>(d.iTotalBlocks), static_cast<long long>(d.iFreeBlocks),
                  AsciiArg(d.sMountTo).c());
    }
}

void WriteNetwork(OReportFile& f, ISystemFacts& facts)
{
    f.Put("\n------ Network ------\n\n");
    const std::vector<TReportPairs> items = facts.Network();
    for (size_t i = 0; i < items.size() && i < size_t(kReportMaxNetworkItems); ++i) {
        if (items[i].empty())
            break;
        WritePairs(f, items[i], true);
        f.Put("\n");
    }
}

void WriteOpenGL(OReportFile& f, ISystemFacts& facts)
{
    f.Put("\n------ OpenGL ------\n\n");
    const std::optional<std::vector<TDisplayFacts>> displays = facts.Displays();
    const int n = displays ? int(std::min(displays->size(), size_t(kReportMaxDisplays))) : 0;
    f.Put("Number of displays = %d\n", n);
    const TRendererFacts r = n > 0 ? facts.Renderer() : TRendererFacts{};
    for (int i = 0; i < n; ++i) {
        const TDisplayFacts& d = (*displays)[size_t(i)];
        f.Put("\nInfo for display %d\n", i);
        f.Put("CGDisplayBounds:\nwidth=%f\nheight=%f\norigin_x=%f\norigin_y=%f\n", d.fW, d.fH, d.fX, d.fY);
        f.Put("W=%d\nH=%d\nBitsPerPixel=%d\nRefreshRate=%f\n", d.iModeW, d.iModeH, d.iBitsPerPixel, d.fRefreshRate);
        if (r.bAccelerated && r.iVideoMB >= 0)
            f.Put("\nRendererInfo:\ndeviceVRAM=%d\ndeviceTextureRAM=%d\n", r.iVideoMB, r.iTextureMB);
    }
    // One renderer draws on every display here; its names tell support more
    // than the memory figures (a software renderer has none).
    if (!r.sRenderer.empty())
        f.Put("\nGL_VENDOR=%s\nGL_RENDERER=%s\nGL_VERSION=%s\n", AsciiArg(r.sVendor).c(), AsciiArg(r.sRenderer).c(),
              AsciiArg(r.sVersion).c());
}

}  // namespace

bool CreateSystemReport(const std::string& path, bool bOpen)
{
    const std::string target = path.empty() ? FileNames.sJigsPath + kReportFileName : path;
    ISystemFacts& facts = SystemFacts();
    OReportFile f(target);
    if (!f.IsOpen()) {
        Platform().Log("cannot write the system report " + target);
        Platform().ShowMessage(kReportOpenFailed);
        return false;
    }
    WriteHeader(f, facts);
    WriteJigsaw(f);
    WriteScreen(f, facts);
    f.Put("\n------ OS ------\n\n");
    f.Put("iOSVer: %d\n", iOsVer);
    WritePairs(f, facts.Software(), false);
    WriteDisks(f, facts);
    f.Put("\n------ Hardware ------\n\n");
    WritePairs(f, facts.Hardware(), false);
    WriteNetwork(f, facts);
    WriteOpenGL(f, facts);
    f.Put("\n========================================\n");
    if (!f.Close()) {
        Platform().Log("the system report " + target + " was cut short");
        Platform().ShowMessage(kReportWriteFailed);
        return false;
    }
    if (bOpen)
        facts.OpenFile(target);
    return true;
}
