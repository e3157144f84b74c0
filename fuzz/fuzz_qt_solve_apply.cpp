// Fuzzes applying a saved game: the parts and records read and checked, the
// pictures decoded, the records replaced and every piece image built from
// the stored piece boxes. The images must stay within the budget the reader
// promises.
#include "files/files.h"
#include "model/game_cut.h"
#include "model/play_rules.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Platform_Reset();
    OBinReader r(data, size);
    TSolveFile s;
    if (!SolveFile_ReadHead(r, &s) || !SolveFile_ReadBody(r, &s))
        return 0;
    if (PieceImagesBytes(s.Jigs.data(), int(s.Jigs.size()), s.Params.Rotate != 0) >
        PieceImagesBudget(s.Params.ImageW, s.Params.ImageH, s.Params.Rotate != 0))
        __builtin_trap();
    if (!SolveFile_Apply(s))
        return 0;
    SortJigs(kSortAscending);
    CopyJigsToTextures(true, 1);
    if (arPicJigs.size() != size_t(JigP.TotalTileNum))
        __builtin_trap();
    CloseGameRecords();
    arPicJigs.clear();
    return 0;
}
