#include "KxwDomHtcDocument.h"

#include <cstring>
#include <new>

#include "KxwDomEventListener.h"
#include "KxwDomEventTarget.h"
#include "KxwDomHtcElementAttach.h"
#include "KxwDomHtcElementMethod.h"
#include "KxwDomHtcElementProperty.h"
#include "KxwDomHtmlCollection.h"
#include "KxwDomHtmlDocumentWithHtc.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomStr.h"
#include "KxwDomWatchDelete.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilStrCompare.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJswGlobal.h"

namespace {

enum : short {
    kIdElement = 1,
    kIdDocument = 2,
};
// The tiny id of the properties a script added to a class (expandos kept as attributes): not the element's own.
constexpr short knCustomTinyId = 127;
// Names longer than this are no variable a behaviour file declares.
constexpr size_t knMaxVariableNameLen = 255;

const KxwJswPropertySpec katHtcProperties[] = {
    {"element", kIdElement, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, "o"},
    {"document", kIdDocument, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, "o"},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

bool IsIdentifier(const std::string& mrdsName) {
    if (mrdsName.empty() || mrdsName.size() > knMaxVariableNameLen) return false;
    for (size_t n = 0; n < mrdsName.size(); ++n) {
        char c = mrdsName[n];
        bool bLetter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
        if (!bLetter && (n == 0 || c < '0' || c > '9')) return false;
    }
    return true;
}

const KxwDomHtmlPropertyStr* DeclaredName(KxwDomNodeBase* mptNode) {
    if (auto* ptProperty = dynamic_cast<KxwDomHtcElementProperty*>(mptNode)) return &ptProperty->GetHtcName();
    if (auto* ptMethod = dynamic_cast<KxwDomHtcElementMethod*>(mptNode)) return &ptMethod->GetHtcName();
    return nullptr;
}

bool IsSameName(const KxwDomHtmlPropertyStr& mrtName, const char* mpszName) {
    size_t nLen = mpszName ? std::strlen(mpszName) : 0;
    if (!mrtName.GetDcsStr() || mrtName.GetDcsLenInBytes() == 0) return nLen == 0;
    return mrtName.IsEqualDcs(mpszName ? mpszName : "", static_cast<unsigned>(nLen));
}

}  // namespace

KxwDomHtcDocument::KxwDomHtcDocument(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler,
                                     KxwDomHtmlElement& mrtElement)
    : KxwDomBase(mptMemMgr, mptU16nHandler), _rtElement(mrtElement) {
    _ptDocument = new (mptMemMgr) KxwDomHtmlDocumentWithHtc(mptMemMgr, *this);
    if (!_ptDocument)
        KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomHtmlDocumentWithHtc)), "KxwDomHtcDocument");
    _ptDocument->SetWindow(GetWindow());
    // Relative addresses of the file resolve against the page until the file's own address is known.
    if (KxwDomHtmlDocument* ptPage = mrtElement.GetOwnerHtmlDocument(false)) {
        unsigned uLen = 0;
        const char* psfBase = ptPage->GetBaseUrlDcs(&uLen);
        if (psfBase && uLen) _ptDocument->SetHrefDcs(psfBase, uLen);
    }
}

KxwDomHtcDocument::~KxwDomHtcDocument() {
    for (AddedListener& rtAdded : _tListeners)
        if (auto* ptTarget = dynamic_cast<KxwDomEventTarget*>(rtAdded._ptTarget->GetEffectiveWatchedPtr()))
            ptTarget->RemoveEventListener(rtAdded._ptListener);
    _tListeners.clear();
    delete _ptDocument;
    _ptDocument = nullptr;
    _tVarObj.Reset();
}

KxwDomHtmlWindow* KxwDomHtcDocument::GetWindow() const {
    return _rtElement.GetOwnerWindow();
}

