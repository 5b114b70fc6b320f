#include "KxwJswAutomationObject.h"

#include <new>

#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwHswApi.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

namespace {

KxwJswConstructorCallback gpfScriptConstructor = nullptr;
bool (*gpfScriptConstructorAvailable)(KxwJswUserObjBase*) = nullptr;

bool IsConstructorAvailable(KxwJswUserObjBase* mptWindow) {
    return gpfScriptConstructor && (!gpfScriptConstructorAvailable || gpfScriptConstructorAvailable(mptWindow));
}

const KxwJswCtorRegistrator katConstructors[] = {
    {"ActiveXObject", &KxwJswAutomationObject::ConstructFromScript, 1, &IsConstructorAvailable},
    {nullptr, nullptr, 0},
};

const KxwJswClassInformation ktAutomationClassInfo(nullptr, "ActiveXObject", nullptr, nullptr, katConstructors,
                                                   KXW_JSW_CLASS_KIND_CALLABLE);

// A method of an automation object as a function: it keeps the object and the member, so a method kept in a
// variable still calls its object.
class KxwJswAutomationMethod : public KxwJswUserObjBase {
public:
    static KxwJswAutomationMethod* Create(KxwAutomation* mptObject, int32_t miId, const char* mpszName) {
        auto* ptMethod = new (std::nothrow) KxwJswAutomationMethod(mptObject, miId, mpszName);
        if (!ptMethod) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwJswAutomationMethod)), "KxwJswAutomationMethod");
        if (!ptMethod->CreateJsiObj()) {
            delete ptMethod;
            return nullptr;
        }
        return ptMethod;
    }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetShouldBeDeletedAtFinalize() override { return true; }
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override {
        KxwJswAutomationObject* ptWrapper = KxwJswAutomationObject::Wrap(_tObject.Get());
        if (!ptWrapper) {
            mrtArgs.SetResult(KxwJsval());
            return true;
        }
        return ptWrapper->CallMember(_iId, _dsName.c_str(), mrtArgs);
    }

private:
    KxwJswAutomationMethod(KxwAutomation* mptObject, int32_t miId, const char* mpszName)
        : _tObject(mptObject), _iId(miId), _dsName(mpszName) {}
    KxwAutoRef<KxwAutomation> _tObject;
    int32_t _iId;
    std::string _dsName;
};

const KxwJswClassInformation ktAutomationMethodClassInfo(nullptr, "ActiveXObjectMethod", nullptr, nullptr, nullptr,
                                                         KXW_JSW_CLASS_KIND_CALLABLE);

const KxwJswClassInformation* KxwJswAutomationMethod::GetClassInformation() const {
    return &ktAutomationMethodClassInfo;
}

// A script function handed to an object: kept rooted while the object keeps it, called with the global as this.
class KxwJswAutoCallable : public KxwAutoCallable {
public:
    explicit KxwJswAutoCallable(const KxwJsval& mrtFunction) : _tFunction(mrtFunction) {}
    bool Invoke() override {
        KxwJswEngine* ptEngine = KxwJswEngine::Current();
        if (!ptEngine || !_tFunction.IsSet()) return false;
        KxwHswApi tApi(ptEngine);
        KxwJswScriptEvaluationNotifier tNotifier;
        return tApi.CallFunctionValue(tNotifier, _tFunction.Get(), nullptr, 0, nullptr, nullptr);
    }
    const KxwJsvalProt& GetFunction() const { return _tFunction; }

private:
    KxwJsvalProt _tFunction;
};

const char* ResultText(long mlResult) {
    switch (static_cast<KxwAutoResult>(mlResult)) {
        case KXW_AUTO_E_NOTIMPL: return "not implemented";
        case KXW_AUTO_E_FAIL: return "unspecified failure";
        case KXW_AUTO_E_ACCESSDENIED: return "access denied";
        case KXW_AUTO_E_OUTOFMEMORY: return "out of memory";
        case KXW_AUTO_E_INVALIDARG: return "invalid argument";
        case KXW_AUTO_E_MEMBERNOTFOUND: return "member not found";
        case KXW_AUTO_E_TYPEMISMATCH: return "type mismatch";
        case KXW_AUTO_E_UNKNOWNNAME: return "unknown name";
        case KXW_AUTO_E_BADPARAMCOUNT: return "invalid number of parameters";
        case KXW_AUTO_E_CLASSNOTREG: return "class not registered";
        case KXW_AUTO_E_SYNTAX: return "invalid class string";
        default: return "failure";
    }
}

}  // namespace

