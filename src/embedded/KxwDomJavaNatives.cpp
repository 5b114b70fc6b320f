// The native methods of the bridge's Java side, bound with RegisterNatives: what an applet asks of its page (its
// document and code base, its PARAMs, a navigation, its window, one more class, logging) and what
// netscape.javascript.JSObject does with the page's objects. The Java side calls them only on the virtual user's
// own thread (calls from other threads wait in its queue); each still checks that the id it is given names a live
// object of this thread, so a late, foreign or made-up id finds nothing.
#include <js/friend/WindowProxy.h>

#include <cstring>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElementApplet.h"
#include "KxwDomHtmlLocation.h"
#include "KxwDomHtmlWindow.h"
#include "KxwDomJavaHandles.h"
#include "KxwDomJavaVUser.h"
#include "KxwDomJavaValues.h"
#include "KxwDomJavaVm.h"
#include "KxwDomScriptEvaluationNotifier.h"
#include "KxwDomStr.h"
#include "KxwJswInternal.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJswGlobal.h"
#include "kxw/KxwObjMgr.h"

namespace {

KxwDomJavaVUser* CurrentJavaVUser() {
    KxwObjMgr* ptObjMgr = xfptKxwDomUtilGetObjMgr(nullptr);
    return ptObjMgr ? static_cast<KxwDomJavaVUser*>(ptObjMgr->GetVuserJavaObject()) : nullptr;
}

KxwDomHtmlElementApplet* AppletOf(JNIEnv* mptEnv, jlong mlHandle, const char* mpszFunction) {
    if (!mptEnv || mlHandle == 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Invalid iDomAppletPtr/ptEnv (%lld/%p) in %s",
            static_cast<long long>(mlHandle), static_cast<void*>(mptEnv), mpszFunction);
        return nullptr;
    }
    const char* pszWhy = nullptr;
    auto* ptApplet = static_cast<KxwDomHtmlElementApplet*>(
        KxwDomJavaHandles::Find(static_cast<uint64_t>(mlHandle), KxwDomJavaHandleKind::kApplet, &pszWhy));
    if (!ptApplet)
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "%s: no applet for id %lld (%s)", mpszFunction,
                                 static_cast<long long>(mlHandle), pszWhy);
    return ptApplet;
}

KxwDomHtmlWindow* WindowOf(KxwDomHtmlElementApplet* mptApplet) {
    KxwDomHtmlDocument* ptDocument = mptApplet ? mptApplet->GetOwnerHtmlDocument(false) : nullptr;
    return ptDocument ? ptDocument->GetWindow() : nullptr;
}

jstring DcsToJava(JNIEnv* mptEnv, KxwDomHtmlElementApplet* mptApplet, const char* mpsfDcs, unsigned muLen) {
    KxwDomStr tText(mptApplet->GetDomEnv(), mpsfDcs ? mpsfDcs : "", mpsfDcs ? muLen : 0);
    const char16_t* pwsfText = tText.GetU16nStr();
    return xftKxwDomJavaNewString(mptEnv,
                                  std::u16string(pwsfText ? pwsfText : u"", pwsfText ? tText.GetU16nLenInChars() : 0));
}

void ThrowJSException(JNIEnv* mptEnv, const std::string& mrdsText) {
    if (KxwDomJavaVm::s_tJSExceptionCls) mptEnv->ThrowNew(KxwDomJavaVm::s_tJSExceptionCls, mrdsText.c_str());
}

// ---- The applet's stub, context and class loader ----

jstring JNICALL Java_VokAppletStub_getDocumentBaseStr(JNIEnv* mptEnv, jobject, jlong mlApplet) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_VokAppletStub_getDocumentBaseStr");
    KxwDomHtmlDocument* ptDocument = ptApplet ? ptApplet->GetOwnerHtmlDocument(false) : nullptr;
    if (!ptDocument) return nullptr;
    unsigned uLen = 0;
    const char* psfBase = ptDocument->GetBaseUrlDcs(&uLen);
    return DcsToJava(mptEnv, ptApplet, psfBase, uLen);
}

jstring JNICALL Java_VokAppletStub_getCodeBaseStr(JNIEnv* mptEnv, jobject, jlong mlApplet) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_VokAppletStub_getCodeBaseStr");
    return ptApplet ? xftKxwDomJavaNewStringUtf8(mptEnv, ptApplet->GetActualCodeBase()) : nullptr;
}

