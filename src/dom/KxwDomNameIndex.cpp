#include "KxwDomNameIndex.h"

#include <chrono>
#include <cstring>
#include <new>
#include <type_traits>

#include "KxwMemMgr.h"
#include "KxwUtilReport.h"
#include "maw_alloc.h"

namespace {

template <class CharT>
inline CharT FoldAscii(CharT mcChar) {
    return (mcChar >= 'A' && mcChar <= 'Z') ? static_cast<CharT>(mcChar - 'A' + 'a') : mcChar;
}

// Drawn once per process: a page cannot choose names that all fall into one slot.
uint32_t HashSeed() {
    static const uint32_t kuSeed = [] {
        static const char kcAnchor = 0;
        auto ullMix = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&kcAnchor));
        ullMix *= 0x9E3779B97F4A7C15ull;
        return static_cast<uint32_t>(ullMix >> 32);
    }();
    return kuSeed;
}

}  // namespace

template <class CharT>
void* KxwDomNameIndex<CharT>::Alloc(size_t mnSize) const {
    void* pvBlock = _ptMemMgr ? _ptMemMgr->Alloc(mnSize, 8) : maw_malloc(mnSize);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "KxwDomNameIndex");
    return pvBlock;
}

template <class CharT>
void KxwDomNameIndex<CharT>::Free(void* mpvBlock) const {
    if (_ptMemMgr)
        _ptMemMgr->Free(mpvBlock);
    else
        maw_free(mpvBlock);
}

template <class CharT>
uint32_t KxwDomNameIndex<CharT>::Hash(const CharT* mpsfName, size_t mnLen, bool mbFold) {
    // FNV-1a over the code units from a seeded start, and a final mix so that every bit reaches the slot bits.
    uint32_t uHash = 2166136261u ^ HashSeed();
    for (size_t n = 0; n < mnLen; ++n) {
        CharT cChar = mbFold ? FoldAscii(mpsfName[n]) : mpsfName[n];
        uHash = (uHash ^ static_cast<uint32_t>(static_cast<std::make_unsigned_t<CharT>>(cChar))) * 16777619u;
    }
    uHash ^= uHash >> 16;
    uHash *= 0x85EBCA6Bu;
    uHash ^= uHash >> 13;
    uHash *= 0xC2B2AE35u;
    return uHash ^ (uHash >> 16);
}

template <class CharT>
bool KxwDomNameIndex<CharT>::Equal(const CharT* mpsfLeft, size_t mnLeftLen, const CharT* mpsfRight, size_t mnRightLen,
                                   bool mbFold) {
    if (mnLeftLen != mnRightLen) return false;
    for (size_t n = 0; n < mnLeftLen; ++n)
        if (mpsfLeft[n] != mpsfRight[n] && (!mbFold || FoldAscii(mpsfLeft[n]) != FoldAscii(mpsfRight[n]))) return false;
    return true;
}

template <class CharT>
void KxwDomNameIndex<CharT>::Clear() {
    for (size_t nSlot = 0; nSlot < _nSlots; ++nSlot) {
        for (Entry* ptEntry = _pptExact[nSlot]; ptEntry;) {
            Entry* ptNext = ptEntry->_ptExactNext;
            Free(ptEntry);
            ptEntry = ptNext;
        }
    }
    if (_pptExact) Free(_pptExact);
    if (_pptFolded) Free(_pptFolded);
    _pptExact = _pptFolded = nullptr;
    _nSlots = _nSize = 0;
}

