#include "KxwDomAdditionalAttrCollection.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "KxwDomHtmlTextsStr.h"
#include "KxwDomStrEnv.h"
#include "KxwMemMgr.h"
#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"
#include "KxwUtilStrCompare.h"
#include "kxw/KxwEnvCfg.h"

namespace {

constexpr size_t kU16nLenSize = sizeof(uint32_t);

size_t PadToLenAlignment(size_t mnOffset) {
    return (kU16nLenSize - mnOffset % kU16nLenSize) % kU16nLenSize;
}

bool IsNameEqual(const char* mpsfName1, size_t mnLen1, const char* mpsfName2, size_t mnLen2, bool mbIgnoreCase) {
    if (mbIgnoreCase) return xfbKxwUtilIsEqualIgnoreCase(mpsfName1, mnLen1, mpsfName2, mnLen2);
    return mnLen1 == mnLen2 && std::memcmp(mpsfName1, mpsfName2, mnLen1) == 0;
}

KxwU16nHandler* HandlerOf(KxwDomStrEnvApi& mrtStrEnv) {
    KxwU16nHandler* ptHandler = mrtStrEnv.GetU16nHandler();
    return ptHandler ? ptHandler : xfptKxwU16nHandlerGetDefault();
}

}  // namespace

// ---- Attr -------------------------------------------------------------------------------------------------------

KxwDomAdditionalAttrCollection::Attr* KxwDomAdditionalAttrCollection::Attr::GetNext() const {
    Attr* ptNext;
    std::memcpy(&ptNext, Bytes(), sizeof ptNext);
    return ptNext;
}

void KxwDomAdditionalAttrCollection::Attr::SetNext(Attr* mptNext) {
    std::memcpy(Bytes(), &mptNext, sizeof mptNext);
}

unsigned KxwDomAdditionalAttrCollection::Attr::GetNameDcsLenInBytes() const {
    unsigned uShortLen = GetFlags() & kNameLenMask;
    if (uShortLen != kNameLenMask) return uShortLen + 1;
    return static_cast<unsigned>(std::strlen(GetNameDcsStr()));
}

const char* KxwDomAdditionalAttrCollection::Attr::GetValueDcsStr() const {
    return IsValueDcsPresent() ? reinterpret_cast<const char*>(Bytes() + AddrPastName()) : nullptr;
}

unsigned KxwDomAdditionalAttrCollection::Attr::GetValueDcsLenInBytes() const {
    const char* psfValue = GetValueDcsStr();
    return psfValue ? static_cast<unsigned>(std::strlen(psfValue)) : 0;
}

size_t KxwDomAdditionalAttrCollection::Attr::AddrValueU16nLen() const {
    size_t nOffset = AddrPastName();
    if (IsValueDcsPresent()) nOffset += GetValueDcsLenInBytes() + 1;
    return nOffset + PadToLenAlignment(nOffset);
}

const char16_t* KxwDomAdditionalAttrCollection::Attr::GetValueU16nStr() const {
    if (!IsValueU16nPresent()) return nullptr;
    return reinterpret_cast<const char16_t*>(Bytes() + AddrValueU16nLen() + kU16nLenSize);
}

unsigned KxwDomAdditionalAttrCollection::Attr::GetValueU16nLenInChars() const {
    if (!IsValueU16nPresent()) return 0;
    uint32_t uLen;
    std::memcpy(&uLen, Bytes() + AddrValueU16nLen(), sizeof uLen);
    return uLen;
}

size_t KxwDomAdditionalAttrCollection::Attr::GetRequiredMemSize(size_t mnNameDcsLenInBytes,
                                                                const char* mpsfValueDcsStrOrNULL,
                                                                size_t mnValueDcsLenInBytes,
                                                                const char16_t* mpsfkValueU16nStrOrNULL,
                                                                size_t mnValueU16nLenInChars) {
    size_t nSize = kNameOffset + mnNameDcsLenInBytes + 1;
    if (mpsfValueDcsStrOrNULL) nSize += mnValueDcsLenInBytes + 1;
    if (mpsfkValueU16nStrOrNULL) nSize += PadToLenAlignment(nSize) + kU16nLenSize + 2 * mnValueU16nLenInChars + 2;
    return nSize;
}