jstring JNICALL Java_VokAppletStub_getParameterStr(JNIEnv* mptEnv, jobject, jlong mlApplet, jstring mtName) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_VokAppletStub_getParameterStr");
    if (!ptApplet || !mtName) return nullptr;
    std::u16string dsValue;
    if (!ptApplet->GetParamValue(xfdsKxwDomJavaU16(mptEnv, mtName), dsValue)) return nullptr;
    return xftKxwDomJavaNewString(mptEnv, dsValue);
}

void JNICALL Java_VokAppletContext_showDocument(JNIEnv* mptEnv, jobject, jlong mlApplet, jstring mtUrl,
                                                jstring mtTarget) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_VokAppletContext_showDocument");
    KxwDomHtmlWindow* ptWindow = WindowOf(ptApplet);
    KxwObjMgr* ptObjMgr = xfptKxwDomUtilGetObjMgr("Java_VokAppletContext_showDocument");
    if (!ptWindow || !ptObjMgr || !mtUrl) return;
    std::string dsUrl = xfdsKxwDomJavaUtf8(mptEnv, mtUrl);
    std::string dsTarget = mtTarget ? xfdsKxwDomJavaUtf8(mptEnv, mtTarget) : std::string("_self");
    if (dsTarget.empty()) dsTarget = "_self";
    KxwDomHtmlWindow* ptTarget = ptObjMgr->FindOrCreateHtmlWindowByOriginating(ptWindow, dsTarget.data(),
                                                                               static_cast<unsigned>(dsTarget.size()));
    KxwDomHtmlLocation* ptLocation = ptTarget ? ptTarget->GetLocation() : nullptr;
    if (!ptLocation) return;
    ptLocation->Replace(dsUrl.data(), static_cast<int>(dsUrl.size()), KXW_DOM_HTML_LOCATION_CHANGE_SHOW_DOCUMENT, 0);
}

jlong JNICALL Java_VokAppletContext_getAppletWindow(JNIEnv* mptEnv, jobject, jlong mlApplet) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_VokAppletContext_getAppletWindow");
    KxwDomHtmlWindow* ptWindow = WindowOf(ptApplet);
    KxwDomJavaVUser* ptVUser = CurrentJavaVUser();
    if (!ptWindow || !ptVUser) return 0;
    KxwJsval tWindow;
    if (!tWindow.SetDomObject(ptWindow)) return 0;
    return static_cast<jlong>(ptVUser->HandleOfScriptObject(tWindow));
}

void JNICALL Java_JarClassLoader_DownloadExtraClass(JNIEnv* mptEnv, jobject, jlong mlApplet, jstring mtClassName) {
    KxwDomHtmlElementApplet* ptApplet = AppletOf(mptEnv, mlApplet, "Java_JarClassLoader_DownloadExtraClass");
    if (ptApplet && mtClassName) ptApplet->DownloadExtraClass(xfdsKxwDomJavaUtf8(mptEnv, mtClassName));
}

void JNICALL Java_VokVuserMgr_logLine(JNIEnv* mptEnv, jclass, jstring mtText) {
    if (!mptEnv || !mtText) return;
    std::string dsText = xfdsKxwDomJavaUtf8(mptEnv, mtText);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "Java Applet log: %.2000s", dsText.c_str());
}

jint JNICALL Java_VokVuserMgr_getLogLevel(JNIEnv*, jclass) { return xfiKxwDomJavaLogLevel(); }

// ---- netscape.javascript.JSObject ----