bool KxwDomHtcDocument::ObtainVarObj() {
    if (_tVarObj.IsSet()) return true;
    KxwDomHtmlWindow* ptWindow = GetWindow();
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    if (!ptWindow || !ptWindow->GetGlobal() || !ptHswApi) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptHswApi==NULL in KxwDomCreateBehavior::Visit (ptWindow=%p, this=%p)",
                                              static_cast<void*>(ptWindow), static_cast<void*>(this));
        return false;
    }
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    KxwJsval tVarObj;
    if (!ptHswApi->NewVariablesObject(tVarObj)) return false;
    _tVarObj.Set(tVarObj);
    return true;
}

KxwJsval KxwDomHtcDocument::VarStore() const {
    KxwJsval tStore;
    tStore.SetDomObject(const_cast<KxwDomHtcDocument*>(this));
    return tStore;
}

// ---------------------------------------------------------------------------------------------------------------
// Content

void KxwDomHtcDocument::SetHTCContent(const char* mpsfText, unsigned muLen) {
    if (!mpsfText || !ObtainVarObj()) return;
    KxwDomWatchDelete tWatchThis("KxwDomHtcDocument::SetHTCContent", this);
    _ptDocument->Write(mpsfText, muLen, false);
    if (tWatchThis.HasBeenDeleted()) return;
    // The declarations are gathered first: a variable's definition runs no script, but a handler's target may.
    std::vector<KxwDomHtcElementAttach*> tAttaches;
    std::vector<KxwDomHtcElementProperty*> tProperties;
    if (KxwDomHtmlCollectionGeneral* ptAll = _ptDocument->GetAll())
        for (KxwDomNodeBase* ptNode : *ptAll) {
            if (auto* ptAttach = dynamic_cast<KxwDomHtcElementAttach*>(ptNode)) tAttaches.push_back(ptAttach);
            if (auto* ptProperty = dynamic_cast<KxwDomHtcElementProperty*>(ptNode)) tProperties.push_back(ptProperty);
        }
    for (KxwDomHtcElementProperty* ptProperty : tProperties) DeclareVariable(*ptProperty);
    for (KxwDomHtcElementAttach* ptAttach : tAttaches) AttachHandler(*ptAttach);
}

void KxwDomHtcDocument::DeclareVariable(KxwDomHtcElementProperty& mrtProperty) {
    if (!mrtProperty.GetHtcName().IsSpecified()) return;
    std::string dsName = mrtProperty.GetVariableName();
    // The name is the markup's: it is a variable only when it is an identifier, and it is defined, never evaluated.
    if (!IsIdentifier(dsName)) {
        xfvKxwUtilReportBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_WARNING,
            "The behavior property variable \"%.200s\" is not an identifier: no variable is defined",
            GetPrintableText(dsName.data(), dsName.size(), 200).c_str());
        return;
    }
    if (HasVariable(dsName.c_str())) return;  // a script of the file declared it already, perhaps with a value
    KxwDomHtmlWindow* ptWindow = GetWindow();
    if (!ptWindow || !ptWindow->GetGlobal() || !_tVarObj.IsSet()) return;
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    std::u16string dsName16 = xfdsKxwUtilUtf8ToU16(dsName.data(), dsName.size());
    VarStore().DefineOwnProperty(dsName16.data(), dsName16.size(), KxwJsval());
}

