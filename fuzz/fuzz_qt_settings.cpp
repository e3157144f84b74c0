// Fuzzes the settings file: the property-list parser, then applying what it
// read over the records. Whatever is applied must write out as a file that
// reads back.
#include "files/files.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Platform_Reset();
    const std::vector<uint8_t> xml(data, data + size);
    TSettingsDict d;
    if (!Settings_ParsePlist(xml, &d))
        return 0;
    Settings_ApplyDict(d);
    TSettingsDict back;
    if (!Settings_ParsePlist(Settings_MakePlist(Settings_ToDict()), &back))
        __builtin_trap();
    if (LastFiles_Count() > kMaxLastFiles)
        __builtin_trap();
    return 0;
}
