#include <cstring>
#include <new>

#include "KxwUtilReport.h"
#include "KxwiUrl.h"

namespace {

// Far above any URL a page holds; keeps the size arithmetic below from wrapping.
constexpr size_t kMaxUrlLen = size_t(1) << 40;

// Browsers strip C0 controls and spaces around a URL.
bool IsUrlBlank(char mc) {
    return static_cast<unsigned char>(mc) <= 0x20;
}

void Trim(const char*& mrpsfStr, size_t& mrnLen) {
    while (mrnLen > 0 && IsUrlBlank(mrpsfStr[0])) {
        ++mrpsfStr;
        --mrnLen;
    }
    while (mrnLen > 0 && IsUrlBlank(mrpsfStr[mrnLen - 1])) --mrnLen;
}

bool IsAsciiAlpha(char mc) {
    return (mc >= 'a' && mc <= 'z') || (mc >= 'A' && mc <= 'Z');
}

bool IsSlash(char mc, bool mbHierarchical) {
    return mc == '/' || (mbHierarchical && mc == '\\');
}

// The length of the drive segment ("/c:") a file: path begins with, else 0; "../" never removes it.
size_t DriveLen(const char* mpsfPath, size_t mnLen) {
    if (mnLen < 3 || !IsSlash(mpsfPath[0], true) || !IsAsciiAlpha(mpsfPath[1]) || mpsfPath[2] != ':') return 0;
    return (mnLen == 3 || IsSlash(mpsfPath[3], true)) ? 3 : 0;
}

// "." and "..", also written with percent-escaped dots, as browsers recognise them.
bool IsDotSegment(const char* mpsfSeg, size_t mnLen) {
    return (mnLen == 1 && mpsfSeg[0] == '.') ||
           (mnLen == 3 && mpsfSeg[0] == '%' && mpsfSeg[1] == '2' && (mpsfSeg[2] == 'e' || mpsfSeg[2] == 'E'));
}

bool IsDoubleDotSegment(const char* mpsfSeg, size_t mnLen) {
    for (size_t nFirst = 1; nFirst <= 3 && nFirst < mnLen; nFirst += 2)
        if (IsDotSegment(mpsfSeg, nFirst) && IsDotSegment(mpsfSeg + nFirst, mnLen - nFirst)) return true;
    return false;
}

// Removes "." and ".." segments from an absolute path in place and gives its new length; the first mnFloor bytes
// (a drive) stay. The output never runs ahead of the input, so moving segments down is safe.
size_t RemoveDotSegments(char* mpsfPath, size_t mnLen, size_t mnFloor) {
    if (mnLen == 0 || mpsfPath[0] != '/') return mnLen;
    size_t nOut = mnFloor;
    size_t nIn = mnFloor;
    while (nIn < mnLen) {
        size_t nSegEnd = nIn + 1;
        while (nSegEnd < mnLen && mpsfPath[nSegEnd] != '/') ++nSegEnd;
        const char* psfSeg = mpsfPath + nIn + 1;
        size_t nSegLen = nSegEnd - nIn - 1;
        bool bDot = IsDotSegment(psfSeg, nSegLen);
        bool bDoubleDot = !bDot && IsDoubleDotSegment(psfSeg, nSegLen);
        if (bDot || bDoubleDot) {
            if (bDoubleDot) {
                while (nOut > mnFloor && mpsfPath[nOut - 1] != '/') --nOut;
                if (nOut > mnFloor) --nOut;  // the '/' that began the removed segment
            }
            // A path ending in "." or ".." names a directory: it keeps its final '/'.
            if (nSegEnd == mnLen) mpsfPath[nOut++] = '/';
        } else {
            std::memmove(mpsfPath + nOut, mpsfPath + nIn, nSegEnd - nIn);
            nOut += nSegEnd - nIn;
        }
        nIn = nSegEnd;
    }
    return nOut;
}

// The combined URL while it is built: on the stack for ordinary URLs, on the heap beyond. The capacity is an upper
// bound of the result computed beforehand.
class KxwiUrlComposer {
public:
    explicit KxwiUrlComposer(size_t mnCapacity) : _nCapacity(mnCapacity) {
        if (mnCapacity > sizeof(_acStack)) {
            _psfHeap = new (std::nothrow) char[mnCapacity];
            if (!_psfHeap) KxwUtilOutOfMemoryAbort(static_cast<long>(mnCapacity), "URL combining buffer");
            _psfBuf = _psfHeap;
        }
    }
    ~KxwiUrlComposer() { delete[] _psfHeap; }
    KxwiUrlComposer(const KxwiUrlComposer&) = delete;
    KxwiUrlComposer& operator=(const KxwiUrlComposer&) = delete;

