#include "kxw/KxwJsval.h"

#include <cstdlib>
#include <cstring>
#include <new>

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

JS::Value ValueOf(uint64_t muBits) {
    return JS::Value::fromRawBits(muBits);
}

}  // namespace

KxwJsval::KxwJsval() : _uBits(JS::UndefinedValue().asRawBits()) {}

KxwJsval::~KxwJsval() {
    FreeText();
}

void KxwJsval::FreeText() {
    std::free(_pwcText);
    _pwcText = nullptr;
}

KxwJsval KxwJsval::FromRawBits(uint64_t muBits) {
    return KxwJsval(muBits);
}

bool KxwJsval::IsUndefined() const {
    return ValueOf(_uBits).isUndefined();
}
bool KxwJsval::IsNull() const {
    return ValueOf(_uBits).isNull();
}
bool KxwJsval::IsBoolean() const {
    return ValueOf(_uBits).isBoolean();
}
bool KxwJsval::IsInt() const {
    return ValueOf(_uBits).isInt32();
}
bool KxwJsval::IsDouble() const {
    return ValueOf(_uBits).isDouble();
}
bool KxwJsval::IsNumber() const {
    return ValueOf(_uBits).isNumber();
}
bool KxwJsval::IsString() const {
    return ValueOf(_uBits).isString();
}
bool KxwJsval::IsObject() const {
    return ValueOf(_uBits).isObject();
}

bool KxwJsval::IsFunction() const {
    JS::Value tValue = ValueOf(_uBits);
    return tValue.isObject() && JS::IsCallable(&tValue.toObject());
}

bool KxwJsval::IsDomObject() const {
    return GetRawDomObject() != nullptr;
}

KxwJswUserObjBase* KxwJsval::GetRawDomObject() const {
    JS::Value tValue = ValueOf(_uBits);
    return tValue.isObject() ? KxwJswUserObjBase::FromJsiObj(&tValue.toObject()) : nullptr;
}

JSObject* KxwJsval::GetRawObject() const {
    JS::Value tValue = ValueOf(_uBits);
    return tValue.isObject() ? &tValue.toObject() : nullptr;
}

const char16_t* KxwJsval::GetStringU16n(unsigned* mpnLen, JSContext* mptCx) {
    if (mpnLen) *mpnLen = 0;
    FreeText();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return u"";
    JS::RootedValue tValue(ptCx, ValueOf(_uBits));
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
    JS::RootedValue tValue(ptCx, ValueOf(_uBits));
    JS::RootedString tStr(ptCx, JS::ToString(ptCx, tValue));
    if (!tStr) {
        JS_ClearPendingException(ptCx);
        return std::string();
    }
    JS::UniqueChars pszUtf8 = JS_EncodeStringToUTF8(ptCx, tStr);
    return pszUtf8 ? std::string(pszUtf8.get()) : std::string();
}

int32_t KxwJsval::GetInt(JSContext* mptCx) const {
    JS::Value tRaw = ValueOf(_uBits);
    if (tRaw.isInt32()) return tRaw.toInt32();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return 0;
    JS::RootedValue tValue(ptCx, tRaw);
    int32_t iResult = 0;
    if (!JS::ToInt32(ptCx, tValue, &iResult)) JS_ClearPendingException(ptCx);
    return iResult;
}

double KxwJsval::GetDouble(JSContext* mptCx) const {
    JS::Value tRaw = ValueOf(_uBits);
    if (tRaw.isNumber()) return tRaw.toNumber();
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) return 0;
    JS::RootedValue tValue(ptCx, tRaw);
    double dfResult = 0;
    if (!JS::ToNumber(ptCx, tValue, &dfResult)) JS_ClearPendingException(ptCx);
    return dfResult;
}

bool KxwJsval::GetBoolean(JSContext*) const {
    JS::Value tRaw = ValueOf(_uBits);
    if (tRaw.isBoolean()) return tRaw.toBoolean();
    // ToBoolean runs no script and cannot collect.
    return JS::ToBoolean(JS::Handle<JS::Value>::fromMarkedLocation(&tRaw));
}