// Runs mfBody on the page object an id names, as an evaluation of the page's code (the time limit, the closes
// and scripts that wait for its end); its result goes back to Java, and a script exception is thrown to the Java
// caller as a JSException.
template <class F>
jobject RunOnPageObject(JNIEnv* mptEnv, jlong mlObject, const char* mpszFunction, F&& mfBody) {
    KxwDomJavaVUser* ptVUser = CurrentJavaVUser();
    KxwJswEngine* ptEngine = KxwJswEngine::Current();
    KxwJsval tObject;
    if (!mptEnv || !ptVUser || !ptEngine || !ptVUser->ScriptObjectOf(static_cast<uint64_t>(mlObject), tObject) ||
        !tObject.IsObject()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "Invalid iJswPtr/ptEnv (%lld/%p) in %s",
                                 static_cast<long long>(mlObject), static_cast<void*>(mptEnv), mpszFunction);
        if (mptEnv) ThrowJSException(mptEnv, "the page's object is gone");
        return nullptr;
    }
    JSContext* ptCx = ptEngine->GetContext();
    JS::RootedObject tObj(ptCx, tObject.GetRawObject());
    KxwJswUserObjBase* ptUserObj = KxwJswUserObjBase::FromJsiObj(tObj);
    KxwDomScriptEvaluationNotifier tNotifier(mpszFunction, ptUserObj ? ptUserObj->DownCastToNodeBase() : nullptr, true);
    bool bOK = false;
    std::string dsError;
    KxwJsval tResult;
    // A window's calls and eval happen in the global of the page it shows now, not in its proxy's realm.
    auto* ptWindow = dynamic_cast<KxwDomHtmlWindow*>(ptUserObj);
    JSObject* ptPageGlobal = ptWindow && ptWindow->GetGlobal() ? ptWindow->GetGlobal()->GetObject() : nullptr;
    JS::RootedObject tRealmObj(
        ptCx, ptPageGlobal ? ptPageGlobal : JS::GetNonCCWObjectGlobal(js::ToWindowIfWindowProxy(tObj)));
    {
        JSAutoRealm tRealm(ptCx, tRealmObj);
        KxwJswEngine::EvaluationScope tScope(ptEngine, ptUserObj);
        tNotifier.OnEvaluationStart();
        JS::RootedValue tValue(ptCx);
        bOK = mfBody(ptCx, tObj, &tValue);
        if (bOK) {
            tResult = KxwJsval::FromRawBits(tValue.get().asRawBits());
        } else if (tScope.WasInterrupted()) {
            dsError = "the page's script ran longer than allowed";
            JS_ClearPendingException(ptCx);
        } else {
            JS::RootedValue tThrown(ptCx);
            if (JS_GetPendingException(ptCx, &tThrown)) {
                JS_ClearPendingException(ptCx);
                KxwJsval tThrownValue = KxwJsval::FromRawBits(tThrown.get().asRawBits());
                dsError = tThrownValue.GetStringUtf8(ptCx);
            }
            if (dsError.empty()) dsError = "the page's script failed";
        }
    }
    tNotifier.OnEvaluationEnd(bOK);
    if (!bOK) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE,
                                 "Script error in a call from an applet (%s): %.2000s", mpszFunction, dsError.c_str());
        ThrowJSException(mptEnv, dsError);
        return nullptr;
    }
    return xftKxwDomJavaFromScript(mptEnv, tResult, ptVUser);
}

bool JavaArgsToScript(JSContext* mptCx, JNIEnv* mptEnv, jobjectArray mtArgs, KxwDomJavaVUser* mptVUser,
                      JS::MutableHandleValueVector mtValues) {
    jsize nCount = mtArgs ? mptEnv->GetArrayLength(mtArgs) : 0;
    for (jsize n = 0; n < nCount; ++n) {
        jobject tArg = mptEnv->GetObjectArrayElement(mtArgs, n);
        KxwJsval tValue;
        xfvKxwDomJavaToScript(mptEnv, tArg, mptVUser, tValue);
        if (tArg) mptEnv->DeleteLocalRef(tArg);
        if (!mtValues.append(JS::Value::fromRawBits(tValue.GetRawBits()))) return false;
    }
    (void)mptCx;
    return true;
}

jobject JNICALL Java_VokJSObject_callMethod(JNIEnv* mptEnv, jobject, jlong mlObject, jstring mtName,
                                            jobjectArray mtArgs) {
    std::string dsName = mtName ? xfdsKxwDomJavaUtf8(mptEnv, mtName) : std::string();
    KxwDomJavaVUser* ptVUser = CurrentJavaVUser();
    return RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_callMethod",
                           [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                               JS::RootedValueVector tArgs(mptCx);
                               if (!JavaArgsToScript(mptCx, mptEnv, mtArgs, ptVUser, &tArgs)) return false;
                               bool bOK = JS_CallFunctionName(mptCx, mtObj, dsName.c_str(), tArgs, mtResult);
                               if (xfbKxwTraceEnabled())
                                   xfvKxwUtilReportTraceToFile(
                                       "bOK=%d from CallFunctionByName in Java_VokJSObject_callMethod", bOK ? 1 : 0);
                               return bOK;
                           });
}