// ---- The store ----------------------------------------------------------------------------------------------------

KxwDomAdditionalAttrCollection::KxwDomAdditionalAttrCollection(KxwDomStrEnvApi& mrtStrEnv) : _rtStrEnv(mrtStrEnv) {}

KxwDomAdditionalAttrCollection::~KxwDomAdditionalAttrCollection() {
    while (_ptFirstAttr) RemoveFirstAttr();
    if (_ptIndexes) {
        KxwMemMgr* ptMemMgr = _rtStrEnv.GetMemMgr();
        _ptIndexes->~Indexes();
        if (ptMemMgr)
            ptMemMgr->Free(_ptIndexes);
        else
            std::free(_ptIndexes);
    }
}

KxwDomAdditionalAttrCollection::Indexes& KxwDomAdditionalAttrCollection::MakeIndexes() {
    if (!_ptIndexes) {
        KxwMemMgr* ptMemMgr = _rtStrEnv.GetMemMgr();
        void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(sizeof(Indexes), 8) : std::malloc(sizeof(Indexes));
        if (!pvBlock)
            KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(Indexes)), "KxwDomAdditionalAttrCollection index");
        _ptIndexes = new (pvBlock) Indexes(ptMemMgr);
    }
    return *_ptIndexes;
}

KxwDomNameIndex<char16_t>* KxwDomAdditionalAttrCollection::GetDumpedNames(bool mbCreate) {
    if (!mbCreate) return _ptIndexes && _ptIndexes->_bDumpedIndexed ? &_ptIndexes->_tDumped : nullptr;
    MakeIndexes()._bDumpedIndexed = true;
    return &_ptIndexes->_tDumped;
}

void KxwDomAdditionalAttrCollection::IndexRecords() {
    Indexes& rtIndexes = MakeIndexes();
    // Oldest first, as if each had been inserted in turn: the newest record of a name ends its group.
    std::vector<Attr*> tRecords;
    for (Attr* ptAttr = _ptFirstAttr; ptAttr; ptAttr = ptAttr->GetNext()) tRecords.push_back(ptAttr);
    for (size_t n = tRecords.size(); n-- > 0;) {
        KxwDomNameIndex<char>::Entry* ptEntry =
            rtIndexes._tRecords.Add(tRecords[n]->GetNameDcsStr(), tRecords[n]->GetNameDcsLenInBytes(), tRecords[n]);
        ptEntry->_pvAux = n > 0 ? tRecords[n - 1] : nullptr;
    }
    rtIndexes._bRecordsIndexed = true;
}

KxwDomNameIndex<char>::Entry* KxwDomAdditionalAttrCollection::EntryOf(const Attr* mptAttr) const {
    return _ptIndexes->_tRecords.FindExact(mptAttr->GetNameDcsStr(), mptAttr->GetNameDcsLenInBytes(), mptAttr);
}

void KxwDomAdditionalAttrCollection::SetPredecessorOf(const Attr* mptAttr, Attr* mptPredecessor) {
    if (!mptAttr || !IsIndexed()) return;
    if (KxwDomNameIndex<char>::Entry* ptEntry = EntryOf(mptAttr)) ptEntry->_pvAux = mptPredecessor;
}