void KxwDomHtcDocument::AttachHandler(KxwDomHtcElementAttach& mrtAttach) {
    const KxwDomHtmlPropertyStr& rtEvent = mrtAttach.GetEvent();
    const char* psfEvent = rtEvent.GetDcsStr();
    unsigned uLen = psfEvent ? rtEvent.GetDcsLenInBytes() : 0;
    if (!rtEvent.IsSpecified() || uLen < 4 || (psfEvent[0] | 0x20) != 'o' || (psfEvent[1] | 0x20) != 'n') return;
    std::string dsEvent(psfEvent + 2, uLen - 2);
    KXW_DOM_EVENT_TYPE_ENUM eType = KxwDomEventTarget::GetEventEnum(dsEvent.c_str());
    if (eType == KXW_DOM_EVENT_TYPE_ENUM_NONE || static_cast<int>(eType) >= KXW_DOM_EVENT_TYPE_COUNT) return;
    // FOR names whose event it is: the element served (the default), its document or its window.
    KxwDomEventTarget* ptTarget = &_rtElement;
    const KxwDomHtmlPropertyStr& rtFor = mrtAttach.GetFor();
    if (!mrtAttach.IsEmptyFor()) {
        if (rtFor.IsEqualIgnoringCaseAsc("window", 6)) {
            ptTarget = GetWindow();
        } else if (rtFor.IsEqualIgnoringCaseAsc("document", 8)) {
            ptTarget = _rtElement.GetOwnerHtmlDocument(false);
        } else if (!rtFor.IsEqualIgnoringCaseAsc("element", 7)) {
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "The behavior handler for \"%.100s\" names FOR=\"%.100s\", which is not element, "
                                     "document or window: it is not attached",
                                     dsEvent.c_str(), rtFor.GetDcsStr());
            return;
        }
    }
    if (!ptTarget) return;
    const KxwDomHtmlPropertyStr& rtCode = mrtAttach.GetOnEvent();
    const char16_t* pwsfCode = rtCode.GetU16nStr() ? rtCode.GetU16nStr() : u"";
    unsigned uCodeLen = rtCode.GetU16nStr() ? rtCode.GetU16nLenInChars() : 0;
    // The handler runs as the PUBLIC:ATTACH element's: `this` is that element, and its scope reaches the behaviour.
    auto* ptListener = new (ptTarget->GetDomEnv()) KxwDomEventListener(
        ptTarget->GetDomEnv(), &mrtAttach, KXW_DOM_EVENT_LISTENER_TYPE_PUBLIC_ATTACH, eType, pwsfCode, uCodeLen);
    if (!ptTarget->AddEventListener(ptListener)) {
        delete ptListener;
        return;
    }
    _tListeners.push_back(
        AddedListener{std::make_unique<KxwDomWatchDelete>("KxwDomHtcDocument::AttachHandler", ptTarget), ptListener});
}

// ---------------------------------------------------------------------------------------------------------------
// Declared names

KxwDomBase* KxwDomHtcDocument::FindDeclaration(const char* mpszName) const {
    KxwDomHtmlCollectionGeneral* ptAll = _ptDocument ? _ptDocument->GetAll() : nullptr;
    if (!ptAll) return nullptr;
    for (KxwDomNodeBase* ptNode : *ptAll) {
        const KxwDomHtmlPropertyStr* ptName = DeclaredName(ptNode);
        if (ptName && IsSameName(*ptName, mpszName)) return ptNode;
    }
    return nullptr;
}

std::vector<std::string> KxwDomHtcDocument::GetDeclaredNames() const {
    std::vector<std::string> tNames;
    KxwDomHtmlCollectionGeneral* ptAll = _ptDocument ? _ptDocument->GetAll() : nullptr;
    if (!ptAll) return tNames;
    for (KxwDomNodeBase* ptNode : *ptAll) {
        const KxwDomHtmlPropertyStr* ptName = DeclaredName(ptNode);
        if (ptName && ptName->GetDcsStr() && ptName->GetDcsLenInBytes())
            tNames.emplace_back(ptName->GetDcsStr(), ptName->GetDcsLenInBytes());
    }
    return tNames;
}

bool KxwDomHtcDocument::IsHTCPropertyOrMethod(const char* mpszName) const {
    return FindDeclaration(mpszName) != nullptr;
}