template <class CharT>
void KxwDomNameIndex<CharT>::Grow() {
    size_t nOldSlots = _nSlots;
    Entry** pptOldExact = _pptExact;
    Entry** pptOldFolded = _pptFolded;
    _nSlots = nOldSlots ? 2 * nOldSlots : 16;
    _pptExact = static_cast<Entry**>(Alloc(_nSlots * sizeof(Entry*)));
    _pptFolded = static_cast<Entry**>(Alloc(_nSlots * sizeof(Entry*)));
    std::memset(_pptExact, 0, _nSlots * sizeof(Entry*));
    std::memset(_pptFolded, 0, _nSlots * sizeof(Entry*));
    for (size_t nSlot = 0; nSlot < nOldSlots; ++nSlot) {
        for (Entry* ptEntry = pptOldExact[nSlot]; ptEntry;) {
            Entry* ptNext = ptEntry->_ptExactNext;
            Entry*& rptExact = _pptExact[ptEntry->_uExactHash & (_nSlots - 1)];
            ptEntry->_ptExactNext = rptExact;
            rptExact = ptEntry;
            ptEntry = ptNext;
        }
        for (Entry* ptFirst = pptOldFolded[nSlot]; ptFirst;) {
            Entry* ptNext = ptFirst->_ptFoldedNext;
            Entry*& rptFolded = _pptFolded[Hash(ptFirst->Name(), ptFirst->_uLen, true) & (_nSlots - 1)];
            ptFirst->_ptFoldedNext = rptFolded;
            rptFolded = ptFirst;
            ptFirst = ptNext;
        }
    }
    if (pptOldExact) Free(pptOldExact);
    if (pptOldFolded) Free(pptOldFolded);
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::FindGroup(const CharT* mpsfName, size_t mnLen) const {
    if (!_nSlots) return nullptr;
    for (Entry* ptFirst = _pptFolded[Hash(mpsfName, mnLen, true) & (_nSlots - 1)]; ptFirst;
         ptFirst = ptFirst->_ptFoldedNext)
        if (Equal(ptFirst->Name(), ptFirst->_uLen, mpsfName, mnLen, true)) return ptFirst;
    return nullptr;
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::Add(const CharT* mpsfName, size_t mnLen,
                                                                    void* mpvValue) {
    if (_nSize >= _nSlots) Grow();
    auto* ptEntry = static_cast<Entry*>(Alloc(sizeof(Entry) + mnLen * sizeof(CharT)));
    new (ptEntry) Entry{mpvValue,
                        nullptr,
                        nullptr,
                        nullptr,
                        nullptr,
                        nullptr,
                        Hash(mpsfName, mnLen, false),
                        static_cast<uint32_t>(mnLen)};
    if (mnLen) std::memcpy(ptEntry + 1, mpsfName, mnLen * sizeof(CharT));
    // Exact chains keep the order of addition, so that the first entry of a name is found first.
    Entry** pptLink = &_pptExact[ptEntry->_uExactHash & (_nSlots - 1)];
    while (*pptLink) pptLink = &(*pptLink)->_ptExactNext;
    *pptLink = ptEntry;
    if (Entry* ptFirst = FindGroup(mpsfName, mnLen)) {
        Entry* ptLast = ptFirst->_ptGroupPrevious;
        ptLast->_ptGroupNext = ptEntry;
        ptEntry->_ptGroupPrevious = ptLast;
        ptFirst->_ptGroupPrevious = ptEntry;
    } else {
        ptEntry->_ptGroupPrevious = ptEntry;
        Entry*& rptFolded = _pptFolded[Hash(mpsfName, mnLen, true) & (_nSlots - 1)];
        ptEntry->_ptFoldedNext = rptFolded;
        rptFolded = ptEntry;
    }
    ++_nSize;
    return ptEntry;
}

template <class CharT>
void KxwDomNameIndex<CharT>::Unchain(Entry** mpptSlots, size_t mnSlot, Entry* mptEntry, Entry* Entry::*mpNext) {
    for (Entry** pptLink = &mpptSlots[mnSlot]; *pptLink; pptLink = &((*pptLink)->*mpNext)) {
        if (*pptLink != mptEntry) continue;
        *pptLink = mptEntry->*mpNext;
        return;
    }
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Entry %p not chained in KxwDomNameIndex::Remove for this=%p",
                                          static_cast<void*>(mptEntry), static_cast<void*>(this));
}

template <class CharT>
void KxwDomNameIndex<CharT>::Remove(Entry* mptEntry) {
    if (!mptEntry) return;
    Unchain(_pptExact, mptEntry->_uExactHash & (_nSlots - 1), mptEntry, &Entry::_ptExactNext);
    Entry* ptNext = mptEntry->_ptGroupNext;
    if (IsGroupFirst(mptEntry)) {
        size_t nSlot = Hash(mptEntry->Name(), mptEntry->_uLen, true) & (_nSlots - 1);
        Unchain(_pptFolded, nSlot, mptEntry, &Entry::_ptFoldedNext);
        if (ptNext) {
            // The next entry leads the group from now on.
            ptNext->_ptGroupPrevious = mptEntry->_ptGroupPrevious;
            ptNext->_ptFoldedNext = _pptFolded[nSlot];
            _pptFolded[nSlot] = ptNext;
        }
    } else {
        Entry* ptPrevious = mptEntry->_ptGroupPrevious;
        ptPrevious->_ptGroupNext = ptNext;
        if (ptNext) {
            ptNext->_ptGroupPrevious = ptPrevious;
        } else {
            // The last one goes: the first entry names the new last.
            FindGroup(mptEntry->Name(), mptEntry->_uLen)->_ptGroupPrevious = ptPrevious;
        }
    }
    mptEntry->~Entry();
    Free(mptEntry);
    --_nSize;
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::FindExact(const CharT* mpsfName, size_t mnLen) const {
    if (!_nSlots) return nullptr;
    uint32_t uHash = Hash(mpsfName, mnLen, false);
    for (Entry* ptEntry = _pptExact[uHash & (_nSlots - 1)]; ptEntry; ptEntry = ptEntry->_ptExactNext)
        if (ptEntry->_uExactHash == uHash && Equal(ptEntry->Name(), ptEntry->_uLen, mpsfName, mnLen, false))
            return ptEntry;
    return nullptr;
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::FindExact(const CharT* mpsfName, size_t mnLen,
                                                                          const void* mpvValue) const {
    if (!_nSlots) return nullptr;
    uint32_t uHash = Hash(mpsfName, mnLen, false);
    for (Entry* ptEntry = _pptExact[uHash & (_nSlots - 1)]; ptEntry; ptEntry = ptEntry->_ptExactNext)
        if (ptEntry->_pvValue == mpvValue && ptEntry->_uExactHash == uHash &&
            Equal(ptEntry->Name(), ptEntry->_uLen, mpsfName, mnLen, false))
            return ptEntry;
    return nullptr;
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::FindFirstIgnoringCase(const CharT* mpsfName,
                                                                                      size_t mnLen) const {
    return FindGroup(mpsfName, mnLen);
}

template <class CharT>
typename KxwDomNameIndex<CharT>::Entry* KxwDomNameIndex<CharT>::FindLastIgnoringCase(const CharT* mpsfName,
                                                                                     size_t mnLen) const {
    Entry* ptFirst = FindGroup(mpsfName, mnLen);
    return ptFirst ? ptFirst->_ptGroupPrevious : nullptr;
}

template class KxwDomNameIndex<char>;
template class KxwDomNameIndex<char16_t>;