KxwDomAdditionalAttrCollection::Attr* KxwDomAdditionalAttrCollection::CreateAttr(
    const char* mpsfzNameDcsStr, size_t mnNameDcsLenInBytes, const char* mpsfzValueDcsStrOrNULL,
    size_t mnValueDcsLenInBytes, const char16_t* mpsfzkValueU16nStrOrNULL, size_t mnValueU16nLenInChars,
    bool mbIncludeInInnerOuterHTML) {
    // A zero byte inside a name or a DCS value would cut it when it is measured back from its terminator.
    bool bBadBytes = (mpsfzNameDcsStr && std::memchr(mpsfzNameDcsStr, 0, mnNameDcsLenInBytes)) ||
                     (mpsfzValueDcsStrOrNULL && std::memchr(mpsfzValueDcsStrOrNULL, 0, mnValueDcsLenInBytes));
    if ((!mpsfzNameDcsStr && mnNameDcsLenInBytes) || (!mpsfzValueDcsStrOrNULL && mnValueDcsLenInBytes) ||
        (!mpsfzkValueU16nStrOrNULL && mnValueU16nLenInChars) || mnValueU16nLenInChars > UINT32_MAX || bBadBytes) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid arguments for KxwDomAdditionalAttrCollection::Attr::Create(mrtAttrCollection=%p, "
            "mpsfzNameDcsStr=%p, mnNameDcsLenInBytes=%ld, mpsfzValueDcsStrOrNULL=%p, mnValueDcsLenInBytes=%ld, "
            "mpsfzkValueU16nStrOrNULL=%p, mnValueU16nLenInChars=%ld, mbIncludeInInnerOuterHTML=%d)",
            static_cast<void*>(this), static_cast<const void*>(mpsfzNameDcsStr), static_cast<long>(mnNameDcsLenInBytes),
            static_cast<const void*>(mpsfzValueDcsStrOrNULL), static_cast<long>(mnValueDcsLenInBytes),
            static_cast<const void*>(mpsfzkValueU16nStrOrNULL), static_cast<long>(mnValueU16nLenInChars),
            mbIncludeInInnerOuterHTML ? 1 : 0);
        return nullptr;
    }
    if (mnNameDcsLenInBytes == 0) {
        if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE)) {
            if (mpsfzkValueU16nStrOrNULL && !mpsfzValueDcsStrOrNULL)
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                         "An HTML attribute with an empty name is ignored");
            else
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                         "An HTML attribute with an empty name (=\"%.*s\", with or without the quotes) "
                                         "is ignored",
                                         static_cast<int>(mnValueDcsLenInBytes < 1000 ? mnValueDcsLenInBytes : 1000),
                                         mpsfzValueDcsStrOrNULL ? mpsfzValueDcsStrOrNULL : "");
        }
        return nullptr;
    }

    size_t nSize = Attr::GetRequiredMemSize(mnNameDcsLenInBytes, mpsfzValueDcsStrOrNULL, mnValueDcsLenInBytes,
                                            mpsfzkValueU16nStrOrNULL, mnValueU16nLenInChars);
    KxwMemMgr* ptMemMgr = _rtStrEnv.GetMemMgr();
    void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(nSize, 8) : std::malloc(nSize);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(nSize), "KxwDomAdditionalAttrCollection::Attr");

    auto* pcStart = static_cast<unsigned char*>(pvBlock);
    unsigned char* pcPos = pcStart;
    std::memset(pcPos, 0, Attr::kFlagsOffset);
    pcPos += Attr::kFlagsOffset;
    unsigned char ucFlags = mnNameDcsLenInBytes <= Attr::kNameLenMask
                                ? static_cast<unsigned char>(mnNameDcsLenInBytes - 1)
                                : Attr::kNameLenMask;
    if (mpsfzValueDcsStrOrNULL) ucFlags |= Attr::kIsValueDcsPresent;
    if (mpsfzkValueU16nStrOrNULL) ucFlags |= Attr::kIsValueU16nPresent;
    if (mbIncludeInInnerOuterHTML) ucFlags |= Attr::kIsIncludeInInnerOuterHTML;
    *pcPos++ = ucFlags;
    std::memcpy(pcPos, mpsfzNameDcsStr, mnNameDcsLenInBytes);
    pcPos += mnNameDcsLenInBytes;
    *pcPos++ = 0;
    if (mpsfzValueDcsStrOrNULL) {
        if (mnValueDcsLenInBytes) std::memcpy(pcPos, mpsfzValueDcsStrOrNULL, mnValueDcsLenInBytes);
        pcPos += mnValueDcsLenInBytes;
        *pcPos++ = 0;
    }
    if (mpsfzkValueU16nStrOrNULL) {
        size_t nPad = PadToLenAlignment(static_cast<size_t>(pcPos - pcStart));
        std::memset(pcPos, 0, nPad);
        pcPos += nPad;
        auto uLen = static_cast<uint32_t>(mnValueU16nLenInChars);
        std::memcpy(pcPos, &uLen, sizeof uLen);
        pcPos += sizeof uLen;
        if (mnValueU16nLenInChars) std::memcpy(pcPos, mpsfzkValueU16nStrOrNULL, 2 * mnValueU16nLenInChars);
        pcPos += 2 * mnValueU16nLenInChars;
        *pcPos++ = 0;
        *pcPos++ = 0;
    }
    auto nConstructedSize = static_cast<size_t>(pcPos - pcStart);
    if (nConstructedSize != nSize)
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "nConstructedSize (%ld) != mnMemSize (%ld) in KxwDomAdditionalAttrCollection::Attr::Construct.  this=%p, "
            "pcPos=%p",
            static_cast<long>(nConstructedSize), static_cast<long>(nSize), pvBlock, static_cast<void*>(pcPos));
    return static_cast<Attr*>(pvBlock);
}