bool KxwDomHtcDocument::GetHTCElementPropertyOrMethod(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomBase* ptDeclaration = FindDeclaration(mpszName);
    if (auto* ptProperty = dynamic_cast<KxwDomHtcElementProperty*>(ptDeclaration))
        return ptProperty->GetElementPropValueAndType(mppvValue, mpnLength, mpeType);
    if (auto* ptMethod = dynamic_cast<KxwDomHtcElementMethod*>(ptDeclaration)) {
        *mppvValue = static_cast<KxwJswUserObjBase*>(ptMethod);
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    return false;
}

bool KxwDomHtcDocument::SetHTCElementProperty(const char* mpszName, const KxwJsval& mrtValue) {
    auto* ptProperty = dynamic_cast<KxwDomHtcElementProperty*>(FindDeclaration(mpszName));
    if (!ptProperty) return false;
    ptProperty->SetElementPropValue(mrtValue);
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Scripts

bool KxwDomHtcDocument::EvaluateScript(const char* mpsfTextDcs, unsigned muLen, const char* mpszFile,
                                       unsigned muFirstLine, KxwDomNodeBase* mptInitiator) {
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    KxwDomHtmlWindow* ptWindow = GetWindow();
    if (!ptHswApi || !ptWindow || !ptWindow->GetGlobal() || !mpsfTextDcs || !ObtainVarObj()) return false;
    KxwDomStr tText(_ptDocument->GetDomEnv(), mpsfTextDcs, muLen);
    const char16_t* pwsfText = tText.GetU16nStr();
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    KxwDomScriptEvaluationNotifier tNotifier("KxwDomHtcDocument::EvaluateScript",
                                             mptInitiator ? mptInitiator : &_rtElement, true);
    return ptHswApi->EvaluateInVariablesObject(
        tNotifier, _tVarObj.Get(), this, pwsfText ? pwsfText : u"", pwsfText ? tText.GetU16nLenInChars() : 0,
        mpszFile && *mpszFile ? mpszFile : "[behavior]", muFirstLine, mptInitiator);
}

bool KxwDomHtcDocument::CallFunction(const std::string& mrdsName, int miArgc, const KxwJsval* mpatArgv,
                                     KxwJsval* mptResult) {
    if (mptResult) mptResult->SetUndefined();
    KxwHswApi* ptHswApi = xfptKxwDomUtilGetHswApi();
    KxwDomHtmlWindow* ptWindow = GetWindow();
    if (!ptHswApi || !ptWindow || !ptWindow->GetGlobal() || !ObtainVarObj()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "ptHswApi==NULL in KxwDomHtcDocument::CallFunction for this=%p",
                                              static_cast<void*>(this));
        return false;
    }
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    KxwDomScriptEvaluationNotifier tNotifier("KxwDomHtcDocument::CallFunction", &_rtElement, true);
    KxwJsval tFunction;
    VarStore().GetProperty(mrdsName.c_str(), tFunction);
    // A function of the page serves when the behaviour has none of that name (the scope the file's code sees).
    if (!tFunction.IsFunction())
        return ptHswApi->CallFunctionByName(tNotifier, mrdsName.c_str(), nullptr, miArgc, mpatArgv, mptResult);
    return ptHswApi->CallFunctionValue(tNotifier, tFunction, this, miArgc, mpatArgv, mptResult);
}

bool KxwDomHtcDocument::HasVariable(const char* mpszName) const {
    if (!mpszName || !*mpszName || !_tVarObj.IsSet()) return false;
    KxwDomHtmlWindow* ptWindow = GetWindow();
    if (!ptWindow || !ptWindow->GetGlobal()) return false;
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    std::u16string dsName = xfdsKxwUtilUtf8ToU16(mpszName, std::strlen(mpszName));
    return VarStore().ItsOwnProperty(dsName.data(), static_cast<unsigned>(dsName.size()));
}

bool KxwDomHtcDocument::ReadVariable(const std::string& mrdsName, KxwJsval& mrtValue) const {
    mrtValue.SetUndefined();
    KxwDomHtmlWindow* ptWindow = GetWindow();
    if (!_tVarObj.IsSet() || !ptWindow || !ptWindow->GetGlobal()) return false;
    KxwJswGlobal::RealmScope tRealm(ptWindow->GetGlobal());
    return VarStore().GetProperty(mrdsName.c_str(), mrtValue);
}

bool KxwDomHtcDocument::JsvalToTriple(KxwJsval& mrtHeld, double& mrdfNumber, void** mppvValue, unsigned* mpnLength,
                                      KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    *mppvValue = nullptr;
    *mpnLength = 0;
    if (mrtHeld.IsUndefined()) {
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
    } else if (mrtHeld.IsNull()) {
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_NULL;
    } else if (mrtHeld.IsBoolean()) {
        *mppvValue = reinterpret_cast<void*>(static_cast<intptr_t>(mrtHeld.GetBoolean() ? 1 : 0));
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
    } else if (mrtHeld.IsNumber()) {
        mrdfNumber = mrtHeld.GetDouble();
        *mppvValue = &mrdfNumber;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOUBLE;
    } else if (mrtHeld.IsString()) {
        const char16_t* pwsfText = mrtHeld.GetStringU16n(mpnLength);
        *mppvValue = const_cast<char16_t*>(pwsfText ? pwsfText : u"");
        if (!pwsfText) *mpnLength = 0;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_STRING;
    } else if (mrtHeld.IsDomObject()) {
        *mppvValue = mrtHeld.GetRawDomObject();
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
    } else {
        *mppvValue = const_cast<void*>(mrtHeld.GetValueAddress());
        *mpeType = mrtHeld.IsFunction() ? KXW_JSW_OBJ_PROP_TYPE_FUNCTION : KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// The wrapper's operations

const KxwJswClassInformation* KxwDomHtcDocument::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "htc-document", katHtcProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return &ktClassInfo;
}

bool KxwDomHtcDocument::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdElement:
            mrtPropertyInfo.AssignDomObjectOrNull(&_rtElement);
            return true;
        case kIdDocument:
            mrtPropertyInfo.AssignDomObjectOrNull(_ptDocument);
            return true;
        default:
            xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                                  "KxwDomHtcDocument::GetDomPropertyInfo: Unsupported property ID (%d)",
                                                  static_cast<int>(mnTinyId));
            return false;
    }
}

