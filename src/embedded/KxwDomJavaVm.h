// The process's Java VM, as the applet bridge uses it: loaded at run time (never linked, so the library works
// without Java), created once before the first script context, or the process's own VM when one exists; the classes
// and methods of the bridge's Java side looked up once; the virtual users' threads attached in turn to 100 thread
// groups. Only the bridge's own .cpp files include this header (it brings in JNI).
#pragma once

#include <jni.h>

#include <atomic>
#include <string>

class KxwiRunTimeSettings;

class KxwDomJavaVm {
public:
    // Nothing when the settings do not enable applets; without the built-in runtime the applets are left to the
    // page's fallback. False (reported to the engine) when the VM was asked for and could not be made.
    static bool GlobalInit(const KxwiRunTimeSettings& mrtRTS);
    static void GlobalDestroy();
    static bool HasVm() { return s_ptJVM != nullptr; }
    static bool AppletsNotSupportedUseAjax() { return s_bAppletsNotSupportedUseAjax; }

    // The calling thread's environment; the thread is attached first (in the next thread group) when it is not.
    // Null without a VM.
    static JNIEnv* GetEnv();
    // Detaches the calling thread when the bridge attached it.
    static void DetachCurrentThread();

    static JavaVM* s_ptJVM;
    static jclass s_tVokVuserMgrCls;
    static jmethodID s_tVokVuserMgrCtor;
    static jmethodID s_tUnloadClasses;
    static jmethodID s_tStopAppletThreads;
    static jmethodID s_DispatchAwaitingMethodInvocations;
    static jclass s_tVokAppletMgrCls;
    static jmethodID s_tVokAppletMgrCtor;
    static jmethodID s_tGetMethodOrFieldReturnType;
    static jmethodID s_tCallAppletMethod;
    static jmethodID s_tGetAppletProperty;
    static jmethodID s_tSetAppletProperty;
    static jmethodID s_tLoadJarArchive;
    static jmethodID s_tLoadExtraClass;
    static jmethodID s_tStart;
    static jmethodID s_tStop;
    static jclass s_tBooleanCls, s_tIntegerCls, s_tDoubleCls, s_tObjectCls, s_tStringCls, s_tNumberCls;
    static jclass s_tCharacterCls, s_tVokJSObjectCls, s_tJSExceptionCls, s_tThrowableCls;
    static jmethodID s_tBooleanCtor, s_tIntegerCtor, s_tDoubleCtor;
    static jmethodID s_tBooleanValue, s_tNumberDoubleValue, s_tObjectToString, s_tVokJSObjectCtor;
    static jfieldID s_tVokJSObjectHandle;
    static constexpr int knThreadGroups = 100;
    static jobject s_ptThreadGroups[knThreadGroups];
    static std::atomic<unsigned long> s_liCurrentThreadGroupIndex;
    static bool s_bAppletsNotSupportedUseAjax;
};

// Around every call from C++ into Java: a local frame that the call's references live in (threads attached for
// good never return to Java, so nothing else would free them), and the exception it may leave, logged and cleared.
class KxwDomJavaCall {
public:
    KxwDomJavaCall(JNIEnv* mptEnv, const char* mpszWhat);
    ~KxwDomJavaCall();
    KxwDomJavaCall(const KxwDomJavaCall&) = delete;
    KxwDomJavaCall& operator=(const KxwDomJavaCall&) = delete;

    JNIEnv* Env() const { return _ptEnv; }
    bool IsOK() const { return _bFrame; }
    // True when no exception is pending; otherwise it is logged with what was being done, and cleared.
    bool Check();
    // Calls into Java in progress on this thread (a call back into the page may nest another).
    static int Depth();

private:
    JNIEnv* _ptEnv;
    const char* _pszWhat;
    bool _bFrame;
};

// Java strings to and from the library's UTF-16 and UTF-8; null stays empty (check for null first where it matters).
std::u16string xfdsKxwDomJavaU16(JNIEnv* mptEnv, jstring mtString);
std::string xfdsKxwDomJavaUtf8(JNIEnv* mptEnv, jstring mtString);
jstring xftKxwDomJavaNewString(JNIEnv* mptEnv, const std::u16string& mrdsText);
jstring xftKxwDomJavaNewStringUtf8(JNIEnv* mptEnv, const std::string& mrdsText);
// The pending exception's text (class and message), cleared; empty when none is pending.
std::string xfdsKxwDomJavaTakeException(JNIEnv* mptEnv);
// How much the Java side logs, from the severities the host lets through: 3 (detailed) when severity 1 is, 2 when
// severity 2 is, 1 (errors only) when severity 3 is, else 0.
int xfiKxwDomJavaLogLevel();
// Binds the bridge's native methods to their Java classes (KxwDomJavaNatives.cpp); false, reported, on failure.
bool xfbKxwDomJavaRegisterNatives(JNIEnv* mptEnv);
