#include "KxwDomJavaValues.h"

#include <cmath>
#include <cstdlib>

#include "KxwDomJavaVUser.h"
#include "KxwDomJavaVm.h"
#include "KxwUtilReport.h"

std::string xfdsKxwDomJavaMemberType(const std::string& mrdsTypeWord, bool* mpbMethod) {
    bool bMethod = mrdsTypeWord.size() > 2 && mrdsTypeWord.compare(mrdsTypeWord.size() - 2, 2, "()") == 0;
    if (mpbMethod) *mpbMethod = bMethod;
    return bMethod ? mrdsTypeWord.substr(0, mrdsTypeWord.size() - 2) : mrdsTypeWord;
}

KxwDomJavaTypedValue KxwDomJavaTypedValue::FromJava(const std::string& mrdsType, JNIEnv* mptEnv, jstring mtText) {
    KxwDomJavaTypedValue tValue;
    if (mrdsType == "void") return tValue;
    if (!mtText) {
        tValue._eKind = kNull;
        return tValue;
    }
    std::string dsText = xfdsKxwDomJavaUtf8(mptEnv, mtText);
    if (mrdsType == "boolean" || mrdsType == "java.lang.Boolean") {
        tValue._eKind = kBoolean;
        tValue._bValue = dsText == "true";
        return tValue;
    }
    static const char* const kapszNumbers[] = {"int",
                                               "long",
                                               "short",
                                               "byte",
                                               "float",
                                               "double",
                                               "java.lang.Integer",
                                               "java.lang.Long",
                                               "java.lang.Short",
                                               "java.lang.Byte",
                                               "java.lang.Float",
                                               "java.lang.Double"};
    for (const char* pszNumber : kapszNumbers) {
        if (mrdsType != pszNumber) continue;
        char* pszEnd = nullptr;
        double dfValue = std::strtod(dsText.c_str(), &pszEnd);
        tValue._eKind = kNumber;
        // Java writes "NaN" and "Infinity" as strtod reads them; anything else unreadable is NaN, as Number() says.
        tValue._dfValue = pszEnd && *pszEnd == '\0' && !dsText.empty() ? dfValue : std::nan("");
        return tValue;
    }
    tValue._eKind = kString;
    tValue._dsValue = xfdsKxwDomJavaU16(mptEnv, mtText);
    return tValue;
}

void KxwDomJavaTypedValue::ToScript(KxwJsval& mrtValue) const {
    switch (_eKind) {
        case kNull:
            mrtValue.SetNull();
            return;
        case kBoolean:
            mrtValue.SetBoolean(_bValue);
            return;
        case kNumber:
            if (_dfValue == std::floor(_dfValue) && std::fabs(_dfValue) <= 2147483647.0 &&
                !(_dfValue == 0 && std::signbit(_dfValue)))
                mrtValue.SetInt(static_cast<int32_t>(_dfValue));
            else
                mrtValue.SetDouble(_dfValue);
            return;
        case kString:
            mrtValue.SetStringU16n(_dsValue.data(), _dsValue.size());
            return;
        default:
            mrtValue.SetUndefined();
            return;
    }
}

jobject xftKxwDomJavaFromScript(JNIEnv* mptEnv, const KxwJsval& mrtValue, KxwDomJavaVUser* mptVUser) {
    using V = KxwDomJavaVm;
    if (mrtValue.IsNull() || mrtValue.IsUndefined()) return nullptr;
    if (mrtValue.IsBoolean())
        return mptEnv->NewObject(V::s_tBooleanCls, V::s_tBooleanCtor, mrtValue.GetBoolean() ? JNI_TRUE : JNI_FALSE);
    if (mrtValue.IsInt())
        return mptEnv->NewObject(V::s_tIntegerCls, V::s_tIntegerCtor, static_cast<jint>(mrtValue.GetInt()));
    if (mrtValue.IsNumber()) {
        double dfValue = mrtValue.GetDouble();
        if (dfValue == std::floor(dfValue) && std::fabs(dfValue) <= 2147483647.0)
            return mptEnv->NewObject(V::s_tIntegerCls, V::s_tIntegerCtor, static_cast<jint>(dfValue));
        return mptEnv->NewObject(V::s_tDoubleCls, V::s_tDoubleCtor, static_cast<jdouble>(dfValue));
    }
    if (mrtValue.IsString()) {
        std::u16string dsText;
        mrtValue.ToStringU16n(dsText);
        return xftKxwDomJavaNewString(mptEnv, dsText);
    }
    if (mrtValue.IsObject()) {
        uint64_t uHandle = mptVUser ? mptVUser->HandleOfScriptObject(mrtValue) : 0;
        if (uHandle) return mptEnv->NewObject(V::s_tVokJSObjectCls, V::s_tVokJSObjectCtor, static_cast<jlong>(uHandle));
    }
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                             "Can't convert a script value to Java in KxwDomHtmlElementApplet::ConvertToJava");
    return nullptr;
}

void xfvKxwDomJavaToScript(JNIEnv* mptEnv, jobject mtObject, KxwDomJavaVUser* mptVUser, KxwJsval& mrtValue) {
    using V = KxwDomJavaVm;
    if (!mtObject) {
        mrtValue.SetNull();
        return;
    }
    if (mptEnv->IsInstanceOf(mtObject, V::s_tStringCls)) {
        std::u16string dsText = xfdsKxwDomJavaU16(mptEnv, static_cast<jstring>(mtObject));
        mrtValue.SetStringU16n(dsText.data(), dsText.size());
        return;
    }
    if (mptEnv->IsInstanceOf(mtObject, V::s_tBooleanCls)) {
        mrtValue.SetBoolean(mptEnv->CallBooleanMethod(mtObject, V::s_tBooleanValue) == JNI_TRUE);
        return;
    }
    if (mptEnv->IsInstanceOf(mtObject, V::s_tNumberCls)) {
        KxwDomJavaTypedValue tValue;
        tValue._eKind = KxwDomJavaTypedValue::kNumber;
        tValue._dfValue = mptEnv->CallDoubleMethod(mtObject, V::s_tNumberDoubleValue);
        tValue.ToScript(mrtValue);
        return;
    }
    if (mptEnv->IsInstanceOf(mtObject, V::s_tVokJSObjectCls)) {
        auto uHandle = static_cast<uint64_t>(mptEnv->GetLongField(mtObject, V::s_tVokJSObjectHandle));
        if (!mptVUser || !mptVUser->ScriptObjectOf(uHandle, mrtValue)) mrtValue.SetUndefined();
        return;
    }
    auto tText = static_cast<jstring>(mptEnv->CallObjectMethod(mtObject, V::s_tObjectToString));
    if (mptEnv->ExceptionCheck()) {
        xfdsKxwDomJavaTakeException(mptEnv);
        mrtValue.SetUndefined();
        return;
    }
    std::u16string dsText = xfdsKxwDomJavaU16(mptEnv, tText);
    mrtValue.SetStringU16n(dsText.data(), dsText.size());
}