jobject JNICALL Java_VokJSObject_getMember(JNIEnv* mptEnv, jobject, jlong mlObject, jstring mtName) {
    std::string dsName = mtName ? xfdsKxwDomJavaUtf8(mptEnv, mtName) : std::string();
    return RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_getMember",
                           [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                               return JS_GetProperty(mptCx, mtObj, dsName.c_str(), mtResult);
                           });
}

void JNICALL Java_VokJSObject_setMember(JNIEnv* mptEnv, jobject, jlong mlObject, jstring mtName, jobject mtValue) {
    std::string dsName = mtName ? xfdsKxwDomJavaUtf8(mptEnv, mtName) : std::string();
    KxwDomJavaVUser* ptVUser = CurrentJavaVUser();
    KxwJsval tValue;
    xfvKxwDomJavaToScript(mptEnv, mtValue, ptVUser, tValue);
    jobject tResult = RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_setMember",
                                      [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                                          JS::RootedValue tSet(mptCx, JS::Value::fromRawBits(tValue.GetRawBits()));
                                          mtResult.setUndefined();
                                          return JS_SetProperty(mptCx, mtObj, dsName.c_str(), tSet);
                                      });
    if (tResult) mptEnv->DeleteLocalRef(tResult);
}

void JNICALL Java_VokJSObject_removeMember(JNIEnv* mptEnv, jobject, jlong mlObject, jstring mtName) {
    std::string dsName = mtName ? xfdsKxwDomJavaUtf8(mptEnv, mtName) : std::string();
    jobject tResult = RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_removeMember",
                                      [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                                          mtResult.setUndefined();
                                          return JS_DeleteProperty(mptCx, mtObj, dsName.c_str());
                                      });
    if (tResult) mptEnv->DeleteLocalRef(tResult);
}

jobject JNICALL Java_VokJSObject_evalCode(JNIEnv* mptEnv, jobject, jlong mlObject, jstring mtCode) {
    std::u16string dsCode = mtCode ? xfdsKxwDomJavaU16(mptEnv, mtCode) : std::u16string();
    return RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_eval",
                           [&](JSContext* mptCx, JS::HandleObject, JS::MutableHandleValue mtResult) {
                               JS::SourceText<char16_t> tSource;
                               if (!tSource.init(mptCx, dsCode.data(), dsCode.size(), JS::SourceOwnership::Borrowed))
                                   return false;
                               JS::CompileOptions tOptions(mptCx);
                               tOptions.setFileAndLine("applet", 1);
                               return JS::Evaluate(mptCx, tOptions, tSource, mtResult);
                           });
}

jobject JNICALL Java_VokJSObject_getSlot(JNIEnv* mptEnv, jobject, jlong mlObject, jint miIndex) {
    return RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_getSlot",
                           [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                               return miIndex >= 0
                                          ? JS_GetElement(mptCx, mtObj, static_cast<uint32_t>(miIndex), mtResult)
                                          : (mtResult.setUndefined(), true);
                           });
}

void JNICALL Java_VokJSObject_setSlot(JNIEnv* mptEnv, jobject, jlong mlObject, jint miIndex, jobject mtValue) {
    KxwDomJavaVUser* ptVUser = CurrentJavaVUser();
    KxwJsval tValue;
    xfvKxwDomJavaToScript(mptEnv, mtValue, ptVUser, tValue);
    jobject tResult = RunOnPageObject(mptEnv, mlObject, "Java_VokJSObject_setSlot",
                                      [&](JSContext* mptCx, JS::HandleObject mtObj, JS::MutableHandleValue mtResult) {
                                          mtResult.setUndefined();
                                          if (miIndex < 0) return true;
                                          JS::RootedValue tSet(mptCx, JS::Value::fromRawBits(tValue.GetRawBits()));
                                          return JS_SetElement(mptCx, mtObj, static_cast<uint32_t>(miIndex), tSet);
                                      });
    if (tResult) mptEnv->DeleteLocalRef(tResult);
}

