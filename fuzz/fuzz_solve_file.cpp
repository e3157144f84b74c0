// Fuzzes the saved-game readers: the head, the parts with their sizes, the
// state block and every piece record, over arbitrary bytes.
#include "files/files.h"
#include "model/puzzle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OBinReader r(data, size);
    TSolveFile s;
    if (SolveFile_ReadHead(r, &s))
        SolveFile_ReadBody(r, &s);
    OBinReader r2(data, size);
    OpenSolveData_ForListOrPreview(r2, false);
    DecodeMaskTiff(data, size);
    DecodeBmp32(data, size);
    miReadThumb.reset();
    return 0;
}
