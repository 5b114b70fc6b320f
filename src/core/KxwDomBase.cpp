#include "KxwDomBase.h"

#include <cstring>

#include "KxwDomPropertyInfo.h"
#include "KxwDomWatchDelete.h"
#include "KxwMemMgr.h"
#include "KxwUtilEscape.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"
#include "maw_alloc.h"

namespace {

// The manager an object came from is kept in a word in front of it: operator delete runs after the destructors,
// when the object's own environment is gone, and must still return the block to the right place.
constexpr size_t kObjectHeaderSize = 8;
constexpr size_t kObjectAlignment = 8;
static_assert(alignof(KxwDomBase) <= kObjectHeaderSize, "the object header keeps DOM objects aligned");
static_assert(sizeof(KxwMemMgr*) <= kObjectHeaderSize, "the object header holds a manager pointer");

void* AllocateObject(size_t mnSize, KxwMemMgr* mptMemMgr) {
    size_t nTotal = mnSize + kObjectHeaderSize;
    void* pvBlock = mptMemMgr ? mptMemMgr->Alloc(nTotal, kObjectAlignment) : maw_malloc(nTotal);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(nTotal), "KxwDomBase::operator new");
    std::memcpy(pvBlock, &mptMemMgr, sizeof mptMemMgr);
    return static_cast<char*>(pvBlock) + kObjectHeaderSize;
}

KxwMemMgr* ManagerOfObject(void* mpvObject) {
    KxwMemMgr* ptMemMgr;
    std::memcpy(&ptMemMgr, static_cast<char*>(mpvObject) - kObjectHeaderSize, sizeof ptMemMgr);
    return ptMemMgr;
}

void FreeObject(void* mpvObject, KxwMemMgr* mptMemMgr) {
    void* pvBlock = static_cast<char*>(mpvObject) - kObjectHeaderSize;
    if (mptMemMgr)
        mptMemMgr->Free(pvBlock);
    else
        maw_free(pvBlock);
}

