#include "KxwJswUserObjBase.h"

#include <cstdarg>
#include <new>
#include <optional>
#include <string>

#include "KxwJswCallArgs.h"
#include "KxwJswInternal.h"
#include "KxwMsgHandler.h"
#include "KxwUtilReport.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"

using namespace kxwjsw;

static_assert(sizeof(JS::Heap<JSObject*>) <= 8 && alignof(JS::Heap<JSObject*>) <= 8,
              "the user object keeps its engine handle in 8 bytes");

void KxwJswTracer::TraceUserObj(KxwJswUserObjBase* mptUserObj, const char* mpszName) {
    if (!mptUserObj || !mptUserObj->HasJsiObj()) return;
    JS::TraceEdge(_ptTracer, &HeapOf(mptUserObj->_acJsiObj), mpszName ? mpszName : "kxw-user-object");
}

KxwJswUserObjBase::KxwJswUserObjBase() {
    new (_acJsiObj) JS::Heap<JSObject*>();
}

KxwJswUserObjBase::~KxwJswUserObjBase() {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    JS::Heap<JSObject*>& rtHandle = HeapOf(_acJsiObj);
    if (JSObject* ptObj = rtHandle.unbarrieredGet()) {
        // The engine object may outlive this object: from now on it stands for nothing.
        SetUserObjSlot(ptObj, nullptr);
        rtHandle = nullptr;
    }
    if (ptEngine) {
        ptEngine->Unregister(this);
        if (_ucJswFlags & kFlagPendingDelete) ptEngine->ForgetPendingDelete(this);
    }
    rtHandle.~Heap<JSObject*>();
}

void KxwJswUserObjBase::SetJsiObj(JSObject* mptJsiObj) {
    JS::Heap<JSObject*>& rtHandle = HeapOf(_acJsiObj);
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (JSObject* ptOld = rtHandle.unbarrieredGet()) {
        if (ptOld == mptJsiObj) return;
        SetUserObjSlot(ptOld, nullptr);
        rtHandle = nullptr;
        if (ptEngine) ptEngine->Unregister(this);
    }
    if (!mptJsiObj || !ptEngine) return;
    if (!CanHoldUserObj(mptJsiObj)) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Engine object %p is not of a wrapper class in "
                                              "KxwJswUserObjBase::SetJsiObj. this=%p",
                                              static_cast<void*>(mptJsiObj), static_cast<void*>(this));
        return;
    }
    SetUserObjSlot(mptJsiObj, this);
    rtHandle = mptJsiObj;
    ptEngine->Register(this);
}

bool KxwJswUserObjBase::GetShouldBeDeletedAtFinalize() {
    return false;
}
bool KxwJswUserObjBase::GetShouldAddJSRoot() {
    return !GetShouldBeDeletedAtFinalize();
}
KxwJswUserObjBase* KxwJswUserObjBase::GetReplacingJswObjectWhenDeleted() {
    return nullptr;
}

namespace {
// The triple of "nothing here", for undeclared names and indexes a class does not answer.
bool NoValue(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (mppvValue) *mppvValue = nullptr;
    if (mpnLength) *mpnLength = 0;
    if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_NONE;
    return false;
}
}  // namespace

bool KxwJswUserObjBase::GetPropValueAndType(short, void** mppvValue, unsigned* mpnLength,
                                            KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType, KxwDomPropertyInfo&) {
    return NoValue(mppvValue, mpnLength, mpeType);
}

bool KxwJswUserObjBase::GetDomPropertyJsval(short, KxwJsval& mrtValue) {
    mrtValue.SetUndefined();
    return false;
}

bool KxwJswUserObjBase::GetDomPropertyInfo(short, KxwDomPropertyInfo&) {
    return false;
}

bool KxwJswUserObjBase::GetPropertyByName(const char*, void** mppvValue, unsigned* mpnLength,
                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    return NoValue(mppvValue, mpnLength, mpeType);
}

bool KxwJswUserObjBase::GetPropByIndex(int32_t, void** mppvValue, unsigned* mpnLength,
                                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    return NoValue(mppvValue, mpnLength, mpeType);
}