    void AppendAsIs(const char* mpsfStr, size_t mnLen) {
        if (!Room(mnLen)) return;
        if (mnLen) std::memcpy(_psfBuf + _nLen, mpsfStr, mnLen);
        _nLen += mnLen;
    }
    // Text of the relative URL: tabs and line breaks go, and in a host or path of a hierarchical URL '\' becomes
    // '/'.
    void AppendFiltered(const char* mpsfStr, size_t mnLen, bool mbBackslashIsSlash) {
        if (!Room(mnLen)) return;
        for (size_t i = 0; i < mnLen; ++i) {
            char c = mpsfStr[i];
            if (c == '\t' || c == '\n' || c == '\r') continue;
            _psfBuf[_nLen++] = (mbBackslashIsSlash && c == '\\') ? '/' : c;
        }
    }
    void AppendChar(char mc) {
        if (Room(1)) _psfBuf[_nLen++] = mc;
    }

    char* Data() { return _psfBuf; }
    size_t Len() const { return _nLen; }
    void Truncate(size_t mnLen) {
        if (mnLen < _nLen) _nLen = mnLen;
    }
    bool Overflowed() const { return _bOverflowed; }

private:
    bool Room(size_t mnLen) {
        if (!_bOverflowed && mnLen <= _nCapacity - _nLen) return true;
        _bOverflowed = true;
        return false;
    }