KxwJswAutomationObject::KxwJswAutomationObject(KxwAutomation* mptObject, bool mbOwnedByScript)
    : _tObject(mptObject), _bOwnedByScript(mbOwnedByScript) {
    if (mptObject && !mptObject->GetScriptPeer()) mptObject->SetScriptPeer(this);
}

KxwJswAutomationObject::~KxwJswAutomationObject() {
    if (_tObject && _tObject->GetScriptPeer() == this) _tObject->SetScriptPeer(nullptr);
}

KxwJswAutomationObject* KxwJswAutomationObject::Wrap(KxwAutomation* mptObject) {
    if (!mptObject) return nullptr;
    if (auto* ptPeer = static_cast<KxwJswAutomationObject*>(mptObject->GetScriptPeer())) return ptPeer;
    if (!KxwJswEngine::Current()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No script engine on this thread in KxwJswAutomationObject::Wrap");
        return nullptr;
    }
    auto* ptWrapper = new (std::nothrow) KxwJswAutomationObject(mptObject, true);
    if (!ptWrapper) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwJswAutomationObject)), "KxwJswAutomationObject");
    if (!ptWrapper->CreateJsiObj()) {
        delete ptWrapper;
        return nullptr;
    }
    return ptWrapper;
}

KxwAutomation* KxwJswAutomationObject::ObjectOfValue(const KxwJsval& mrtValue) {
    if (!mrtValue.IsDomObject()) return nullptr;
    KxwJswUserObjBase* ptUserObj = mrtValue.GetRawDomObject();
    KxwJswAutomationObject* ptWrapper = ptUserObj ? ptUserObj->GetAutomationObject() : nullptr;
    return ptWrapper ? ptWrapper->GetObject() : nullptr;
}

void KxwJswAutomationObject::LogAutomantionErrorMsg(long mlResult, const char* mpszText, KxwJswUserObjBase* mptObject,
                                                    KXW_WTL_SEV_LVL_ENUM meSevLvl) {
    KxwJswAutomationObject* ptWrapper = mptObject ? mptObject->GetAutomationObject() : nullptr;
    std::string dsDescription = ptWrapper && ptWrapper->GetObject() ? ptWrapper->GetObject()->GetErrorDescription() : "";
    xfvKxwUtilReportBySevLvl(meSevLvl, "%.1000s: hr=0x%08lX (%s)%s%.1000s", mpszText ? mpszText : "",
                             static_cast<unsigned long>(mlResult) & 0xFFFFFFFFul, ResultText(mlResult),
                             dsDescription.empty() ? "" : ": ", dsDescription.c_str());
}

void KxwJswAutomationObject::SetScriptConstructor(KxwJswConstructorCallback mpfConstruct,
                                                  bool (*mpfIsAvailable)(KxwJswUserObjBase* mptWindow)) {
    gpfScriptConstructor = mpfConstruct;
    gpfScriptConstructorAvailable = mpfIsAvailable;
}

KxwJswUserObjBase* KxwJswAutomationObject::ConstructFromScript(KxwJswCallArgs& mrtArgs) {
    return gpfScriptConstructor ? gpfScriptConstructor(mrtArgs) : nullptr;
}

const KxwJswClassInformation* KxwJswAutomationObject::GetClassInformation() const { return &ktAutomationClassInfo; }

// ---------------------------------------------------------------------------------------------------------------
// Values

KxwAutoValue KxwJswAutomationObject::ValueFromScript(const KxwJsval& mrtValue) {
    if (mrtValue.IsUndefined()) return KxwAutoValue();
    if (mrtValue.IsNull()) return KxwAutoValue::Null();
    if (mrtValue.IsBoolean()) return KxwAutoValue::Bool(mrtValue.GetBoolean());
    if (mrtValue.IsInt()) return KxwAutoValue::Int(mrtValue.GetInt());
    if (mrtValue.IsNumber()) return KxwAutoValue::Double(mrtValue.GetDouble());
    if (mrtValue.IsString()) {
        std::u16string dsText;
        mrtValue.ToStringU16n(dsText);
        return KxwAutoValue::String(std::move(dsText));
    }
    if (KxwAutomation* ptObject = ObjectOfValue(mrtValue)) return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>(ptObject));
    if (mrtValue.IsFunction())
        return KxwAutoValue::Callable(KxwAutoRef<KxwAutoCallable>::Adopt(new KxwJswAutoCallable(mrtValue)));
    return KxwAutoValue::Foreign();
}

