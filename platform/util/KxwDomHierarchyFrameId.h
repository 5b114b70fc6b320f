// The dotted number of a window in its virtual user's window hierarchy, as the hierarchy dump writes it: one level
// per window generation, each the 1-based position among its siblings ("1" for the first top window, "1.2" for its
// second frame, "2.1.1" below the second top window). The walk that numbers windows opens a level when it goes
// down to a window's first frame and counts on at the depth of a sibling.
#pragma once

#include <string>
#include <vector>

#include "kxw/KxwExport.h"

class KXW_API KxwDomHierarchyFrameId {
public:
    KxwDomHierarchyFrameId() = default;

    // Opens a level below the deepest one, numbered muNumber.
    void AddLevel(unsigned muNumber) { _tLevels.push_back(muNumber); }
    // Numbers the level at muDepth (0 the top) and drops the deeper ones. A depth beyond the deepest level plus
    // one is a walk that skipped a level: it is reported, the missing levels are numbered 0, and the number is set.
    void SetLevelAndZeroAfter(unsigned muDepth, unsigned muNumber);
    // The number at muDepth; 0 beyond the deepest level.
    unsigned GetLevel(unsigned muDepth) const { return muDepth < _tLevels.size() ? _tLevels[muDepth] : 0; }
    unsigned GetLevelCount() const { return static_cast<unsigned>(_tLevels.size()); }
    void Reset() { _tLevels.clear(); }

    // "1.2.3"; the empty text without a level.
    std::string ToString() const;

private:
    std::vector<unsigned> _tLevels;
};