void KxwDomAdditionalAttrCollection::DestroyAttr(Attr* mptAttr) {
    if (!mptAttr) return;
    if (KxwMemMgr* ptMemMgr = _rtStrEnv.GetMemMgr())
        ptMemMgr->Free(mptAttr);
    else
        std::free(mptAttr);
}

KxwDomAdditionalAttrCollection::Attr* KxwDomAdditionalAttrCollection::LocateAttr(const char* mpsfzNameDcsStr,
                                                                                 size_t mnNameDcsLenInBytes,
                                                                                 bool mbIgnoreCase,
                                                                                 Attr** mpptPrevAttr) const {
    if (mpptPrevAttr) *mpptPrevAttr = nullptr;
    if (IsIndexed()) {
        // The first record of the list among those equal but for case is the newest of them.
        KxwDomNameIndex<char>& rtRecords = _ptIndexes->_tRecords;
        KxwDomNameIndex<char>::Entry* ptEntry =
            mbIgnoreCase ? rtRecords.FindLastIgnoringCase(mpsfzNameDcsStr, mnNameDcsLenInBytes)
                         : rtRecords.FindExact(mpsfzNameDcsStr, mnNameDcsLenInBytes);
        if (!ptEntry) return nullptr;
        if (mpptPrevAttr) *mpptPrevAttr = static_cast<Attr*>(ptEntry->_pvAux);
        return static_cast<Attr*>(ptEntry->_pvValue);
    }
    Attr* ptPrev = nullptr;
    for (Attr* ptAttr = _ptFirstAttr; ptAttr; ptPrev = ptAttr, ptAttr = ptAttr->GetNext()) {
        if (IsNameEqual(ptAttr->GetNameDcsStr(), ptAttr->GetNameDcsLenInBytes(), mpsfzNameDcsStr, mnNameDcsLenInBytes,
                        mbIgnoreCase)) {
            if (mpptPrevAttr) *mpptPrevAttr = ptPrev;
            return ptAttr;
        }
    }
    return nullptr;
}

void KxwDomAdditionalAttrCollection::InsertAttrAsFirst(Attr* mptAttr) {
    SetPredecessorOf(_ptFirstAttr, mptAttr);
    mptAttr->SetNext(_ptFirstAttr);
    _ptFirstAttr = mptAttr;
    if (IsIndexed()) {
        _ptIndexes->_tRecords.Add(mptAttr->GetNameDcsStr(), mptAttr->GetNameDcsLenInBytes(), mptAttr);
        return;
    }
    // Counting stops past the threshold: a store without index never holds more than it.
    size_t nCount = 0;
    for (const Attr* ptAttr = _ptFirstAttr; ptAttr && nCount <= kIndexFrom; ptAttr = ptAttr->GetNext()) ++nCount;
    if (nCount > kIndexFrom) IndexRecords();
}

