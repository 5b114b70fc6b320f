#include "kxw/KxwJsval.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "KxwJswCallArgs.h"
#include "KxwJswInternal.h"
#include "KxwUtilReport.h"

using namespace kxwjsw;

namespace {

JSContext* ContextOr(JSContext* mptCx) {
    if (mptCx) return mptCx;
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    return ptEngine ? ptEngine->GetContext() : nullptr;
}

// The own property's descriptor (nothing when there is none); false when the engine failed.
bool GetOwnDescriptor(JSContext* mptCx, JS::HandleObject mtObj, const char16_t* mpwsfName, size_t mnLen,
                      JS::MutableHandle<mozilla::Maybe<JS::PropertyDescriptor>> mtDesc) {
    if (JS_GetOwnUCPropertyDescriptor(mptCx, mtObj, mpwsfName, mnLen, mtDesc)) return true;
    JS_ClearPendingException(mptCx);
    return false;
}

static_assert(sizeof(JS::PersistentRootedValue) <= 32 && alignof(JS::PersistentRootedValue) <= 8,
              "a value's root fits its storage");

}  // namespace

JS::PersistentRootedValue& KxwJsvalAccess::Root(KxwJsval& mrtValue) {
    return *std::launder(reinterpret_cast<JS::PersistentRootedValue*>(mrtValue._acRoot));
}

const JS::PersistentRootedValue& KxwJsvalAccess::Root(const KxwJsval& mrtValue) {
    return *std::launder(reinterpret_cast<const JS::PersistentRootedValue*>(mrtValue._acRoot));
}

JS::Value KxwJsvalAccess::Get(const KxwJsval& mrtValue) {
    return Root(mrtValue).get();
}

JS::HandleValue KxwJsvalAccess::Handle(const KxwJsval& mrtValue) {
    return JS::HandleValue(Root(mrtValue));
}

void KxwJsvalAccess::Set(KxwJsval& mrtValue, const JS::Value& mrtNew) {
    mrtValue.Store(mrtNew.asRawBits());
}

KxwJsval::KxwJsval() {
    new (_acRoot) JS::PersistentRootedValue();
}

KxwJsval::KxwJsval(const KxwJsval& mrtOther) {
    new (_acRoot) JS::PersistentRootedValue();
    Store(mrtOther.GetRawBits());
}

KxwJsval& KxwJsval::operator=(const KxwJsval& mrtOther) {
    if (this != &mrtOther) {
        FreeText();
        Store(mrtOther.GetRawBits());
    }
    return *this;
}

KxwJsval::~KxwJsval() {
    FreeText();
    KxwJsvalAccess::Root(*this).~PersistentRooted();
}

void KxwJsval::Store(uint64_t muBits) {
    JS::PersistentRootedValue& rtRoot = KxwJsvalAccess::Root(*this);
    JS::Value tValue = JS::Value::fromRawBits(muBits);
    if (rtRoot.initialized() || !tValue.isGCThing()) {
        rtRoot.get() = tValue;
        return;
    }
    // An engine thing joins the root list of the thread's engine, the one that made it.
    JSContext* ptCx = ContextOr(nullptr);
    if (!ptCx) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "An engine value without the engine's thread in KxwJsval::Store. "
                                              "this=%p",
                                              static_cast<void*>(this));
        rtRoot.get() = JS::UndefinedValue();
        return;
    }
    rtRoot.init(ptCx, tValue);
}

uint64_t KxwJsval::GetRawBits() const {
    return KxwJsvalAccess::Get(*this).asRawBits();
}

const void* KxwJsval::GetValueAddress() const {
    return KxwJsvalAccess::Root(*this).address();
}

void KxwJsval::FreeText() {
    // Most values never had a text: no call into the allocator for them.
    if (!_pwcText) return;
    std::free(_pwcText);
    _pwcText = nullptr;
}

KxwJsval KxwJsval::FromRawBits(uint64_t muBits) {
    KxwJsval tValue;
    tValue.Store(muBits);
    return tValue;
}