const KxwDomHtmlCollectionGeneral* KxwDomHtcDocument::GetDefaultCollection() const {
    return _ptDocument ? _ptDocument->GetDefaultCollection() : nullptr;
}

KxwDomBase* KxwDomHtcDocument::GetItem(const char* mpszName, bool mbByIdentifier) {
    return _ptDocument ? _ptDocument->GetItem(mpszName, mbByIdentifier) : nullptr;
}

KxwJswUserObjBase* KxwDomHtcDocument::GetJswScopeParentUserObj() {
    return GetWindow();
}

KxwJswGlobal* KxwDomHtcDocument::GetJsiHomeGlobal() {
    KxwDomHtmlWindow* ptWindow = GetWindow();
    return ptWindow ? ptWindow->GetGlobal() : nullptr;
}

bool KxwDomHtcDocument::IsResolved(const char* mpszName) {
    if (!mpszName || !*mpszName) return false;
    if (GetItem(mpszName, false)) return true;
    if (GetClassInformation()->IsDeclared(mpszName)) return false;
    short nTinyId = 0;
    unsigned short uFlags = 0;
    char cType = 0;
    const KxwJswClassInformation* ptElementClass = _rtElement.GetClassInformation();
    return ptElementClass && ptElementClass->GetPropertyInfo(mpszName, &nTinyId, &uFlags, &cType) &&
           nTinyId != knCustomTinyId;
}

bool KxwDomHtcDocument::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (KxwDomBase* ptItem = mpszName ? GetItem(mpszName, false) : nullptr) {
        *mppvValue = static_cast<KxwJswUserObjBase*>(ptItem);
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("KxwDomBase::GetPropertyByName: Property \"%.1000s\" not found",
                                    mpszName ? mpszName : "");
    short nTinyId = 0;
    unsigned short uFlags = 0;
    char cType = 0;
    const KxwJswClassInformation* ptElementClass = _rtElement.GetClassInformation();
    if (!mpszName || !ptElementClass || !ptElementClass->GetPropertyInfo(mpszName, &nTinyId, &uFlags, &cType) ||
        nTinyId == knCustomTinyId)
        return false;
    // The element's own property, read from the element: behaviour code names it without "element.".
    return _rtElement.GetPropValueAndType(KxwJswClassInformation::DispatchId(static_cast<uint16_t>(nTinyId)), mppvValue,
                                          mpnLength, mpeType, _tLastRead);
}
