// Fuzzes the jigsaw file readers: the header, the part encoding, the thumbnail
// and the play parts, over arbitrary bytes.
#include "files/files.h"
#include "model/puzzle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OBinReader r(data, size);
    if (OpenJigData_ForListOrPreview(r, false)) {
        std::string desc;
        std::vector<uint8_t> picture;
        JigFile_ReadPlayParts(r, NewJigP.DataOfs, &desc, &picture);
    }
    // Also from an offset the file itself does not vouch for.
    if (size >= 4) {
        OBinReader r2(data, size);
        std::string desc;
        std::vector<uint8_t> picture;
        JigFile_ReadPlayParts(r2, int64_t(data[0]) | int64_t(data[1]) << 8, &desc, &picture);
    }
    int w = 0, h = 0;
    PictureSniffSize(data, size, &w, &h);
    miReadThumb.reset();
    return 0;
}