void KxwDomAdditionalAttrCollection::RemoveAndDestroyAttr(Attr* mptAttr, Attr* mptPrevAttr) {
    if (IsIndexed()) {
        _ptIndexes->_tRecords.Remove(EntryOf(mptAttr));
        SetPredecessorOf(mptAttr->GetNext(), mptPrevAttr);
    }
    if (mptPrevAttr)
        mptPrevAttr->SetNext(mptAttr->GetNext());
    else
        _ptFirstAttr = mptAttr->GetNext();
    DestroyAttr(mptAttr);
    // An emptied store (the element's dump) gives its index back.
    if (!_ptFirstAttr && IsIndexed()) {
        _ptIndexes->_tRecords.Clear();
        _ptIndexes->_bRecordsIndexed = false;
    }
}

void KxwDomAdditionalAttrCollection::RemoveFirstAttr() {
    if (_ptFirstAttr) RemoveAndDestroyAttr(_ptFirstAttr, nullptr);
}

size_t KxwDomAdditionalAttrCollection::GetCount() const {
    if (IsIndexed()) return _ptIndexes->_tRecords.Size();
    size_t nCount = 0;
    for (const Attr* ptAttr = _ptFirstAttr; ptAttr; ptAttr = ptAttr->GetNext()) ++nCount;
    return nCount;
}

bool KxwDomAdditionalAttrCollection::AddParsedAttr(const char* mpszNameDcsStr, const char* mpszValueDcsStrOrNULL) {
    if (!mpszNameDcsStr) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpszNameDcsStr is NULL in KxwDomAdditionalAttrCollection::AddParsedAttr for this=%p. "
            "mpszValueDcsStrOrNULL=%p=\"%.1000s\"",
            static_cast<void*>(this), static_cast<const void*>(mpszValueDcsStrOrNULL),
            mpszValueDcsStrOrNULL ? mpszValueDcsStrOrNULL : "[NULL]");
        return false;
    }
    if (!*mpszNameDcsStr) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE,
                                 "An HTML attribute with an empty name (=\"%.1000s\", with or without the quotes) is "
                                 "ignored",
                                 mpszValueDcsStrOrNULL ? mpszValueDcsStrOrNULL : "");
        return false;
    }
    size_t nNameLen = std::strlen(mpszNameDcsStr);
    if (LocateAttr(mpszNameDcsStr, nNameLen, false, nullptr)) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile(
                "Duplicate Attr (\"%.100s\") not added in "
                "KxwDomAdditionalAttrCollection::AddParsedAttr",
                mpszNameDcsStr);
        return false;
    }
    Attr* ptAttr = CreateAttr(mpszNameDcsStr, nNameLen, mpszValueDcsStrOrNULL,
                              mpszValueDcsStrOrNULL ? std::strlen(mpszValueDcsStrOrNULL) : 0, nullptr, 0, true);
    if (!ptAttr) return false;
    InsertAttrAsFirst(ptAttr);
    return true;
}

bool KxwDomAdditionalAttrCollection::AddOrReplaceAttr(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes,
                                                      bool mbIgnoreCase, const char16_t* mpsfkValueU16nStr,
                                                      unsigned mnValueU16nLenInChars, bool mbIncludeInInnerOuterHTML) {
    if (!mpsfzNameDcsStr || mnNameDcsLenInBytes == 0 || (!mpsfkValueU16nStr && mnValueU16nLenInChars)) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfzNameDcsStr/mnNameDcsLenInBytes/mpsfkValueU16nStr/mnValueU16nLenInChars (%p/%ld/%p/%ld) in "
            "KxwDomAdditionalAttrCollection::AddOrReplaceAttr",
            static_cast<const void*>(mpsfzNameDcsStr), static_cast<long>(mnNameDcsLenInBytes),
            static_cast<const void*>(mpsfkValueU16nStr), static_cast<long>(mnValueU16nLenInChars));
        return false;
    }
    // An empty value is still a value: the record must say the attribute has one.
    static const char16_t kEmpty[1] = {0};
    const char16_t* psfkValue = mpsfkValueU16nStr ? mpsfkValueU16nStr : kEmpty;
    Attr* ptPrev = nullptr;
    Attr* ptOld = LocateAttr(mpsfzNameDcsStr, mnNameDcsLenInBytes, mbIgnoreCase, &ptPrev);
    const char* psfName = ptOld ? ptOld->GetNameDcsStr() : mpsfzNameDcsStr;
    size_t nNameLen = ptOld ? ptOld->GetNameDcsLenInBytes() : mnNameDcsLenInBytes;
    Attr* ptNew =
        CreateAttr(psfName, nNameLen, nullptr, 0, psfkValue, mnValueU16nLenInChars, mbIncludeInInnerOuterHTML);
    if (!ptNew) return false;
    if (ptOld) RemoveAndDestroyAttr(ptOld, ptPrev);
    InsertAttrAsFirst(ptNew);
    return true;
}