bool KxwJswUserObjBase::SetDomPropertyInfo(short, KxwDomPropertyInfo&) {
    return false;
}
bool KxwJswUserObjBase::SetIndexProperty(int32_t, void*, unsigned, KXW_JSW_OBJ_PROP_TYPE_ENUM) {
    return false;
}
bool KxwJswUserObjBase::SetStringProperty(const char*, void*, unsigned, KXW_JSW_OBJ_PROP_TYPE_ENUM) {
    return false;
}
bool KxwJswUserObjBase::AddArrayElement(long, void*, unsigned, KXW_JSW_OBJ_PROP_TYPE_ENUM&) {
    return false;
}
KxwJswUserObjBase* KxwJswUserObjBase::GetJswScopeParentUserObj() {
    return nullptr;
}
void* KxwJswUserObjBase::GetSiteForActiveX() {
    return nullptr;
}
KxwJswAutomationObject* KxwJswUserObjBase::GetAutomationObject() {
    return nullptr;
}
bool KxwJswUserObjBase::IsJswScopeParent() const {
    return false;
}
bool KxwJswUserObjBase::ResolveProperty(const char16_t*, unsigned) {
    return false;
}
bool KxwJswUserObjBase::DumpAttributesToJsiObj() {
    return true;
}
void KxwJswUserObjBase::AddProperty(const KxwJsval&, KxwJsval&, unsigned char) {}
bool KxwJswUserObjBase::IsResolved(const char*) {
    return false;
}
void KxwJswUserObjBase::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    mruliIndexCount = 0;
}
JSObject* KxwJswUserObjBase::GetJsiVarObj() {
    return nullptr;
}

bool KxwJswUserObjBase::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    JS_ReportErrorASCII(mrtArgs.GetContext(), "%s is not a function",
                        GetClassInformation() ? GetClassInformation()->GetClassName() : "object");
    return false;
}

KxwDomHtmlElement* KxwJswUserObjBase::DownCastToElement() {
    return nullptr;
}
KxwDomEventTarget* KxwJswUserObjBase::DownCastToEventTarget() {
    return nullptr;
}
KxwDomNodeBase* KxwJswUserObjBase::DownCastToNodeBase() {
    return nullptr;
}
bool KxwJswUserObjBase::SetDomPropertyJsval(short, const KxwJsval&) {
    return false;
}
void KxwJswUserObjBase::TraceFromJsiObj(KxwJswTracer&) {}
KxwJswGlobal* KxwJswUserObjBase::GetJsiHomeGlobal() {
    return nullptr;
}

bool KxwJswUserObjBase::CreateJsiObj() {
    return GetJsiObj() != nullptr;
}

JSObject* KxwJswUserObjBase::GetJsiObj() {
    JS::Heap<JSObject*>& rtHandle = HeapOf(_acJsiObj);
    if (rtHandle.unbarrieredGet()) return rtHandle;  // the read barrier keeps it alive for the caller
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    if (!ptEngine || !GetClassInformation()) return nullptr;
    JSContext* ptCx = ptEngine->GetContext();
    std::optional<KxwJswGlobal::RealmScope> tHomeRealm;
    KxwJswGlobal* ptHome = GetJsiHomeGlobal();
    if (ptHome && ptHome->GetObject() != JS::CurrentGlobalOrNull(ptCx)) tHomeRealm.emplace(ptHome);
    JS::RootedObject tObj(ptCx, NewWrapperObject(ptCx, ptEngine, this));
    if (!tObj) {
        JS_ClearPendingException(ptCx);
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Cannot make the engine object of a \"%s\" in "
                                              "KxwJswUserObjBase::GetJsiObj. this=%p",
                                              GetClassInformation()->GetClassName(), static_cast<void*>(this));
        return nullptr;
    }
    rtHandle = tObj;
    ptEngine->Register(this);
    return tObj;
}

JSObject* KxwJswUserObjBase::PeekJsiObj() const {
    return HeapOf(const_cast<unsigned char*>(_acJsiObj)).unbarrieredGet();
}

