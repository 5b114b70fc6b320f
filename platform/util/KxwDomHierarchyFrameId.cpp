#include "KxwDomHierarchyFrameId.h"

#include <cstdio>

#include "KxwUtilReport.h"

void KxwDomHierarchyFrameId::SetLevelAndZeroAfter(unsigned muDepth, unsigned muNumber) {
    if (muDepth > _tLevels.size()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "muDepth=%u beyond the %zu levels in "
                                              "KxwDomHierarchyFrameId::SetLevelAndZeroAfter for this=%p",
                                              muDepth, _tLevels.size(), static_cast<void*>(this));
    }
    _tLevels.resize(static_cast<size_t>(muDepth) + 1, 0);
    _tLevels[muDepth] = muNumber;
}

std::string KxwDomHierarchyFrameId::ToString() const {
    std::string dsText;
    char acNumber[16];
    for (size_t n = 0; n < _tLevels.size(); ++n) {
        if (n) dsText += '.';
        std::snprintf(acNumber, sizeof acNumber, "%u", _tLevels[n]);
        dsText += acNumber;
    }
    return dsText;
}