bool KxwDomAdditionalAttrCollection::ConvertName(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars,
                                                 char*& mrpsfzNameDcsStr, size_t& mrnLen) const {
    mrpsfzNameDcsStr = nullptr;
    mrnLen = 0;
    if (!mpsfkNameU16nStr || mnNameU16nLenInChars == 0) return false;
    KxwU16nHandler* ptHandler = HandlerOf(_rtStrEnv);
    size_t nMax = ptHandler->GetMaxDcsLenInBytes(mnNameU16nLenInChars);
    mrpsfzNameDcsStr = static_cast<char*>(std::malloc(nMax + 1));
    if (!mrpsfzNameDcsStr) KxwUtilOutOfMemoryAbort(static_cast<long>(nMax + 1), "KxwDomAdditionalAttrCollection name");
    mrnLen = ptHandler->ConvertU16nToDcs(mpsfkNameU16nStr, mnNameU16nLenInChars, mrpsfzNameDcsStr, nMax);
    mrpsfzNameDcsStr[mrnLen] = 0;
    return true;
}

bool KxwDomAdditionalAttrCollection::AddOrReplaceAttr(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars,
                                                      bool mbIgnoreCase, const char16_t* mpsfkValueU16nStr,
                                                      unsigned mnValueU16nLenInChars, bool mbIncludeInInnerOuterHTML) {
    char* psfzName;
    size_t nLen;
    if (!ConvertName(mpsfkNameU16nStr, mnNameU16nLenInChars, psfzName, nLen) ||
        (!mpsfkValueU16nStr && mnValueU16nLenInChars)) {
        std::free(psfzName);
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfkNameU16nStr/mnNameU16nLenInChars/mpsfkValueU16nStr/mnValueU16nLenInChars (%p/%ld/%p/%ld) "
            "in KxwDomAdditionalAttrCollection::AddOrReplaceAttr",
            static_cast<const void*>(mpsfkNameU16nStr), static_cast<long>(mnNameU16nLenInChars),
            static_cast<const void*>(mpsfkValueU16nStr), static_cast<long>(mnValueU16nLenInChars));
        return false;
    }
    bool bRC = AddOrReplaceAttr(psfzName, static_cast<unsigned>(nLen), mbIgnoreCase, mpsfkValueU16nStr,
                                mnValueU16nLenInChars, mbIncludeInInnerOuterHTML);
    std::free(psfzName);
    return bRC;
}

KxwDomAdditionalAttrCollection::Attr* KxwDomAdditionalAttrCollection::ConvertAttr(Attr* mptAttr, Attr* mptPrevAttr) {
    KxwU16nHandler* ptHandler = HandlerOf(_rtStrEnv);
    Attr* ptNew = nullptr;
    if (mptAttr->IsValueDcsPresent()) {
        unsigned uDcsLen = mptAttr->GetValueDcsLenInBytes();
        size_t nMax = ptHandler->GetMaxU16nLenInChars(uDcsLen);
        std::vector<char16_t> tBuf(nMax + 1);
        size_t nLen = ptHandler->ConvertDcsToU16n(mptAttr->GetValueDcsStr(), uDcsLen, tBuf.data(), nMax);
        ptNew = CreateAttr(mptAttr->GetNameDcsStr(), mptAttr->GetNameDcsLenInBytes(), mptAttr->GetValueDcsStr(),
                           uDcsLen, tBuf.data(), nLen, mptAttr->IsIncludeInInnerOuterHTML());
    } else {
        unsigned uU16nLen = mptAttr->GetValueU16nLenInChars();
        size_t nMax = ptHandler->GetMaxDcsLenInBytes(uU16nLen);
        std::vector<char> tBuf(nMax + 1);
        size_t nLen = ptHandler->ConvertU16nToDcs(mptAttr->GetValueU16nStr(), uU16nLen, tBuf.data(), nMax);
        // A character that converts to a zero byte cannot stand in a terminated DCS value: the DCS form ends
        // there, while the UTF-16 form keeps the whole value.
        nLen = strnlen(tBuf.data(), nLen);
        ptNew = CreateAttr(mptAttr->GetNameDcsStr(), mptAttr->GetNameDcsLenInBytes(), tBuf.data(), nLen,
                           mptAttr->GetValueU16nStr(), uU16nLen, mptAttr->IsIncludeInInnerOuterHTML());
    }
    if (!ptNew) return nullptr;
    RemoveAndDestroyAttr(mptAttr, mptPrevAttr);
    InsertAttrAsFirst(ptNew);
    return ptNew;
}