bool KxwJswUserObjBase::UpdateScopeParent() {
    // Ownership and tracing are asked afresh at every collection; what is left is the barrier for a collection in
    // progress: an engine object that just became reachable from the roots must be marked now.
    if (JSObject* ptObj = PeekJsiObj()) JS::ExposeObjectToActiveJS(ptObj);
    return true;
}

bool KxwJswUserObjBase::SetTempProtectFromGC(bool mbProtect) {
    if (mbProtect) {
        _ucJswFlags |= kFlagTempProtected;
        if (JSObject* ptObj = PeekJsiObj()) JS::ExposeObjectToActiveJS(ptObj);
    } else {
        _ucJswFlags &= ~kFlagTempProtected;
    }
    return true;
}

bool KxwJswUserObjBase::GetPropertyInfo(const char* mpszName, short* mpnTinyId, unsigned short* mpuFlags,
                                        char* mpcTypeLetter, bool mbSearchParents) const {
    const KxwJswClassInformation* ptClassInfo = GetClassInformation();
    if (!ptClassInfo || !mpszName) return false;
    if (mbSearchParents) return ptClassInfo->GetPropertyInfo(mpszName, mpnTinyId, mpuFlags, mpcTypeLetter);
    for (const KxwJswPropertySpec* ptSpec = ptClassInfo->GetProperties(); ptSpec && ptSpec->_pszName; ++ptSpec) {
        if (std::string(ptSpec->_pszName) != mpszName) continue;
        if (mpnTinyId) *mpnTinyId = KxwJswClassInformation::DispatchId(ptSpec->_uTinyId);
        if (mpuFlags) *mpuFlags = ptSpec->_uFlags;
        if (mpcTypeLetter) *mpcTypeLetter = ptSpec->_pszTypeLetter ? ptSpec->_pszTypeLetter[0] : '\0';
        return true;
    }
    return false;
}

void KxwJswUserObjBase::ReportErrorWithJavaScriptLineNumber(bool mbWarning, int miMsgId, ...) const {
    KXW_WTL_SEV_LVL_ENUM eLevel = mbWarning ? KXW_WTL_SEV_LVL_ENUM_NOTICE : xfeKxwUtilJavaScriptErrorSevLvl();
    if (!xfbKxwUtilIsSevLvlEnabled(eLevel)) return;
    va_list tArgs;
    va_start(tArgs, miMsgId);
    char* pszText = nullptr;
    FormatGenericMessage("", -1, 0x50100000, miMsgId, tArgs, &pszText);
    va_end(tArgs);
    if (!pszText) return;
    std::string dsFile;
    unsigned uLine = 0;
    KxwHswApi::GetCurrentScriptPosition(&dsFile, &uLine);
    xfvKxwUtilIssueMessage(eLevel, miMsgId, pszText, dsFile.c_str(), static_cast<int>(uLine));
    FreeGenericMessage(pszText);
}

KxwJswUserObjBase* KxwJswUserObjBase::GetUserScriptInitiator() const {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    return ptEngine ? ptEngine->GetScriptInitiator() : nullptr;
}

KxwJswUserObjBase* KxwJswUserObjBase::GetUserScopeObj() {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    return ptEngine ? ptEngine->GetScopeUserObj() : nullptr;
}

bool KxwJswUserObjBase::DeletePropertyFromAncestors(const char* mpszName) {
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    JSObject* ptObj = PeekJsiObj();
    if (!ptEngine || !ptObj || !mpszName) return false;
    JSContext* ptCx = ptEngine->GetContext();
    JS::RootedObject tObj(ptCx, ptObj);
    JS::ObjectOpResult tResult;
    bool bOK = JS_DeleteProperty(ptCx, tObj, mpszName, tResult);
    if (!bOK) JS_ClearPendingException(ptCx);
    return bOK && tResult.ok();
}

KxwJswUserObjBase* KxwJswUserObjBase::FromJsiObj(JSObject* mptJsiObj) {
    return UserObjOf(mptJsiObj);
}
