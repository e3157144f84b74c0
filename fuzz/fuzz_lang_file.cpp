// Fuzzes the strings-file parser and the filling of language formats.
#include "files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TLangDict dict;
    int line = 0;
    std::string err;
    if (ParseStringsFile(data, size, &dict, &line, &err)) {
        for (const auto& e : dict)
            LangFormat(e.second, {7, "text", -3, ""});
    }
    return 0;
}
