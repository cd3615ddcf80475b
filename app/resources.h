// The program's resources: the two dialog templates, the string table, the
// application icon and the version record.
#pragma once

#include <arkseal/ui/core/resources.h>

namespace arkseal {

extern const ResourceTable kArksealResources;

struct VersionRecord {
    unsigned fileVersion[4];
    unsigned productVersion[4];
    unsigned flagMask;
    bool debugBuild;
    const char* language;  // language and code page of the string block
    const char* companyName;
    const char* fileDescription;
    const char* fileVersionText;
    const char* internalName;
    const char* legalTrademarks;
    const char* originalFilename;
    const char* productName;
    const char* productVersionText;
};

extern const VersionRecord kVersionRecord;

}  // namespace arkseal