bool KxwJswAutomationObject::ValueToScript(const KxwAutoValue& mrtValue, KxwJsval& mrtResult) {
    switch (mrtValue.GetType()) {
        case KXW_AUTO_VALUE_EMPTY: mrtResult.SetUndefined(); return true;
        case KXW_AUTO_VALUE_NULL: mrtResult.SetNull(); return true;
        case KXW_AUTO_VALUE_BOOL: mrtResult.SetBoolean(mrtValue.GetBool()); return true;
        case KXW_AUTO_VALUE_INT: mrtResult.SetInt(mrtValue.GetInt()); return true;
        case KXW_AUTO_VALUE_DOUBLE: mrtResult.SetDouble(mrtValue.GetDouble()); return true;
        case KXW_AUTO_VALUE_STRING:
            return mrtResult.SetStringU16n(mrtValue.GetString().data(), mrtValue.GetString().size());
        case KXW_AUTO_VALUE_OBJECT: {
            KxwJswAutomationObject* ptWrapper = Wrap(mrtValue.GetObject());
            if (!ptWrapper) {
                mrtResult.SetNull();
                return false;
            }
            return mrtResult.SetDomObject(ptWrapper);
        }
        case KXW_AUTO_VALUE_CALLABLE:
            if (auto* ptCallable = dynamic_cast<KxwJswAutoCallable*>(mrtValue.GetCallable())) {
                mrtResult = ptCallable->GetFunction().Get();
                return true;
            }
            mrtResult.SetNull();
            return true;
        default: mrtResult.SetUndefined(); return true;
    }
}

bool KxwJswAutomationObject::ValueToTriple(const KxwAutoValue& mrtValue, void** mppvValue, unsigned* mpnLength,
                                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    *mppvValue = nullptr;
    *mpnLength = 0;
    switch (mrtValue.GetType()) {
        case KXW_AUTO_VALUE_EMPTY: *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED; return true;
        case KXW_AUTO_VALUE_NULL: *mpeType = KXW_JSW_OBJ_PROP_TYPE_NULL; return true;
        case KXW_AUTO_VALUE_BOOL:
            *mppvValue = reinterpret_cast<void*>(static_cast<intptr_t>(mrtValue.GetBool()));
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_BOOLEAN;
            return true;
        case KXW_AUTO_VALUE_INT:
            *mppvValue = reinterpret_cast<void*>(static_cast<intptr_t>(mrtValue.GetInt()));
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_INT;
            return true;
        case KXW_AUTO_VALUE_DOUBLE:
            _dNumber = mrtValue.GetDouble();
            *mppvValue = &_dNumber;
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOUBLE;
            return true;
        case KXW_AUTO_VALUE_STRING:
            _dsText = mrtValue.GetString();
            *mppvValue = const_cast<char16_t*>(_dsText.data());
            *mpnLength = static_cast<unsigned>(_dsText.size());
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_STRING;
            return true;
        case KXW_AUTO_VALUE_OBJECT: {
            KxwJswAutomationObject* ptWrapper = Wrap(mrtValue.GetObject());
            *mppvValue = static_cast<KxwJswUserObjBase*>(ptWrapper);
            *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
            *mpeType = ptWrapper ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NULL;
            return true;
        }
        case KXW_AUTO_VALUE_CALLABLE:
            // The callable roots its function: the triple points at that root, with no root of its own.
            if (auto* ptCallable = dynamic_cast<KxwJswAutoCallable*>(mrtValue.GetCallable())) {
                *mppvValue = const_cast<void*>(ptCallable->GetFunction().Get().GetValueAddress());
                *mpeType = KXW_JSW_OBJ_PROP_TYPE_FUNCTION;
                return *mppvValue != nullptr;
            }
            *mpeType = KXW_JSW_OBJ_PROP_TYPE_NULL;
            return true;
        default: *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED; return true;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Members

bool KxwJswAutomationObject::IsResolved(const char* mpszName) {
    KxwAutoMember tMember;
    return _tObject && mpszName && _tObject->FindMember(mpszName, tMember);
}

bool KxwJswAutomationObject::GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                               KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwAutoMember tMember;
    if (!_tObject || !mpszName || !_tObject->FindMember(mpszName, tMember)) return false;
    if (tMember._eKind == KXW_AUTO_MEMBER_METHOD) {
        KxwJswAutomationMethod* ptMethod = KxwJswAutomationMethod::Create(_tObject.Get(), tMember._iId, mpszName);
        if (!ptMethod) return false;
        *mppvValue = static_cast<KxwJswUserObjBase*>(ptMethod);
        *mpnLength = KXW_JSW_DOM_OBJECT_LEN;
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT;
        return true;
    }
    // Keep the object while its member runs: a script it calls back may drop the last other reference.
    KxwAutoRef<KxwAutomation> tObject = _tObject;
    KxwAutoValue tValue;
    KxwAutoResult lResult = tObject->Get(tMember._iId, tValue);
    if (!xfbKxwAutoSucceeded(lResult)) {
        std::string dsText = std::string("Reading the property \"") + mpszName + "\" of " + tObject->GetInterfaceName() +
                             " failed";
        LogAutomantionErrorMsg(lResult, dsText.c_str(), this, KXW_WTL_SEV_LVL_ENUM_WARNING);
        *mpeType = KXW_JSW_OBJ_PROP_TYPE_UNDEFINED;
        *mppvValue = nullptr;
        *mpnLength = 0;
        return true;
    }
    return ValueToTriple(tValue, mppvValue, mpnLength, mpeType);
}

bool KxwJswAutomationObject::SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) {
    KxwAutoMember tMember;
    if (!_tObject || !mpszName || !_tObject->FindMember(mpszName, tMember)) return false;
    KxwAutoRef<KxwAutomation> tObject = _tObject;
    KxwAutoResult lResult = tMember._eKind == KXW_AUTO_MEMBER_METHOD
                                ? KXW_AUTO_E_MEMBERNOTFOUND
                                : tObject->Put(tMember._iId, ValueFromScript(mrtValue));
    // A member keeps its accessor whatever happened: a failed write must not hide the member behind a value.
    if (!xfbKxwAutoSucceeded(lResult)) {
        std::string dsText = std::string("Setting the property \"") + mpszName + "\" of " + tObject->GetInterfaceName() +
                             " failed";
        LogAutomantionErrorMsg(lResult, dsText.c_str(), this, KXW_WTL_SEV_LVL_ENUM_WARNING);
    }
    return true;
}