    char _acStack[1024];
    char* _psfBuf = _acStack;
    char* _psfHeap = nullptr;
    size_t _nCapacity;
    size_t _nLen = 0;
    bool _bOverflowed = false;
};

// A relative URL and the base it is resolved against, with their parts.
struct KxwiUrlCombineInput {
    const char* _psfBase;
    KxwiUrlParts _tBase;
    const char* _psfRel;
    size_t _nRelLen;
    KxwiUrlParts _tRel;
    bool _bHierarchical;
    bool _bKeepFragmentID;
};

// Cleans the path the composer holds from mnPathBegin on: its dot segments go, and an empty one becomes "/".
void FinishPath(KxwiUrlComposer& mrtOut, size_t mnPathBegin, bool mbRemoveDots, bool mbIsFile, bool mbHasAuthority,
                bool mbHierarchical) {
    if (mbRemoveDots) {
        char* psfPath = mrtOut.Data() + mnPathBegin;
        size_t nLen = mrtOut.Len() - mnPathBegin;
        size_t nFloor = mbIsFile ? DriveLen(psfPath, nLen) : 0;
        mrtOut.Truncate(mnPathBegin + RemoveDotSegments(psfPath, nLen, nFloor));
    }
    // Browsers show "http://host" as "http://host/".
    if (mbHierarchical && mbHasAuthority && mrtOut.Len() == mnPathBegin) mrtOut.AppendChar('/');
}

void AppendRelQueryAndFragment(const KxwiUrlCombineInput& mrtIn, KxwiUrlComposer& mrtOut) {
    const KxwiUrlParts& rtRel = mrtIn._tRel;
    mrtOut.AppendFiltered(mrtIn._psfRel + rtRel._nQueryBegin, rtRel._nQueryEnd - rtRel._nQueryBegin, false);
    if (mrtIn._bKeepFragmentID)
        mrtOut.AppendFiltered(mrtIn._psfRel + rtRel._nFragmentBegin, rtRel._nFragmentEnd - rtRel._nFragmentBegin,
                              false);
}

// "c:\dir\page.htm" as the file: URL "file:///c:/dir/page.htm".
void ComposeDrivePath(const char* mpsfRel, size_t mnRelLen, bool mbKeepFragmentID, KxwiUrlComposer& mrtOut) {
    KxwiUrlCombineInput tIn{};
    tIn._psfRel = mpsfRel;
    tIn._nRelLen = mnRelLen;
    tIn._bKeepFragmentID = mbKeepFragmentID;
    xfvKxwiUrlParseRelative(mpsfRel, mnRelLen, true, &tIn._tRel);
    mrtOut.AppendAsIs("file://", 7);
    size_t nPathBegin = mrtOut.Len();
    mrtOut.AppendChar('/');
    mrtOut.AppendFiltered(mpsfRel, tIn._tRel._nPathEnd, true);
    FinishPath(mrtOut, nPathBegin, true, true, true, true);
    AppendRelQueryAndFragment(tIn, mrtOut);
}

// Resolves a reference without scheme against a base with one; false when the base cannot serve as one.
bool ComposeRelative(const KxwiUrlCombineInput& mrtIn, KxwiUrlComposer& mrtOut) {
    const KxwiUrlParts& rtBase = mrtIn._tBase;
    const KxwiUrlParts& rtRel = mrtIn._tRel;
    const char* psfBase = mrtIn._psfBase;
    const char* psfRel = mrtIn._psfRel;
    bool bHier = mrtIn._bHierarchical;
    bool bIsFile = rtBase._eScheme == KXWI_URL_SCHEME_FILE;
    size_t nBasePathLen = rtBase._nPathEnd - rtBase._nPathBegin;
    // mailto:, javascript:, about:blank and the like have no path to resolve against: only a fragment applies.
    bool bBaseIsOpaque = !rtBase._bHasAuthority && (nBasePathLen == 0 || !IsSlash(psfBase[rtBase._nPathBegin], bHier));
    bool bRelIsFragmentOnly = mrtIn._nRelLen > 0 && psfRel[0] == '#';
    if (bBaseIsOpaque && !bRelIsFragmentOnly && mrtIn._nRelLen > 0) return false;
    if (bBaseIsOpaque) {
        mrtOut.AppendAsIs(psfBase, rtBase._nFragmentBegin);
        if (mrtIn._bKeepFragmentID) mrtOut.AppendFiltered(psfRel, mrtIn._nRelLen, false);
        return true;
    }

    mrtOut.AppendAsIs(psfBase, rtBase._nSchemeLen);
    if (rtRel._bHasAuthority) {
        // "//host/path": only the scheme comes from the base.
        mrtOut.AppendFiltered(psfRel, rtRel._nPathBegin, bHier);
        size_t nPathBegin = mrtOut.Len();
        mrtOut.AppendFiltered(psfRel + rtRel._nPathBegin, rtRel._nPathEnd - rtRel._nPathBegin, bHier);
        FinishPath(mrtOut, nPathBegin, true, bIsFile, true, bHier);
        AppendRelQueryAndFragment(mrtIn, mrtOut);
        return true;
    }

    if (rtBase._bHasAuthority) {
        mrtOut.AppendAsIs("//", 2);
        mrtOut.AppendAsIs(psfBase + rtBase._nSchemeLen + 2, rtBase._nPathBegin - rtBase._nSchemeLen - 2);
    }
    size_t nPathBegin = mrtOut.Len();
    size_t nRelPathLen = rtRel._nPathEnd - rtRel._nPathBegin;
    const char* psfBasePath = psfBase + rtBase._nPathBegin;
    if (nRelPathLen == 0) {
        // "", "?query" or "#fragment": the base's path, and its query unless a new one is given.
        mrtOut.AppendFiltered(psfBasePath, nBasePathLen, bHier);
        FinishPath(mrtOut, nPathBegin, false, bIsFile, rtBase._bHasAuthority, bHier);
        if (rtRel._nQueryBegin == rtRel._nQueryEnd)
            mrtOut.AppendAsIs(psfBase + rtBase._nQueryBegin, rtBase._nQueryEnd - rtBase._nQueryBegin);
        AppendRelQueryAndFragment(mrtIn, mrtOut);
        return true;
    }

    if (IsSlash(psfRel[rtRel._nPathBegin], bHier)) {
        // "/path": a file: base keeps its drive unless the reference names one.
        size_t nDriveLen = bIsFile ? DriveLen(psfBasePath, nBasePathLen) : 0;
        if (nDriveLen && !DriveLen(psfRel + rtRel._nPathBegin, nRelPathLen))
            mrtOut.AppendFiltered(psfBasePath, nDriveLen, true);
    } else {
        // "path": the base's path up to its last '/' (or "/" for a base with a host and no path), then the reference.
        size_t nKeep = nBasePathLen;
        while (nKeep > 0 && !IsSlash(psfBasePath[nKeep - 1], bHier)) --nKeep;
        if (nKeep == 0 && rtBase._bHasAuthority)
            mrtOut.AppendChar('/');
        else
            mrtOut.AppendFiltered(psfBasePath, nKeep, bHier);
    }
    mrtOut.AppendFiltered(psfRel + rtRel._nPathBegin, nRelPathLen, bHier);
    FinishPath(mrtOut, nPathBegin, true, bIsFile, rtBase._bHasAuthority, bHier);
    AppendRelQueryAndFragment(mrtIn, mrtOut);
    return true;
}

bool Compose(const char* mpsfBase, size_t mnBaseLen, const char* mpsfRel, size_t mnRelLen, bool mbKeepFragmentID,
             KxwiUrlComposer& mrtOut) {
    if (xfbKxwiUrlIsWindowsDrivePath(mpsfRel, mnRelLen)) {
        ComposeDrivePath(mpsfRel, mnRelLen, mbKeepFragmentID, mrtOut);
        return true;
    }
    int iRelSchemeLen = 0;
    KXWI_URL_SCHEME_ENUM eRel = xfeKxwiUrlDetectUriScheme(mpsfRel, mnRelLen, &iRelSchemeLen);
    KXWI_URL_SCHEME_ENUM eBase = xfeKxwiUrlDetectUriScheme(mpsfBase, mnBaseLen);
    if (eRel != KXWI_URL_SCHEME_UNSPECIFIED) {
        const char* psfRest = mpsfRel + iRelSchemeLen;
        size_t nRestLen = mnRelLen - static_cast<size_t>(iRelSchemeLen);
        bool bRestHasAuthority = nRestLen >= 2 && IsSlash(psfRest[0], true) && IsSlash(psfRest[1], true);
        if (!xfbKxwiUrlIsHierarchicalScheme(eRel) || eRel != eBase || bRestHasAuthority) {
            size_t nLen = mnRelLen;
            // The text of a script URL is code, in which '#' is no fragment.
            if (!mbKeepFragmentID && eRel != KXWI_URL_SCHEME_JAVASCRIPT && eRel != KXWI_URL_SCHEME_VBSCRIPT)
                nLen = xfnKxwiUrlLenWithoutFragmentID(mpsfRel, mnRelLen);
            mrtOut.AppendAsIs(mpsfRel, nLen);
            return true;
        }
        // "http:page.htm" against an http base reads as "page.htm", as browsers read it.
        mpsfRel = psfRest;
        mnRelLen = nRestLen;
    }
    if (eBase == KXWI_URL_SCHEME_UNSPECIFIED) return false;

    KxwiUrlCombineInput tIn{};
    tIn._psfBase = mpsfBase;
    tIn._psfRel = mpsfRel;
    tIn._nRelLen = mnRelLen;
    tIn._bHierarchical = xfbKxwiUrlIsHierarchicalScheme(eBase);
    tIn._bKeepFragmentID = mbKeepFragmentID;
    xfvKxwiUrlParse(mpsfBase, mnBaseLen, &tIn._tBase);
    xfvKxwiUrlParseRelative(mpsfRel, mnRelLen, tIn._bHierarchical, &tIn._tRel);
    return ComposeRelative(tIn, mrtOut);
}

}  // namespace