void JNICALL Java_VokJSObject_release(JNIEnv*, jobject, jlong mlObject) {
    if (KxwDomJavaVUser* ptVUser = CurrentJavaVUser()) ptVUser->ReleaseScriptObject(static_cast<uint64_t>(mlObject));
}

struct NativeClass {
    const char* _pszClass;
    const JNINativeMethod* _patMethods;
    jint _nCount;
};

#define KXW_NATIVE(name, signature, function)                                                    \
    JNINativeMethod {                                                                            \
        const_cast<char*>(name), const_cast<char*>(signature), reinterpret_cast<void*>(function) \
    }

const JNINativeMethod katStub[] = {
    KXW_NATIVE("getDocumentBaseStr", "(J)Ljava/lang/String;", Java_VokAppletStub_getDocumentBaseStr),
    KXW_NATIVE("getCodeBaseStr", "(J)Ljava/lang/String;", Java_VokAppletStub_getCodeBaseStr),
    KXW_NATIVE("getParameterStr", "(JLjava/lang/String;)Ljava/lang/String;", Java_VokAppletStub_getParameterStr),
};
const JNINativeMethod katContext[] = {
    KXW_NATIVE("showDocument", "(JLjava/lang/String;Ljava/lang/String;)V", Java_VokAppletContext_showDocument),
    KXW_NATIVE("getAppletWindow", "(J)J", Java_VokAppletContext_getAppletWindow),
};
const JNINativeMethod katLoader[] = {
    KXW_NATIVE("DownloadExtraClass", "(JLjava/lang/String;)V", Java_JarClassLoader_DownloadExtraClass),
};
const JNINativeMethod katVuserMgr[] = {
    KXW_NATIVE("logLine", "(Ljava/lang/String;)V", Java_VokVuserMgr_logLine),
    KXW_NATIVE("getLogLevel", "()I", Java_VokVuserMgr_getLogLevel),
};
const JNINativeMethod katJSObject[] = {
    KXW_NATIVE("callMethod", "(JLjava/lang/String;[Ljava/lang/Object;)Ljava/lang/Object;", Java_VokJSObject_callMethod),
    KXW_NATIVE("getMember", "(JLjava/lang/String;)Ljava/lang/Object;", Java_VokJSObject_getMember),
    KXW_NATIVE("setMember", "(JLjava/lang/String;Ljava/lang/Object;)V", Java_VokJSObject_setMember),
    KXW_NATIVE("removeMember", "(JLjava/lang/String;)V", Java_VokJSObject_removeMember),
    KXW_NATIVE("evalCode", "(JLjava/lang/String;)Ljava/lang/Object;", Java_VokJSObject_evalCode),
    KXW_NATIVE("getSlot", "(JI)Ljava/lang/Object;", Java_VokJSObject_getSlot),
    KXW_NATIVE("setSlot", "(JILjava/lang/Object;)V", Java_VokJSObject_setSlot),
    KXW_NATIVE("release", "(J)V", Java_VokJSObject_release),
};

#undef KXW_NATIVE

const NativeClass katNativeClasses[] = {
    {"VokAppletStub", katStub, sizeof(katStub) / sizeof(katStub[0])},
    {"VokAppletContext", katContext, sizeof(katContext) / sizeof(katContext[0])},
    {"JarClassLoader", katLoader, sizeof(katLoader) / sizeof(katLoader[0])},
    {"VokVuserMgr", katVuserMgr, sizeof(katVuserMgr) / sizeof(katVuserMgr[0])},
    {"VokJSObject", katJSObject, sizeof(katJSObject) / sizeof(katJSObject[0])},
};

}  // namespace

bool xfbKxwDomJavaRegisterNatives(JNIEnv* mptEnv) {
    for (const NativeClass& rtClass : katNativeClasses) {
        jclass tClass = mptEnv->FindClass(rtClass._pszClass);
        if (!tClass || mptEnv->RegisterNatives(tClass, rtClass._patMethods, rtClass._nCount) != 0) {
            std::string dsWhy = xfdsKxwDomJavaTakeException(mptEnv);
            xfvKxwUtilReportInternalError("The applet bridge could not bind the native methods of %s (%s)",
                                          rtClass._pszClass, dsWhy.c_str());
            if (tClass) mptEnv->DeleteLocalRef(tClass);
            return false;
        }
        mptEnv->DeleteLocalRef(tClass);
    }
    return true;
}