void SetFailedTriple(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (mppvValue) *mppvValue = nullptr;
    if (mpnLength) *mpnLength = 0;
    if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_NONE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

KxwDomBase::KxwDomBase(KxwMemMgr* mptMemMgr, KxwDomBase* mptParent) : _tDomEnv(mptMemMgr, mptParent) {}

KxwDomBase::KxwDomBase(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler) : _tDomEnv(mptMemMgr, mptU16nHandler) {}

KxwDomBase::KxwDomBase(KxwDomEnv& mrtDomEnv) : _tDomEnv(mrtDomEnv) {}

KxwDomBase::~KxwDomBase() {
    // Watchers learn of the deletion before anything of the base is torn down.
    NotifyDeleted();
}

void KxwDomBase::NotifyDeleted() {
    if (!_ptLastWatchDelete) return;
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomBase::NotifyDeleted invoked for this=%p, _ptLastWatchDelete=%p",
                                    static_cast<void*>(this), static_cast<void*>(_ptLastWatchDelete));
    _ptLastWatchDelete->NotifyDeleted(this);
    _ptLastWatchDelete = nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Allocation

void* KxwDomBase::operator new(size_t mnSize, KxwMemMgr* mptMemMgr) {
    void* pvObject = AllocateObject(mnSize, mptMemMgr);
    LogNew(pvObject, mnSize, mptMemMgr);
    return pvObject;
}

void* KxwDomBase::operator new(size_t mnSize, KxwDomEnv& mrtDomEnv) {
    void* pvObject = AllocateObject(mnSize, mrtDomEnv.GetMemMgr());
    LogNew(pvObject, mnSize, mrtDomEnv);
    return pvObject;
}

void KxwDomBase::operator delete(void* mpvDeleted) {
    if (!mpvDeleted) return;
    KxwMemMgr* ptMemMgr = ManagerOfObject(mpvDeleted);
    LogDelete(mpvDeleted, ptMemMgr);
    FreeObject(mpvDeleted, ptMemMgr);
}

// The placement forms run when a constructor does not complete; the block goes back where it came from.
void KxwDomBase::operator delete(void* mpvDeleted, KxwMemMgr* mptMemMgr) {
    if (!mpvDeleted) return;
    LogPlacementDelete(mpvDeleted, mptMemMgr);
    FreeObject(mpvDeleted, ManagerOfObject(mpvDeleted));
}

void KxwDomBase::operator delete(void* mpvDeleted, KxwDomEnv& mrtDomEnv) {
    if (!mpvDeleted) return;
    LogPlacementDelete(mpvDeleted, mrtDomEnv);
    FreeObject(mpvDeleted, ManagerOfObject(mpvDeleted));
}

void KxwDomBase::LogNew(const void* mpvBlock, size_t mnSize, KxwMemMgr* mptMemMgr) {
    if (!xfbKxwAllocTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("<%p>: KxwDomBase::operator new(mnSize=%ld, mptMemMgr=%p)", mpvBlock,
                                static_cast<long>(mnSize), static_cast<void*>(mptMemMgr));
}

void KxwDomBase::LogNew(const void* mpvBlock, size_t mnSize, KxwDomEnv& mrtDomEnv) {
    if (!xfbKxwAllocTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("<%p>: KxwDomBase::operator new(mnSize=%ld, &mrtDomEnv=%p), MemMgr=%p", mpvBlock,
                                static_cast<long>(mnSize), static_cast<void*>(&mrtDomEnv),
                                static_cast<void*>(mrtDomEnv.GetMemMgr()));
}

void KxwDomBase::LogDelete(const void* mpvDeleted, KxwMemMgr* mptMemMgr) {
    if (!xfbKxwAllocTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("<%p>: KxwDomBase::operator delete(%p), MemMgr=%p", mpvDeleted, mpvDeleted,
                                static_cast<void*>(mptMemMgr));
}

void KxwDomBase::LogPlacementDelete(const void* mpvDeleted, KxwMemMgr* mptMemMgr) {
    if (!xfbKxwAllocTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("<%p>: KxwDomBase::operator delete(mpvDeleted=%p, mptMemMgr=%p)", mpvDeleted,
                                mpvDeleted, static_cast<void*>(mptMemMgr));
}

void KxwDomBase::LogPlacementDelete(const void* mpvDeleted, KxwDomEnv& mrtDomEnv) {
    if (!xfbKxwAllocTraceEnabled()) return;
    xfvKxwUtilReportTraceToFile("<%p>: KxwDomBase::operator delete(mpvDeleted=%p, &mrtDomEnv=%p), MemMgr=%p",
                                mpvDeleted, mpvDeleted, static_cast<void*>(&mrtDomEnv),
                                static_cast<void*>(mrtDomEnv.GetMemMgr()));
}

void* KxwDomBase::Alloc(unsigned int mnSize) {
    KxwMemMgr* ptMemMgr = GetMemMgr();
    void* pvBlock = ptMemMgr ? ptMemMgr->Alloc(mnSize, kObjectAlignment) : maw_malloc(mnSize);
    if (!pvBlock) KxwUtilOutOfMemoryAbort(static_cast<long>(mnSize), "KxwDomBase::Alloc");
    return pvBlock;
}

void KxwDomBase::Free(void* mpvBlock) {
    if (!mpvBlock) return;
    if (KxwMemMgr* ptMemMgr = GetMemMgr())
        ptMemMgr->Free(mpvBlock);
    else
        maw_free(mpvBlock);
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

bool KxwDomBase::GetShouldBeDeletedAtFinalize() {
    return GetMemMgr() == nullptr;
}

bool KxwDomBase::GetPropValueAndType(short mnTinyId, void** mppvValue, unsigned* mpnLength,
                                     KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo& mrtHolder) {
    if (!GetDomPropertyInfo(mnTinyId, mrtHolder)) {
        SetFailedTriple(mppvValue, mpnLength, mpeType);
        return false;
    }
    // The triple may point into the info (engine values, converted texts and doubles): converting in the holder
    // keeps every pointer inside what the caller holds.
    mrtHolder.ConvertToJswObjPropType();
    KXW_JSW_OBJ_PROP_TYPE_ENUM eType = mrtHolder.GetJswObjPropType();
    if (mppvValue) *mppvValue = mrtHolder.GetValue();
    // DOM objects carry the length every other triple of the wrapper gives them.
    if (mpnLength) *mpnLength = eType == KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT ? KXW_JSW_DOM_OBJECT_LEN : mrtHolder.GetLength();
    if (mpeType) *mpeType = eType;
    return true;
}

bool KxwDomBase::GetDomPropertyJsval(short mnTinyId, KxwJsval& mrtValue) {
    KxwDomPropertyInfo tInfo;
    if (!GetDomPropertyInfo(mnTinyId, tInfo)) {
        mrtValue.SetUndefined();
        return false;
    }
    if (tInfo.HasValue()) tInfo.GetJsval(mrtValue);
    return true;
}

bool KxwDomBase::SetDomPropertyJsval(short mnTinyId, const KxwJsval& mrtValue) {
    KxwDomPropertyInfo tInfo(mrtValue);
    return SetDomPropertyInfo(mnTinyId, tInfo);
}

bool KxwDomBase::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                   KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (KxwDomBase* ptItem = mpszName ? GetItem(mpszName, false) : nullptr) {
        if (mppvValue) *mppvValue = static_cast<KxwJswUserObjBase*>(ptItem);
        if (mpnLength) *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomBase::GetPropertyByName: Property \"%.1000s\" not found",
                                    mpszName ? mpszName : "[NULL]");
    SetFailedTriple(mppvValue, mpnLength, mpeType);
    return false;
}

bool KxwDomBase::IsResolved(const char* mpszName) {
    // A name resolves exactly when GetPropertyByName would find it, so the wrapper never defines a named item
    // that then reads as nothing.
    return mpszName && GetItem(mpszName, false) != nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Operations every DOM class shares

KXW_DOM_HTML_READY_STATE_ENUM KxwDomBase::GetReadyStateRaw() const {
    return KXW_DOM_HTML_READY_STATE_COMPLETE;
}

const KxwDomHtmlCollectionGeneral* KxwDomBase::GetDefaultCollection() const {
    return nullptr;
}

KxwDomBase* KxwDomBase::GetItem(const char*, bool) {
    // Without a default collection there are no named items.
    return nullptr;
}

void KxwDomBase::PrintMe(int, KXW_WTL_SEV_LVL_ENUM, unsigned long) const {
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                          "Called function KxwDomBase::PrintMe for this=%p",
                                          static_cast<const void*>(this));
}

void KxwDomBase::EnumerateSubtreeMembers(KxwDomSubtreeMemberSink&) {}

KXW_DOM_HTML_READY_STATE_ENUM KxwDomBase::ValidateReadyState(KXW_DOM_HTML_READY_STATE_ENUM meReadyStateRaw) const {
    if (IsReadyStateValid(meReadyStateRaw)) return meReadyStateRaw;
    xfvKxwUtilReportInternalErrorBySevLvl(
        KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
        "Invalid meReadyStateRaw=%d in KxwDomBase::ValidateReadyState for this=%p. Using \"complete\"",
        static_cast<int>(meReadyStateRaw), static_cast<const void*>(this));
    return KXW_DOM_HTML_READY_STATE_COMPLETE;
}

const char16_t* KxwDomBase::GetReadyStateU16nStr() const {
    return xfpwszKxwDomGetReadyStateU16nStr(GetReadyState());
}

unsigned KxwDomBase::GetReadyStateU16nLenInChars() const {
    return xfuKxwDomGetReadyStateU16nLenInChars(GetReadyState());
}

void KxwDomBase::JavaScriptMissingSupport(const char* mpszUnsupportedMethod) {
    if (!mpszUnsupportedMethod) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "mpszUnsupportedMethod==NULL in KxwDomBase::JavaScriptMissingSupport for this=%p",
            static_cast<void*>(this));
        return;
    }
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "%s is not supported for this=%p", mpszUnsupportedMethod,
                             static_cast<void*>(this));
}

void KxwDomBase::IssueInvalidSetPropertyMessage(const char* mpszPropertyName, const char* mpszTagName) const {
    xfvKxwDomUtilReportCatalogedMessage(
        xfeKxwUtilJavaScriptErrorSevLvl(), -35944, "KxwDomBase::IssueInvalidSetPropertyMessage", __LINE__,
        mpszPropertyName ? mpszPropertyName : "[Unknown]", mpszTagName ? mpszTagName : "[Unknown]");
}

int KxwDomBase::GetPrintingEffectiveIndent(int miIndent) {
    if (miIndent < 1) return 0;
    return miIndent >= 90 ? 180 : 2 * miIndent;
}

std::string KxwDomBase::GetPrintableText(const char* mpsfText, size_t mnLen, size_t mnMaxLen) {
    if (!mpsfText || mnLen == 0 || mnMaxLen == 0) return std::string();
    // Every byte gives at least one character: bytes past mnMaxLen would never show.
    size_t nTaken = mnLen < mnMaxLen ? mnLen : mnMaxLen;
    std::string dsText(mnMaxLen + 1, '\0');
    size_t nFull = xfnKxwUtilCStyleEncodeBuf(mpsfText, nTaken, dsText.data(), dsText.size());
    dsText.resize(nFull < dsText.size() ? nFull : std::strlen(dsText.c_str()));
    return dsText;
}

// ---------------------------------------------------------------------------------------------------------------

bool KxwDomBaseWithoutJsw::GetPropValueAndType(short, void** mppvValue, unsigned* mpnLength,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo&) {
    SetFailedTriple(mppvValue, mpnLength, mpeType);
    return false;
}

CKxBaseException::~CKxBaseException() = default;