bool KxwiUrlCombine::Combine(const char* mpsfBaseStr, size_t mnBaseLen, const char* mpsfRelativeStr,
                             size_t mnRelativeLen, char* mpsfBuf, size_t mnBufLen, size_t* mpnResultLen,
                             bool mbKeepFragmentID) {
    if (mpnResultLen) *mpnResultLen = 0;
    if (!mpnResultLen || (!mpsfBaseStr && mnBaseLen) || (!mpsfRelativeStr && mnRelativeLen) || (!mpsfBuf && mnBufLen) ||
        mnBaseLen > kMaxUrlLen || mnRelativeLen > kMaxUrlLen) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfBaseStr=%p/mnBaseLen=%zu, mpsfRelativeStr=%p/mnRelativeLen=%zu, mpsfBuf=%p/mnBufLen=%zu or "
            "mpnResultLen=%p in KxwiUrlCombine::Combine",
            static_cast<const void*>(mpsfBaseStr), mnBaseLen, static_cast<const void*>(mpsfRelativeStr), mnRelativeLen,
            static_cast<void*>(mpsfBuf), mnBufLen, static_cast<void*>(mpnResultLen));
        return false;
    }
    const char* psfBase = mpsfBaseStr ? mpsfBaseStr : "";
    const char* psfRel = mpsfRelativeStr ? mpsfRelativeStr : "";
    Trim(psfBase, mnBaseLen);
    Trim(psfRel, mnRelativeLen);
    // Every case writes at most both texts, "file:///", a drive taken from the base and a closing '/'.
    KxwiUrlComposer tOut(mnBaseLen + mnRelativeLen + 16);
    if (!Compose(psfBase, mnBaseLen, psfRel, mnRelativeLen, mbKeepFragmentID, tOut)) return false;
    if (tOut.Overflowed()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Combined URL longer than its bound (base %zu, relative %zu bytes) in "
                                              "KxwiUrlCombine::Combine",
                                              mnBaseLen, mnRelativeLen);
        return false;
    }
    *mpnResultLen = tOut.Len();
    if (tOut.Len() >= mnBufLen) return false;
    std::memcpy(mpsfBuf, tOut.Data(), tOut.Len());
    mpsfBuf[tOut.Len()] = '\0';
    return true;
}