void KxwJsval::SetUndefined() {
    _uBits = JS::UndefinedValue().asRawBits();
}
void KxwJsval::SetNull() {
    _uBits = JS::NullValue().asRawBits();
}
void KxwJsval::SetBoolean(bool mbValue) {
    _uBits = JS::BooleanValue(mbValue).asRawBits();
}
void KxwJsval::SetInt(int32_t miValue) {
    _uBits = JS::Int32Value(miValue).asRawBits();
}
void KxwJsval::SetDouble(double mdfValue) {
    _uBits = JS::NumberValue(mdfValue).asRawBits();
}
void KxwJsval::SetObject(JSObject* mptObj) {
    _uBits = mptObj ? JS::ObjectValue(*mptObj).asRawBits() : JS::NullValue().asRawBits();
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
    _uBits = JS::StringValue(ptStr).asRawBits();
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
    _uBits = JS::StringValue(ptStr).asRawBits();
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
    mrtResult._uBits = tResult.get().asRawBits();
    return true;
}

bool KxwJsval::SetProperty(const char* mpszName, const KxwJsval& mrtValue, JSContext* mptCx) const {
    JSContext* ptCx = ContextOr(mptCx);
    JSObject* ptObj = GetRawObject();
    if (!ptCx || !ptObj || !mpszName) return false;
    JS::RootedObject tObj(ptCx, ptObj);
    JS::RootedValue tValue(ptCx, ValueOf(mrtValue._uBits));
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
    JS::RootedValue tValue(ptCx, ValueOf(mrtValue._uBits));
    if (!JS_DefineUCProperty(ptCx, tObj, mpwsfName, mnLen, tValue, mbEnumerable ? JSPROP_ENUMERATE : 0)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    return true;
}

bool KxwJsval::GetOwnProperty(const char16_t* mpwsfName, size_t mnLen, KxwJsval& mrtResult, JSContext* mptCx) const {
    mrtResult.SetUndefined();
    if (!ItsOwnProperty(mpwsfName, static_cast<unsigned>(mnLen), mptCx)) return false;
    JSContext* ptCx = ContextOr(mptCx);
    JS::RootedObject tObj(ptCx, GetRawObject());
    JS::RootedValue tResult(ptCx);
    if (!JS_GetUCProperty(ptCx, tObj, mpwsfName, mnLen, &tResult)) {
        JS_ClearPendingException(ptCx);
        return false;
    }
    mrtResult._uBits = tResult.get().asRawBits();
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

KxwJsvalProt::KxwJsvalProt() = default;

KxwJsvalProt::KxwJsvalProt(const KxwJsval& mrtValue, JSContext* mptCx) {
    Set(mrtValue, mptCx);
}

KxwJsvalProt::~KxwJsvalProt() {
    Reset();
}

void KxwJsvalProt::Set(const KxwJsval& mrtValue, JSContext* mptCx) {
    JSContext* ptCx = ContextOr(mptCx);
    if (!ptCx) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No engine on this thread in KxwJsvalProt::Set. this=%p",
                                              static_cast<void*>(this));
        return;
    }
    if (_pvRoot) {
        static_cast<JS::PersistentRootedValue*>(_pvRoot)->set(ValueOf(mrtValue.GetRawBits()));
        return;
    }
    _pvRoot = new JS::PersistentRootedValue(ptCx, ValueOf(mrtValue.GetRawBits()));
}

void KxwJsvalProt::Reset() {
    delete static_cast<JS::PersistentRootedValue*>(_pvRoot);
    _pvRoot = nullptr;
}

KxwJsval KxwJsvalProt::Get() const {
    if (!_pvRoot) return KxwJsval();
    return KxwJsval::FromRawBits(static_cast<JS::PersistentRootedValue*>(_pvRoot)->get().asRawBits());
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
    *reinterpret_cast<JS::Heap<JS::Value>*>(_acHeap) = ValueOf(mrtValue.GetRawBits());
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

KxwJsval KxwJswCallArgs::This() const {
    return KxwJsval::FromRawBits(static_cast<JS::CallArgs*>(_pvCallArgs)->thisv().get().asRawBits());
}

KxwJswUserObjBase* KxwJswCallArgs::ThisUserObj() const {
    return This().GetRawDomObject();
}

void KxwJswCallArgs::SetResult(const KxwJsval& mrtValue) {
    static_cast<JS::CallArgs*>(_pvCallArgs)->rval().set(ValueOf(mrtValue.GetRawBits()));
}