bool KxwJsval::IsUndefined() const {
    return KxwJsvalAccess::Get(*this).isUndefined();
}
bool KxwJsval::IsNull() const {
    return KxwJsvalAccess::Get(*this).isNull();
}
bool KxwJsval::IsBoolean() const {
    return KxwJsvalAccess::Get(*this).isBoolean();
}
bool KxwJsval::IsInt() const {
    return KxwJsvalAccess::Get(*this).isInt32();
}
bool KxwJsval::IsDouble() const {
    return KxwJsvalAccess::Get(*this).isDouble();
}
bool KxwJsval::IsNumber() const {
    return KxwJsvalAccess::Get(*this).isNumber();
}
bool KxwJsval::IsString() const {
    return KxwJsvalAccess::Get(*this).isString();
}
bool KxwJsval::IsObject() const {
    return KxwJsvalAccess::Get(*this).isObject();
}

bool KxwJsval::IsFunction() const {
    JS::Value tValue = KxwJsvalAccess::Get(*this);
    return tValue.isObject() && JS::IsCallable(&tValue.toObject());
}

bool KxwJsval::IsDomObject() const {
    return GetRawDomObject() != nullptr;
}

KxwJswUserObjBase* KxwJsval::GetRawDomObject() const {
    JS::Value tValue = KxwJsvalAccess::Get(*this);
    return tValue.isObject() ? KxwJswUserObjBase::FromJsiObj(&tValue.toObject()) : nullptr;
}

JSObject* KxwJsval::GetRawObject() const {
    JS::Value tValue = KxwJsvalAccess::Get(*this);
    return tValue.isObject() ? &tValue.toObject() : nullptr;
}

bool KxwJsval::IsStringWithAsciiCapital() const {
    JS::Value tValue = KxwJsvalAccess::Get(*this);
    JSContext* ptCx = tValue.isString() ? ContextOr(nullptr) : nullptr;
    if (!ptCx) return false;
    JSLinearString* ptLinear = JS_EnsureLinearString(ptCx, tValue.toString());
    if (!ptLinear) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    auto IsCapital = [](char16_t mc) { return mc >= u'A' && mc <= u'Z'; };
    size_t nLen = JS::GetLinearStringLength(ptLinear);
    JS::AutoCheckCannotGC tNoGC;
    if (JS::LinearStringHasLatin1Chars(ptLinear)) {
        const JS::Latin1Char* pucChars = JS::GetLatin1LinearStringChars(tNoGC, ptLinear);
        return std::any_of(pucChars, pucChars + nLen, IsCapital);
    }
    const char16_t* pwcChars = JS::GetTwoByteLinearStringChars(tNoGC, ptLinear);
    return std::any_of(pwcChars, pwcChars + nLen, IsCapital);
}

const char16_t* KxwJsval::GetStringU16n(unsigned* mpnLen, JSContext* mptCx) {
    if (mpnLen) *mpnLen = 0;
    FreeText();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return u"";
    JS::RootedValue tValue(ptCx, KxwJsvalAccess::Get(*this));
    std::u16string dsText;
    if (!ValueToU16(ptCx, tValue, dsText)) {
        JS_ClearPendingException(ptCx);
        return u"";
    }
    _pwcText = static_cast<char16_t*>(std::malloc((dsText.size() + 1) * sizeof(char16_t)));
    if (!_pwcText) KxwUtilOutOfMemoryAbort(static_cast<long>((dsText.size() + 1) * 2), "a script value's text");
    std::memcpy(_pwcText, dsText.c_str(), (dsText.size() + 1) * sizeof(char16_t));
    if (mpnLen) *mpnLen = static_cast<unsigned>(dsText.size());
    return _pwcText;
}

std::string KxwJsval::GetStringUtf8(JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return std::string();
    JS::RootedValue tValue(ptCx, KxwJsvalAccess::Get(*this));
    JS::RootedString tStr(ptCx, JS::ToString(ptCx, tValue));
    if (!tStr) {
        JS_ClearPendingException(ptCx);
        return std::string();
    }
    JS::UniqueChars pszUtf8 = JS_EncodeStringToUTF8(ptCx, tStr);
    return pszUtf8 ? std::string(pszUtf8.get()) : std::string();
}

int32_t KxwJsval::GetInt(JSContext* mptCx) const {
    JS::Value tRaw = KxwJsvalAccess::Get(*this);
    if (tRaw.isInt32()) return tRaw.toInt32();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return 0;
    JS::RootedValue tValue(ptCx, tRaw);
    int32_t iResult = 0;
    if (!JS::ToInt32(ptCx, tValue, &iResult)) JS_ClearPendingException(ptCx);
    return iResult;
}

