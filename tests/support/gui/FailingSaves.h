#pragma once

#include "core/stores/FileDB.h"

#include <cerrno>
#include <string>

// While it lives, every save of the store file `name` fails as the disk would refuse it, so that
// the store shows its "Can't write" box.
class FailingSaves final
{
public:
    explicit FailingSaves(const std::string& name, int error = EACCES)
    {
        CFileDB::SetSaveFault([suffix = "/" + name, error](CFileDB::SaveStep step, const std::string& path) {
            const bool match = path.size() >= suffix.size() && path.ends_with(suffix);
            return match && step == CFileDB::SaveStep::Create ? error : 0;
        });
    }
    ~FailingSaves() { CFileDB::SetSaveFault({}); }
    FailingSaves(const FailingSaves&) = delete;
    FailingSaves& operator=(const FailingSaves&) = delete;
};
