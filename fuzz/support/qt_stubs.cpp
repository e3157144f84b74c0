// Stand-ins for the Qt-backed image functions in the fuzz build. Decoding
// answers with a small image for data that starts like a picture and with
// nothing otherwise, so the parsers around it see both outcomes.
#include "base/my_image.h"

OMyImagePtr MyImageCreateFromData(const void* data, size_t size, bool convert, std::string* error)
{
    const auto* d = static_cast<const uint8_t*>(data);
    if (!data || size < 4 || d[0] != 0x89) {
        if (error)
            *error = "cannot decode picture";
        return nullptr;
    }
    return MyImageCreateExt(1 + d[1] % 64, 1 + d[2] % 64, convert || (d[3] & 1));
}

OMyImagePtr MyImageCreateFromFile(const std::string&, bool, std::string* error)
{
    if (error)
        *error = "no files in the fuzz build";
    return nullptr;
}

std::vector<uint8_t> MyImageEncode(const OMyImage& img, const char*, int)
{
    return MyImageCopyToDataAsBmp2(img);
}

bool MyImageSaveToFile(const OMyImage&, const std::string&, int) { return false; }