bool KxwJswAutomationObject::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                            KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (!_tObject) return false;
    KxwAutoRef<KxwAutomation> tObject = _tObject;
    KxwAutoValue tValue;
    if (!tObject->GetItem(mnIndex, tValue)) return false;
    return ValueToTriple(tValue, mppvValue, mpnLength, mpeType);
}

void KxwJswAutomationObject::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    int32_t iCount = _tObject ? _tObject->GetItemCount() : 0;
    mruliIndexCount = iCount > 0 ? static_cast<unsigned long>(iCount) : 0;
}

bool KxwJswAutomationObject::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    // Calling a collection calls its item member, as fields("name") does.
    KxwAutoMember tMember;
    if (!_tObject || !_tObject->FindMember("item", tMember)) {
        LogAutomantionErrorMsg(KXW_AUTO_E_MEMBERNOTFOUND, "The object has no default member to call", this,
                               KXW_WTL_SEV_LVL_ENUM_WARNING);
        mrtArgs.SetResult(KxwJsval());
        return true;
    }
    if (tMember._eKind != KXW_AUTO_MEMBER_METHOD) {
        // A property with an argument (rs.Fields.Item("name")) is read with it as a method would be.
        mrtArgs.SetResult(KxwJsval());
        return true;
    }
    return CallMember(tMember._iId, "item", mrtArgs);
}

bool KxwJswAutomationObject::CallMember(int32_t miId, const char* mpszName, KxwJswCallArgs& mrtArgs) {
    KxwAutoRef<KxwAutomation> tObject = _tObject;
    KxwAutoArgs tArgs;
    tArgs.reserve(mrtArgs.Length());
    for (unsigned n = 0; n < mrtArgs.Length(); ++n) tArgs.push_back(ValueFromScript(mrtArgs.Get(n)));
    KxwAutoValue tResult;
    KxwAutoResult lResult = tObject ? tObject->Call(miId, tArgs, tResult) : KXW_AUTO_E_FAIL;
    KxwJsval tValue;
    if (!xfbKxwAutoSucceeded(lResult)) {
        std::string dsText = std::string("Calling the method \"") + mpszName + "\" of " +
                             (tObject ? tObject->GetInterfaceName() : "an object") + " failed";
        LogAutomantionErrorMsg(lResult, dsText.c_str(), this, KXW_WTL_SEV_LVL_ENUM_WARNING);
    } else {
        ValueToScript(tResult, tValue);
    }
    mrtArgs.SetResult(tValue);
    return true;
}
