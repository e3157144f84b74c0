// Unpacking a downloaded archive through libarchive.
#include "download/dn_unpack.h"

bool DnArchiveExtKnown(const std::string& ext) { return ext == "rar" || ext == "zip" || ext == "7z"; }

TDnUnpackResult DnUnpackFirstFile(const uint8_t*, size_t, const std::string&, int64_t, std::vector<uint8_t>*,
                                  const std::string&)
{
    TDnUnpackResult r;
    r.step = EDnUnpackStep::Open;
    return r;
}

TDnUnpackResult ExtractArchive(const std::string&, const std::string&, const std::string&, int64_t)
{
    TDnUnpackResult r;
    r.step = EDnUnpackStep::Open;
    return r;
}