// The record a read asks for (null when there is none); false, reported, for a missing name.
bool KxwDomAdditionalAttrCollection::LocateAttrToRead(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes,
                                                      bool mbIgnoreCase, const char* mpszCaller, Attr** mpptAttr,
                                                      Attr** mpptPrevAttr) {
    if (!mpsfzNameDcsStr || mnNameDcsLenInBytes == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpsfzNameDcsStr/mnNameDcsLenInBytes (%p/%ld) in KxwDomAdditionalAttrCollection::%s",
            static_cast<const void*>(mpsfzNameDcsStr), static_cast<long>(mnNameDcsLenInBytes), mpszCaller);
        return false;
    }
    *mpptAttr = LocateAttr(mpsfzNameDcsStr, mnNameDcsLenInBytes, mbIgnoreCase, mpptPrevAttr);
    return true;
}

bool KxwDomAdditionalAttrCollection::GetAttrValueDcs(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes,
                                                     bool mbIgnoreCase, const char*& mrpsfzValueDcsStr,
                                                     unsigned& mrnValueDcsLenInBytes) {
    mrpsfzValueDcsStr = nullptr;
    mrnValueDcsLenInBytes = 0;
    Attr* ptPrev = nullptr;
    Attr* ptAttr = nullptr;
    if (!LocateAttrToRead(mpsfzNameDcsStr, mnNameDcsLenInBytes, mbIgnoreCase, "GetAttrValueDcs", &ptAttr, &ptPrev))
        return false;
    if (!ptAttr) return true;
    if (!ptAttr->IsValueSpecified()) {
        mrpsfzValueDcsStr = "";
        return true;
    }
    if (!ptAttr->IsValueDcsPresent()) ptAttr = ConvertAttr(ptAttr, ptPrev);
    if (!ptAttr) return false;
    mrpsfzValueDcsStr = ptAttr->GetValueDcsStr();
    mrnValueDcsLenInBytes = ptAttr->GetValueDcsLenInBytes();
    return true;
}

bool KxwDomAdditionalAttrCollection::GetAttrValueU16n(const char* mpsfzNameDcsStr, unsigned mnNameDcsLenInBytes,
                                                      bool mbIgnoreCase, const char16_t*& mrpsfzValueU16nStr,
                                                      unsigned& mrnValueU16nLenInChars) {
    mrpsfzValueU16nStr = nullptr;
    mrnValueU16nLenInChars = 0;
    Attr* ptPrev = nullptr;
    Attr* ptAttr = nullptr;
    if (!LocateAttrToRead(mpsfzNameDcsStr, mnNameDcsLenInBytes, mbIgnoreCase, "GetAttrValueU16n", &ptAttr, &ptPrev))
        return false;
    if (!ptAttr) return true;
    if (!ptAttr->IsValueSpecified()) {
        mrpsfzValueU16nStr = u"";
        return true;
    }
    if (!ptAttr->IsValueU16nPresent()) ptAttr = ConvertAttr(ptAttr, ptPrev);
    if (!ptAttr) return false;
    mrpsfzValueU16nStr = ptAttr->GetValueU16nStr();
    mrnValueU16nLenInChars = ptAttr->GetValueU16nLenInChars();
    return true;
}

