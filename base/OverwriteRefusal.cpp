#include "base/OverwriteRefusal.h"

OverwriteRefusal CheckOverwrite(const struct stat& existing, const std::string& notSameAs) {
    if (!S_ISREG(existing.st_mode))
        return OverwriteRefusal::NotRegular;
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return OverwriteRefusal::ReadOnly;
    struct stat input {};
    if (!notSameAs.empty() && ::stat(notSameAs.c_str(), &input) == 0 &&
        input.st_dev == existing.st_dev && input.st_ino == existing.st_ino)
        return OverwriteRefusal::SameAsInput;
    return OverwriteRefusal::None;
}
