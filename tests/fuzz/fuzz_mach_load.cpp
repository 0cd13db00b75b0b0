// Fuzzes the "mach.ini" reader: any bytes load without a crash or a sanitizer report, and what
// was loaded saves, reloads and saves to the same bytes.
#include "FuzzStore.h"

#include "core/stores/MacHistoryFDB.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzLoadAndSave<CMacHistoryFDB>("mach.ini", data, size);
}