bool KxwDomAdditionalAttrCollection::RemoveAttr(const char* mpszNameDcsStr, bool mbIgnoreCase) {
    size_t nLen = mpszNameDcsStr ? std::strlen(mpszNameDcsStr) : 0;
    if (nLen == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpszNameDcsStr/mnNameDcsLenInBytes (%p/%ld) in KxwDomAdditionalAttrCollection::RemoveAttr",
            static_cast<const void*>(mpszNameDcsStr), static_cast<long>(nLen));
        return false;
    }
    Attr* ptPrev = nullptr;
    Attr* ptAttr = LocateAttr(mpszNameDcsStr, nLen, mbIgnoreCase, &ptPrev);
    if (!ptAttr) {
        if (xfbKxwTraceEnabled())
            xfvKxwUtilReportTraceToFile("KxwDomAdditionalAttrCollection::RemoveAttr did not find name=\"%.100s\"",
                                        mpszNameDcsStr);
        return false;
    }
    RemoveAndDestroyAttr(ptAttr, ptPrev);
    return true;
}

bool KxwDomAdditionalAttrCollection::RemoveAttr(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars,
                                                bool mbIgnoreCase) {
    char* psfzName;
    size_t nLen;
    ConvertName(mpsfkNameU16nStr, mnNameU16nLenInChars, psfzName, nLen);
    bool bRC = RemoveAttr(psfzName, mbIgnoreCase);
    std::free(psfzName);
    return bRC;
}

bool KxwDomAdditionalAttrCollection::AttrExists(const char* mpszNameDcsStr, bool mbIgnoreCase) const {
    if (!mpszNameDcsStr || !*mpszNameDcsStr) return false;
    return LocateAttr(mpszNameDcsStr, std::strlen(mpszNameDcsStr), mbIgnoreCase, nullptr) != nullptr;
}

bool KxwDomAdditionalAttrCollection::AttrExists(const char16_t* mpsfkNameU16nStr, unsigned mnNameU16nLenInChars,
                                                bool mbIgnoreCase) const {
    char* psfzName;
    size_t nLen;
    ConvertName(mpsfkNameU16nStr, mnNameU16nLenInChars, psfzName, nLen);
    bool bRC = AttrExists(psfzName, mbIgnoreCase);
    std::free(psfzName);
    return bRC;
}

void KxwDomAdditionalAttrCollection::GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtHtml, SkipAttrFunc mpfSkip,
                                                            const void* mpvContext) const {
    KxwU16nHandler* ptHandler = HandlerOf(_rtStrEnv);
    for (const Attr* ptAttr = _ptFirstAttr; ptAttr; ptAttr = ptAttr->GetNext()) {
        if (!ptAttr->IsIncludeInInnerOuterHTML() || (mpfSkip && mpfSkip(*ptAttr, mpvContext))) continue;
        auto iNameLen = static_cast<int>(ptAttr->GetNameDcsLenInBytes());
        if (ptAttr->IsValueDcsPresent()) {
            mrtHtml.ConcatHtmlPropertyByValue(ptAttr->GetNameDcsStr(), iNameLen, ptAttr->GetValueDcsStr(),
                                              static_cast<int>(ptAttr->GetValueDcsLenInBytes()));
        } else if (ptAttr->IsValueU16nPresent()) {
            unsigned uLen = ptAttr->GetValueU16nLenInChars();
            size_t nMax = ptHandler->GetMaxDcsLenInBytes(uLen);
            std::vector<char> tBuf(nMax + 1);
            size_t nLen = ptHandler->ConvertU16nToDcs(ptAttr->GetValueU16nStr(), uLen, tBuf.data(), nMax);
            mrtHtml.ConcatHtmlPropertyByValue(ptAttr->GetNameDcsStr(), iNameLen, tBuf.data(), static_cast<int>(nLen));
        } else {
            mrtHtml.ConcatHtmlPropertyByValue(ptAttr->GetNameDcsStr(), iNameLen, true);
        }
    }
}