double KxwJsval::GetDouble(JSContext* mptCx) const {
    JS::Value tRaw = KxwJsvalAccess::Get(*this);
    if (tRaw.isNumber()) return tRaw.toNumber();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return 0;
    JS::RootedValue tValue(ptCx, tRaw);
    double dfResult = 0;
    if (!JS::ToNumber(ptCx, tValue, &dfResult)) JS_ClearPendingException(ptCx);
    return dfResult;
}

bool KxwJsval::ToStringU16n(std::u16string& mrdsResult, JSContext* mptCx) const {
    mrdsResult.clear();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return false;
    return ValueToU16(ptCx, KxwJsvalAccess::Handle(*this), mrdsResult);
}

bool KxwJsval::ToInt32(int32_t& mriResult, JSContext* mptCx) const {
    mriResult = 0;
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return false;
    return JS::ToInt32(ptCx, KxwJsvalAccess::Handle(*this), &mriResult);
}

bool KxwJsval::GetBoolean(JSContext*) const {
    JS::Value tRaw = KxwJsvalAccess::Get(*this);
    if (tRaw.isBoolean()) return tRaw.toBoolean();
    // ToBoolean runs no script and cannot collect.
    return JS::ToBoolean(JS::Handle<JS::Value>::fromMarkedLocation(&tRaw));
}

void KxwJsval::SetUndefined() {
    Store((JS::UndefinedValue()).asRawBits());
}
void KxwJsval::SetNull() {
    Store((JS::NullValue()).asRawBits());
}
void KxwJsval::SetBoolean(bool mbValue) {
    Store((JS::BooleanValue(mbValue)).asRawBits());
}
void KxwJsval::SetInt(int32_t miValue) {
    Store((JS::Int32Value(miValue)).asRawBits());
}
void KxwJsval::SetDouble(double mdfValue) {
    Store((JS::NumberValue(mdfValue)).asRawBits());
}
void KxwJsval::SetObject(JSObject* mptObj) {
    Store(mptObj ? JS::ObjectValue(*mptObj).asRawBits() : JS::NullValue().asRawBits());
}

bool KxwJsval::SetStringU16n(const char16_t* mpwsfStr, size_t mnLen, JSContext* mptCx) {
    SetUndefined();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return false;
    JSString* ptStr = JS_NewUCStringCopyN(ptCx, mpwsfStr ? mpwsfStr : u"", mpwsfStr ? mnLen : 0);
    if (!ptStr) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    Store((JS::StringValue(ptStr)).asRawBits());
    return true;
}

bool KxwJsval::SetStringUtf8(const char* mpsfStr, size_t mnLen, JSContext* mptCx) {
    SetUndefined();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return false;
    JSString* ptStr = JS_NewStringCopyUTF8N(ptCx, JS::UTF8Chars(mpsfStr ? mpsfStr : "", mpsfStr ? mnLen : 0));
    if (!ptStr) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    Store((JS::StringValue(ptStr)).asRawBits());
    return true;
}

bool KxwJsval::SetDomObject(KxwJswUserObjBase* mptUserObj, JSContext*) {
    if (!mptUserObj) {
        SetNull();
        return true;
    }
    JSObject* ptObj = mptUserObj->GetJsiObj();
    SetObject(ptObj);
    return ptObj != nullptr;
}

