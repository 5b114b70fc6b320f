// Conversions between value triples, engine values and text, and the report of a script's exception.
#include <string>

#include "KxwJswInternal.h"
#include "KxwUtilReport.h"

namespace kxwjsw {

bool TripleToValue(JSContext* mptCx, void* mpvValue, unsigned mnLen, KXW_JSW_OBJ_PROP_TYPE_ENUM meType,
                   JS::MutableHandleValue mtResult) {
    switch (meType) {
        case KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT: {
            auto* ptUserObj = static_cast<KxwJswUserObjBase*>(mpvValue);
            JSObject* ptObj = ptUserObj ? ptUserObj->GetJsiObj() : nullptr;
            if (ptObj)
                mtResult.setObject(*ptObj);
            else
                mtResult.setNull();
            return true;
        }
        case KXW_JSW_OBJ_PROP_TYPE_STRING: {
            const auto* pwcText = static_cast<const char16_t*>(mpvValue);
            JSString* ptStr = JS_NewUCStringCopyN(mptCx, pwcText ? pwcText : u"", pwcText ? mnLen : 0);
            if (!ptStr) return false;
            mtResult.setString(ptStr);
            return true;
        }
        case KXW_JSW_OBJ_PROP_TYPE_INT:
            mtResult.setInt32(static_cast<int32_t>(reinterpret_cast<intptr_t>(mpvValue)));
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_DOUBLE:
            mtResult.setNumber(mpvValue ? *static_cast<const double*>(mpvValue) : JS::GenericNaN());
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_BOOLEAN:
            mtResult.setBoolean(mpvValue != nullptr);
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_NULL:
            mtResult.setNull();
            return true;
        case KXW_JSW_OBJ_PROP_TYPE_FUNCTION:
        case KXW_JSW_OBJ_PROP_TYPE_JS_OBJECT:
            if (mpvValue)
                mtResult.set(*static_cast<const JS::Value*>(mpvValue));
            else
                mtResult.setNull();
            return true;
        default:
            mtResult.setUndefined();
            return true;
    }
}

bool ValueToU16(JSContext* mptCx, JS::HandleValue mtValue, std::u16string& mrdsResult) {
    JS::RootedString tStr(mptCx, JS::ToString(mptCx, mtValue));
    if (!tStr) return false;
    size_t nLen = JS_GetStringLength(tStr);
    mrdsResult.resize(nLen);
    return JS_CopyStringChars(mptCx, mozilla::Range<char16_t>(mrdsResult.data(), nLen), tStr);
}

std::string ReportPendingException(JSContext* mptCx, const char* mpszWhat, std::string* mpdsFile, unsigned* mpuLine) {
    if (!JS_IsExceptionPending(mptCx)) return "the script was terminated";
    JS::ExceptionStack tStack(mptCx);
    if (!JS::StealPendingExceptionStack(mptCx, &tStack)) {
        JS_ClearPendingException(mptCx);
        return std::string(mpszWhat ? mpszWhat : "script") + " failed";
    }
    JS::ErrorReportBuilder tReport(mptCx);
    // No side effects: a hostile toString on a thrown object must not run while we report it.
    if (!tReport.init(mptCx, tStack, JS::ErrorReportBuilder::NoSideEffects)) {
        JS_ClearPendingException(mptCx);
        return "an exception that cannot be described";
    }
    if (JSErrorReport* ptReport = tReport.report()) {
        if (mpdsFile && ptReport->filename) *mpdsFile = ptReport->filename;
        if (mpuLine) *mpuLine = ptReport->lineno;
    }
    return tReport.toStringResult() ? tReport.toStringResult().c_str() : "an exception";
}

}  // namespace kxwjsw