bool KxwJsval::GetProperty(const char* mpszName, KxwJsval& mrtResult, JSContext* mptCx) const {
    mrtResult.SetUndefined();
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpszName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::RootedValue tResult(ptCx);
    if (!JS_GetProperty(ptCx, tObj, mpszName, &tResult)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    mrtResult.Store(tResult.get().asRawBits());
    return true;
}

bool KxwJsval::SetProperty(const char* mpszName, const KxwJsval& mrtValue, JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpszName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::RootedValue tValue(ptCx, KxwJsvalAccess::Get(mrtValue));
    if (!JS_SetProperty(ptCx, tObj, mpszName, tValue)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return true;
}

bool KxwJsval::ItsOwnProperty(const char16_t* mpwsfName, unsigned mnLen, JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    bool bFound = false;
    if (!JS_AlreadyHasOwnUCProperty(ptCx, tObj, mpwsfName, mnLen, &bFound)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return bFound;
}

bool KxwJsval::ItsOwnEnumerableProperty(const char16_t* mpwsfName, unsigned mnLen, JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> tDesc(ptCx);
    return GetOwnDescriptor(ptCx, tObj, mpwsfName, mnLen, &tDesc) && tDesc.isSome() && tDesc->enumerable();
}

bool KxwJsval::GetOwnPropertyNames(std::vector<std::u16string>& mrtNames, JSContext* mptCx) const {
    mrtNames.clear();
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::Rooted<JS::IdVector> tIds(ptCx, JS::IdVector(ptCx));
    if (!JS_Enumerate(ptCx, tObj, &tIds)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    for (size_t n = 0; n < tIds.length(); ++n) {
        JS::RootedValue tName(ptCx);
        if (!JS_IdToValue(ptCx, tIds[n], &tName)) continue;
        std::u16string dsName;
        if (ValueToU16(ptCx, tName, dsName))
            mrtNames.push_back(std::move(dsName));
        else
            JS_ClearPendingException(ptCx);
    }
    return true;
}

bool KxwJsval::DefineOwnProperty(const char16_t* mpwsfName, size_t mnLen, const KxwJsval& mrtValue, bool mbEnumerable,
                                 JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::RootedValue tValue(ptCx, KxwJsvalAccess::Get(mrtValue));
    if (!JS_DefineUCProperty(ptCx, tObj, mpwsfName, mnLen, tValue, mbEnumerable ? JSPROP_ENUMERATE : 0)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return true;
}

bool KxwJsval::GetOwnDataProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult,
                                  JSContext* mptCx) const {
    mrtResult.SetUndefined();
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> tDesc(ptCx);
    if (!GetOwnDescriptor(ptCx, tObj, mpwsfName, mnLen, &tDesc)) return false;
    if (tDesc.isNothing() || !tDesc->isDataDescriptor()) return false;
    mrtResult.Store(tDesc->value().asRawBits());
    return true;
}

bool KxwJsval::GetOwnProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult, JSContext* mptCx) const {
    return ReadOwnProperty(mpwsfName, mnLen, false, mrtResult, mptCx);
}

bool KxwJsval::GetOwnEnumerableProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult,
                                        JSContext* mptCx) const {
    return ReadOwnProperty(mpwsfName, mnLen, true, mrtResult, mptCx);
}

bool KxwJsval::ReadOwnProperty(const char16_t* mpwsfName, size_t mnLen, bool mbEnumerableOnly, KxwJsval& mrtResult,
                               JSContext* mptCx) const {
    mrtResult.SetUndefined();
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    // One lookup gives a data property's value; an accessor is read through its getter.
    JS::Rooted<mozilla::Maybe<JS::PropertyDescriptor>> tDesc(ptCx);
    if (!GetOwnDescriptor(ptCx, tObj, mpwsfName, mnLen, &tDesc) || tDesc.isNothing()) return false;
    if (mbEnumerableOnly && !tDesc->enumerable()) return false;
    if (tDesc->isDataDescriptor()) {
        mrtResult.Store(tDesc->value().asRawBits());
        return true;
    }
    JS::RootedValue tResult(ptCx);
    if (!JS_GetUCProperty(ptCx, tObj, mpwsfName, mnLen, &tResult)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    mrtResult.Store(tResult.get().asRawBits());
    return true;
}

bool KxwJsval::DeleteOwnProperty(const char16_t* mpwsfName, size_t mnLen, JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpwsfName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::ObjectOpResult tResult;
    if (!JS_DeleteUCProperty(ptCx, tObj, mpwsfName, mnLen, tResult)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return tResult.ok();
}

// ---------------------------------------------------------------------------------------------------------------

void KxwJsvalProt::Set(const KxwJsval& mrtValue, JSContext*) {
    _tValue = mrtValue;
    _bSet = true;
}

void KxwJsvalProt::Reset() {
    _tValue.SetUndefined();
    _bSet = false;
}

// ---------------------------------------------------------------------------------------------------------------

static_assert(sizeof(JS::Heap<JS::Value>) <= 8, "a held value fits its 8 bytes");

KxwJsvalHeap::KxwJsvalHeap() {
    new (_acHeap) JS::Heap<JS::Value>();
}

KxwJsvalHeap::~KxwJsvalHeap() {
    reinterpret_cast<JS::Heap<JS::Value>*>(_acHeap)->~Heap<JS::Value>();
}

void KxwJsvalHeap::Set(const KxwJsval& mrtValue) {
    *reinterpret_cast<JS::Heap<JS::Value>*>(_acHeap) = KxwJsvalAccess::Get(mrtValue);
}

KxwJsval KxwJsvalHeap::Get() const {
    const auto& rtHeap = *reinterpret_cast<const JS::Heap<JS::Value>*>(_acHeap);
    return KxwJsval::FromRawBits(rtHeap.get().asRawBits());
}

void KxwJsvalHeap::Trace(KxwJswTracer& mrtTracer, const char* mpszName) {
    JS::TraceEdge(mrtTracer.GetEngineTracer(), reinterpret_cast<JS::Heap<JS::Value>*>(_acHeap),
                  mpszName ? mpszName : "kxw-held-value");
}

// ---------------------------------------------------------------------------------------------------------------

KxwJsvalIterator::KxwJsvalIterator(const KxwJsval& mrtArray, JSContext* mptCx)
    : _tArray(mrtArray), _ptCx(ContextOr(mptCx)) {
    JSObject* ptObj = _tArray.GetRawObject();
    if (!_ptCx || !ptObj) return;
    JS::RootedObject tObj(_ptCx, ptObj);
    JS::RootedValue tLength(_ptCx);
    double dfLength = 0;
    if (!JS_GetProperty(_ptCx, tObj, "length", &tLength) || !JS::ToNumber(_ptCx, tLength, &dfLength)) {
        JS_ClearPendingException(_ptCx);
        return;
    }
    if (dfLength > 0) _uLength = dfLength >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(dfLength);
}

KxwJsval KxwJsvalIterator::operator*() const {
    JSObject* ptObj = _tArray.GetRawObject();
    if (!_ptCx || !ptObj || _uIndex >= _uLength) return KxwJsval();
    JS::RootedObject tObj(_ptCx, ptObj);
    JS::RootedValue tElement(_ptCx);
    if (!JS_GetElement(_ptCx, tObj, _uIndex, &tElement)) {
        JS_ClearPendingException(_ptCx);
        return KxwJsval();
    }
    return KxwJsval::FromRawBits(tElement.get().asRawBits());
}

const char* xfpszKxwJswUtilsGetDcsStrByJsval(JSContext* mptCx, const KxwJsval& mrtValue) {
    thread_local std::string tdsText;
    tdsText = mrtValue.GetStringUtf8(mptCx);
    return tdsText.c_str();
}

// ---------------------------------------------------------------------------------------------------------------

unsigned KxwJswCallArgs::Length() const {
    return static_cast<JS::CallArgs*>(_pvCallArgs)->length();
}

KxwJsval KxwJswCallArgs::Get(unsigned muIndex) const {
    return KxwJsval::FromRawBits(static_cast<JS::CallArgs*>(_pvCallArgs)->get(muIndex).get().asRawBits());
}

bool KxwJswCallArgs::GetStringU16n(unsigned muIndex, std::u16string& mrdsResult) const {
    mrdsResult.clear();
    JSContext* ptCx = ContextOr(_ptCx);
    if (!ptCx) return false;
    return ValueToU16(ptCx, static_cast<JS::CallArgs*>(_pvCallArgs)->get(muIndex), mrdsResult);
}

KxwJsval KxwJswCallArgs::This() const {
    return KxwJsval::FromRawBits(static_cast<JS::CallArgs*>(_pvCallArgs)->thisv().get().asRawBits());
}

KxwJswUserObjBase* KxwJswCallArgs::ThisUserObj() const {
    return This().GetRawDomObject();
}

void KxwJswCallArgs::SetResult(const KxwJsval& mrtValue) {
    static_cast<JS::CallArgs*>(_pvCallArgs)->rval().set(KxwJsvalAccess::Get(mrtValue));
}

void KxwJswCallArgs::ThrowError(const char* mpszMessage) {
    if (!JS_IsExceptionPending(_ptCx)) JS_ReportErrorUTF8(_ptCx, "%s", mpszMessage ? mpszMessage : "");
}
