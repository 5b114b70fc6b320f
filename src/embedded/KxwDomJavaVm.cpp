#include "KxwDomJavaVm.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "KxwUtilReport.h"
#include "KxwUtilUtf.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwiRunTimeSettings.h"

extern KxwEnvCfg xtKxwEnvCfg;

JavaVM* KxwDomJavaVm::s_ptJVM = nullptr;
jclass KxwDomJavaVm::s_tVokVuserMgrCls = nullptr;
jmethodID KxwDomJavaVm::s_tVokVuserMgrCtor = nullptr;
jmethodID KxwDomJavaVm::s_tUnloadClasses = nullptr;
jmethodID KxwDomJavaVm::s_tStopAppletThreads = nullptr;
jmethodID KxwDomJavaVm::s_DispatchAwaitingMethodInvocations = nullptr;
jclass KxwDomJavaVm::s_tVokAppletMgrCls = nullptr;
jmethodID KxwDomJavaVm::s_tVokAppletMgrCtor = nullptr;
jmethodID KxwDomJavaVm::s_tGetMethodOrFieldReturnType = nullptr;
jmethodID KxwDomJavaVm::s_tCallAppletMethod = nullptr;
jmethodID KxwDomJavaVm::s_tGetAppletProperty = nullptr;
jmethodID KxwDomJavaVm::s_tSetAppletProperty = nullptr;
jmethodID KxwDomJavaVm::s_tLoadJarArchive = nullptr;
jmethodID KxwDomJavaVm::s_tLoadExtraClass = nullptr;
jmethodID KxwDomJavaVm::s_tStart = nullptr;
jmethodID KxwDomJavaVm::s_tStop = nullptr;
jclass KxwDomJavaVm::s_tBooleanCls = nullptr;
jclass KxwDomJavaVm::s_tIntegerCls = nullptr;
jclass KxwDomJavaVm::s_tDoubleCls = nullptr;
jclass KxwDomJavaVm::s_tObjectCls = nullptr;
jclass KxwDomJavaVm::s_tStringCls = nullptr;
jclass KxwDomJavaVm::s_tNumberCls = nullptr;
jclass KxwDomJavaVm::s_tCharacterCls = nullptr;
jclass KxwDomJavaVm::s_tVokJSObjectCls = nullptr;
jclass KxwDomJavaVm::s_tJSExceptionCls = nullptr;
jclass KxwDomJavaVm::s_tThrowableCls = nullptr;
jmethodID KxwDomJavaVm::s_tBooleanCtor = nullptr;
jmethodID KxwDomJavaVm::s_tIntegerCtor = nullptr;
jmethodID KxwDomJavaVm::s_tDoubleCtor = nullptr;
jmethodID KxwDomJavaVm::s_tBooleanValue = nullptr;
jmethodID KxwDomJavaVm::s_tNumberDoubleValue = nullptr;
jmethodID KxwDomJavaVm::s_tObjectToString = nullptr;
jmethodID KxwDomJavaVm::s_tVokJSObjectCtor = nullptr;
jfieldID KxwDomJavaVm::s_tVokJSObjectHandle = nullptr;
jobject KxwDomJavaVm::s_ptThreadGroups[KxwDomJavaVm::knThreadGroups] = {};
std::atomic<unsigned long> KxwDomJavaVm::s_liCurrentThreadGroupIndex{0};
bool KxwDomJavaVm::s_bAppletsNotSupportedUseAjax = false;

namespace {

using CreateJavaVmFunc = jint (*)(JavaVM**, void**, void*);
using GetCreatedJavaVmsFunc = jint (*)(JavaVM**, jsize, jsize*);

void* gpvJvmLibrary = nullptr;
// The threads the bridge attached (the others, the VM's creator or a host's, are not detached by it).
thread_local bool gtbAttachedHere = false;
thread_local int gtiCallDepth = 0;

// Failures of the global initialisation go to the engine's error callback, as the other failures of the library's
// start do.
void ReportInitFailure(const std::string& mdsText) {
    if (xtKxwEnvCfg._pfvMessage)
        xtKxwEnvCfg._pfvMessage(0x12, 0, "xfiKxwObjMgrGlobalInit", __LINE__, "", 0, -26000, "%s", mdsText.c_str());
    else
        xfvKxwUtilReportInternalError("%s", mdsText.c_str());
}

std::string Printf3000(const char* mpszFormat, const std::string& mdsPath) {
    std::vector<char> tBuffer(mdsPath.size() + 512);
    snprintf(tBuffer.data(), tBuffer.size(), mpszFormat, mdsPath.c_str());
    return tBuffer.data();
}

bool IsFile(const std::string& mdsPath) {
    struct stat tStat;
    return !mdsPath.empty() && stat(mdsPath.c_str(), &tStat) == 0 && S_ISREG(tStat.st_mode);
}

// The folder of the library itself (of the program, for a static link).
std::string OwnFolder() {
    Dl_info tInfo;
    if (!dladdr(reinterpret_cast<void*>(&KxwDomJavaVm::GlobalInit), &tInfo) || !tInfo.dli_fname) return ".";
    std::string dsPath = tInfo.dli_fname;
    size_t nSlash = dsPath.rfind('/');
    return nSlash == std::string::npos ? "." : dsPath.substr(0, nSlash);
}

// The bridge's archives: beside the library, or in the library folder next to the program's.
std::string BridgeFolder() {
    std::string dsOwn = OwnFolder();
    for (const std::string& rdsCandidate : {dsOwn + "/java", dsOwn + "/../lib/java"})
        if (IsFile(rdsCandidate + "/VokApplet.jar")) return rdsCandidate;
    return dsOwn + "/java";
}

std::string JvmLibraryPath(const KxwiRunTimeSettings& mrtRTS) {
    if (*mrtRTS.GetJavaVmLibrary()) return mrtRTS.GetJavaVmLibrary();
    if (const char* pszHome = getenv("JAVA_HOME"); pszHome && *pszHome) {
        std::string dsPath = std::string(pszHome) + "/lib/server/libjvm.so";
        if (IsFile(dsPath)) return dsPath;
    }
#ifdef KXW_JVM_BUILD_PATH
    return KXW_JVM_BUILD_PATH;
#else
    return "libjvm.so";
#endif
}

// The Java version of the VM library at mdsLibrary (lib/server/libjvm.so), from its installation's "release" file;
// 0 when that cannot be read.
int JavaVersionOf(const std::string& mdsLibrary) {
    size_t nLib = mdsLibrary.rfind("/lib/");
    if (nLib == std::string::npos) return 0;
    std::FILE* ptFile = std::fopen((mdsLibrary.substr(0, nLib) + "/release").c_str(), "r");
    if (!ptFile) return 0;
    char acLine[512];
    int iVersion = 0;
    while (iVersion == 0 && std::fgets(acLine, sizeof acLine, ptFile)) {
        const char* pszValue = std::strncmp(acLine, "JAVA_VERSION=\"", 14) == 0 ? acLine + 14 : nullptr;
        // "1.8.0_x" is Java 8; "17.0.15" is Java 17.
        if (pszValue) iVersion = std::strncmp(pszValue, "1.", 2) == 0 ? std::atoi(pszValue + 2) : std::atoi(pszValue);
    }
    std::fclose(ptFile);
    return iVersion;
}

jclass GlobalClass(JNIEnv* mptEnv, const char* mpszName) {
    jclass tLocal = mptEnv->FindClass(mpszName);
    if (!tLocal) {
        std::string dsWhy = xfdsKxwDomJavaTakeException(mptEnv);
        ReportInitFailure("The applet bridge could not find the Java class \"" + std::string(mpszName) + "\" (" +
                          dsWhy + ") in xfiKxwObjMgrGlobalInit");
        return nullptr;
    }
    auto tGlobal = static_cast<jclass>(mptEnv->NewGlobalRef(tLocal));
    mptEnv->DeleteLocalRef(tLocal);
    return tGlobal;
}

jmethodID Method(JNIEnv* mptEnv, jclass mtClass, const char* mpszName, const char* mpszSignature, bool mbStatic,
                 bool& mrbOK) {
    if (!mtClass || !mrbOK) {
        mrbOK = false;
        return nullptr;
    }
    jmethodID tMethod = mbStatic ? mptEnv->GetStaticMethodID(mtClass, mpszName, mpszSignature)
                                 : mptEnv->GetMethodID(mtClass, mpszName, mpszSignature);
    if (!tMethod) {
        xfdsKxwDomJavaTakeException(mptEnv);
        ReportInitFailure("The applet bridge could not find the Java method " + std::string(mpszName) +
                          std::string(mpszSignature) + " in xfiKxwObjMgrGlobalInit");
        mrbOK = false;
    }
    return tMethod;
}

bool LookUpClassesAndMethods(JNIEnv* mptEnv) {
    using V = KxwDomJavaVm;
    bool bOK = true;
    V::s_tVokVuserMgrCls = GlobalClass(mptEnv, "VokVuserMgr");
    V::s_tVokAppletMgrCls = GlobalClass(mptEnv, "VokAppletMgr");
    V::s_tVokJSObjectCls = GlobalClass(mptEnv, "VokJSObject");
    V::s_tBooleanCls = GlobalClass(mptEnv, "java/lang/Boolean");
    V::s_tIntegerCls = GlobalClass(mptEnv, "java/lang/Integer");
    V::s_tDoubleCls = GlobalClass(mptEnv, "java/lang/Double");
    V::s_tObjectCls = GlobalClass(mptEnv, "java/lang/Object");
    V::s_tStringCls = GlobalClass(mptEnv, "java/lang/String");
    V::s_tNumberCls = GlobalClass(mptEnv, "java/lang/Number");
    V::s_tCharacterCls = GlobalClass(mptEnv, "java/lang/Character");
    V::s_tThrowableCls = GlobalClass(mptEnv, "java/lang/Throwable");
    V::s_tJSExceptionCls = GlobalClass(mptEnv, "netscape/javascript/JSException");
    V::s_tVokVuserMgrCtor = Method(mptEnv, V::s_tVokVuserMgrCls, "<init>", "()V", false, bOK);
    V::s_tUnloadClasses = Method(mptEnv, V::s_tVokVuserMgrCls, "UnloadClasses", "()V", false, bOK);
    V::s_tStopAppletThreads = Method(mptEnv, V::s_tVokVuserMgrCls, "StopAppletThreads", "()V", false, bOK);
    V::s_DispatchAwaitingMethodInvocations =
        Method(mptEnv, V::s_tVokVuserMgrCls, "DispatchAwaitingMethodInvocations", "()Z", false, bOK);
    V::s_tVokAppletMgrCtor = Method(mptEnv, V::s_tVokAppletMgrCls, "<init>", "(Ljava/lang/Object;J)V", false, bOK);
    V::s_tGetMethodOrFieldReturnType = Method(mptEnv, V::s_tVokAppletMgrCls, "GetMethodOrFieldReturnType",
                                              "(Ljava/lang/String;)Ljava/lang/String;", false, bOK);
    V::s_tCallAppletMethod = Method(mptEnv, V::s_tVokAppletMgrCls, "CallAppletMethod",
                                    "(Ljava/lang/String;[Ljava/lang/Object;)Ljava/lang/String;", false, bOK);
    V::s_tGetAppletProperty = Method(mptEnv, V::s_tVokAppletMgrCls, "GetAppletProperty",
                                     "(Ljava/lang/String;)Ljava/lang/String;", false, bOK);
    V::s_tSetAppletProperty = Method(mptEnv, V::s_tVokAppletMgrCls, "SetAppletProperty",
                                     "(Ljava/lang/String;Ljava/lang/Object;)Z", false, bOK);
    V::s_tLoadJarArchive =
        Method(mptEnv, V::s_tVokAppletMgrCls, "LoadJarArchive", "(Ljava/lang/String;[B)Ljava/lang/String;", false, bOK);
    V::s_tLoadExtraClass =
        Method(mptEnv, V::s_tVokAppletMgrCls, "LoadExtraClass", "([B)Ljava/lang/String;", false, bOK);
    V::s_tStart = Method(mptEnv, V::s_tVokAppletMgrCls, "Start", "(Ljava/lang/String;)Ljava/lang/String;", false, bOK);
    V::s_tStop = Method(mptEnv, V::s_tVokAppletMgrCls, "Stop", "()Ljava/lang/String;", false, bOK);
    V::s_tBooleanCtor = Method(mptEnv, V::s_tBooleanCls, "<init>", "(Z)V", false, bOK);
    V::s_tIntegerCtor = Method(mptEnv, V::s_tIntegerCls, "<init>", "(I)V", false, bOK);
    V::s_tDoubleCtor = Method(mptEnv, V::s_tDoubleCls, "<init>", "(D)V", false, bOK);
    V::s_tBooleanValue = Method(mptEnv, V::s_tBooleanCls, "booleanValue", "()Z", false, bOK);
    V::s_tNumberDoubleValue = Method(mptEnv, V::s_tNumberCls, "doubleValue", "()D", false, bOK);
    V::s_tObjectToString = Method(mptEnv, V::s_tObjectCls, "toString", "()Ljava/lang/String;", false, bOK);
    V::s_tVokJSObjectCtor = Method(mptEnv, V::s_tVokJSObjectCls, "<init>", "(J)V", false, bOK);
    if (bOK && V::s_tVokJSObjectCls) {
        V::s_tVokJSObjectHandle = mptEnv->GetFieldID(V::s_tVokJSObjectCls, "handle", "J");
        if (!V::s_tVokJSObjectHandle) {
            xfdsKxwDomJavaTakeException(mptEnv);
            ReportInitFailure(
                "The applet bridge could not find the field VokJSObject.handle in xfiKxwObjMgrGlobalInit");
            bOK = false;
        }
    }
    return bOK && V::s_tJSExceptionCls && V::s_tCharacterCls && V::s_tStringCls && V::s_tThrowableCls;
}

bool MakeThreadGroups(JNIEnv* mptEnv) {
    jclass tGroupCls = mptEnv->FindClass("java/lang/ThreadGroup");
    jmethodID tCtor = tGroupCls ? mptEnv->GetMethodID(tGroupCls, "<init>", "(Ljava/lang/String;)V") : nullptr;
    if (!tCtor) {
        xfdsKxwDomJavaTakeException(mptEnv);
        return false;
    }
    for (int n = 0; n < KxwDomJavaVm::knThreadGroups; ++n) {
        KxwDomJavaCall tCall(mptEnv, "new ThreadGroup");
        jstring tName = xftKxwDomJavaNewStringUtf8(mptEnv, "VokThreadGroup:" + std::to_string(n));
        jobject tGroup = tName ? mptEnv->NewObject(tGroupCls, tCtor, tName) : nullptr;
        if (!tCall.Check() || !tGroup) return false;
        KxwDomJavaVm::s_ptThreadGroups[n] = mptEnv->NewGlobalRef(tGroup);
    }
    mptEnv->DeleteLocalRef(tGroupCls);
    return true;
}

// A VM already in the process (a host that runs Java itself): a process can make only one.
// The host may have loaded the VM library privately (RTLD_LOCAL): it is then asked through that library itself.
JavaVM* ExistingVm(const std::string& mdsLibrary) {
    auto pfGetCreated = reinterpret_cast<GetCreatedJavaVmsFunc>(dlsym(RTLD_DEFAULT, "JNI_GetCreatedJavaVMs"));
    if (!pfGetCreated) {
        if (void* pvLoaded = dlopen(mdsLibrary.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            pfGetCreated = reinterpret_cast<GetCreatedJavaVmsFunc>(dlsym(pvLoaded, "JNI_GetCreatedJavaVMs"));
            // The library stays loaded: it holds a VM.
        }
    }
    JavaVM* ptVm = nullptr;
    jsize nCount = 0;
    if (pfGetCreated && pfGetCreated(&ptVm, 1, &nCount) == JNI_OK && nCount > 0) return ptVm;
    return nullptr;
}

}  // namespace

bool KxwDomJavaVm::GlobalInit(const KxwiRunTimeSettings& mrtRTS) {
    if (!mrtRTS.GetJavaAppletsEnabled() || s_ptJVM) return true;
    if (!mrtRTS.GetJavaBuiltinRuntime()) {
        s_bAppletsNotSupportedUseAjax = true;
        return true;
    }
    std::string dsLibrary = JvmLibraryPath(mrtRTS);
    JavaVM* ptVm = ExistingVm(dsLibrary);
    JNIEnv* ptEnv = nullptr;
    if (ptVm) {
        if (ptVm->AttachCurrentThread(reinterpret_cast<void**>(&ptEnv), nullptr) != JNI_OK) ptVm = nullptr;
    } else {
        // Applets run only behind a security manager, which Java 17 to 23 have and later VMs refuse at their start
        // by ending the process: such a VM is not even loaded.
        int iJavaVersion = JavaVersionOf(dsLibrary);
        if (iJavaVersion != 0 && (iJavaVersion < 17 || iJavaVersion > 23)) {
            ReportInitFailure(Printf3000("xfiKxwObjMgrGlobalInit failed to load JVM library at \"%.3000s\"", dsLibrary));
            xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                     "The Java VM is Java %d: applets need Java 17 to 23, whose security manager keeps "
                                     "their code from the machine",
                                     iJavaVersion);
            return false;
        }
        gpvJvmLibrary = dlopen(dsLibrary.c_str(), RTLD_NOW | RTLD_GLOBAL);
        if (!gpvJvmLibrary) {
            const char* pszWhy = dlerror();
            ReportInitFailure(
                Printf3000("xfiKxwObjMgrGlobalInit failed to load JVM library at \"%.3000s\"", dsLibrary));
            if (pszWhy) xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING, "Loading the Java VM: %.2000s", pszWhy);
            return false;
        }
        auto pfCreate = reinterpret_cast<CreateJavaVmFunc>(dlsym(gpvJvmLibrary, "JNI_CreateJavaVM"));
        if (!pfCreate) {
            ReportInitFailure(
                Printf3000("xfiKxwObjMgrGlobalInit failed to GetProcAddress of \"JNI_CreateJavaVM\" for JVM library at "
                           "\"%.3000s\"",
                           dsLibrary));
            dlclose(gpvJvmLibrary);
            gpvJvmLibrary = nullptr;
            return false;
        }
        std::string dsBridge = BridgeFolder();
        std::vector<std::string> tOptions = {
            "-Djava.class.path=" + dsBridge + "/VokApplet.jar",
            "--patch-module=java.desktop=" + dsBridge + "/VokAppletDesktop.jar",
            "--patch-module=jdk.jsobject=" + dsBridge + "/VokAppletJSObject.jar",
            "-Xmx256M",
            // The host keeps its own handling of SIGINT, SIGTERM, SIGHUP and SIGQUIT.
            "-Xrs",
            "-Djava.awt.headless=true",
            "-Djava.security.manager=allow",
        };
        if (mrtRTS.GetJavaDebugLevel() > 0) tOptions.push_back("-Xdebug");
        std::vector<JavaVMOption> tVmOptions(tOptions.size());
        for (size_t n = 0; n < tOptions.size(); ++n) {
            tVmOptions[n].optionString = const_cast<char*>(tOptions[n].c_str());
            tVmOptions[n].extraInfo = nullptr;
        }
        JavaVMInitArgs tArgs;
        tArgs.version = JNI_VERSION_1_8;
        tArgs.nOptions = static_cast<jint>(tVmOptions.size());
        tArgs.options = tVmOptions.data();
        tArgs.ignoreUnrecognized = JNI_FALSE;
        if (!IsFile(dsBridge + "/VokApplet.jar") ||
            pfCreate(&ptVm, reinterpret_cast<void**>(&ptEnv), &tArgs) != JNI_OK) {
            ReportInitFailure(
                Printf3000("xfiKxwObjMgrGlobalInit failed to createVM for JVM library at \"%.3000s\"", dsLibrary));
            if (!IsFile(dsBridge + "/VokApplet.jar"))
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                         "The applet bridge's archive is missing: %.2000s",
                                         (dsBridge + "/VokApplet.jar").c_str());
            // A VM that failed to start cannot be made again in this process: the library stays loaded.
            return false;
        }
    }
    if (!ptVm || !ptEnv) {
        ReportInitFailure(
            Printf3000("xfiKxwObjMgrGlobalInit failed to createVM for JVM library at \"%.3000s\"", dsLibrary));
        return false;
    }
    if (!LookUpClassesAndMethods(ptEnv) || !MakeThreadGroups(ptEnv) || !xfbKxwDomJavaRegisterNatives(ptEnv))
        return false;
    jmethodID tGlobalInit = ptEnv->GetStaticMethodID(s_tVokVuserMgrCls, "GlobalInit", "(ZZI)V");
    if (!tGlobalInit) {
        xfdsKxwDomJavaTakeException(ptEnv);
        ReportInitFailure("The applet bridge could not find VokVuserMgr.GlobalInit in xfiKxwObjMgrGlobalInit");
        return false;
    }
    {
        // Installing the applets' protection makes the VM print, on the process's standard error, four lines about
        // the security manager's deprecation that tell the host's user nothing; the start is single-threaded, so
        // the error stream is set aside for that call only.
        int iSavedErr = dup(STDERR_FILENO);
        int iNull = open("/dev/null", O_WRONLY);
        if (iSavedErr >= 0 && iNull >= 0) dup2(iNull, STDERR_FILENO);
        KxwDomJavaCall tCall(ptEnv, "VokVuserMgr.GlobalInit");
        ptEnv->CallStaticVoidMethod(s_tVokVuserMgrCls, tGlobalInit,
                                    mrtRTS.GetJavaGlobalInitSwitch1() ? JNI_TRUE : JNI_FALSE,
                                    mrtRTS.GetJavaGlobalInitSwitch2() ? JNI_TRUE : JNI_FALSE,
                                    static_cast<jint>(mrtRTS.GetJavaGlobalInitNumber()));
        if (iSavedErr >= 0 && iNull >= 0) dup2(iSavedErr, STDERR_FILENO);
        if (iSavedErr >= 0) close(iSavedErr);
        if (iNull >= 0) close(iNull);
        if (!tCall.Check()) return false;
    }
    s_ptJVM = ptVm;
    return true;
}

void KxwDomJavaVm::GlobalDestroy() {
    if (!s_ptJVM) return;
    JNIEnv* ptEnv = GetEnv();
    if (ptEnv) {
        jmethodID tGlobalEnd = ptEnv->GetStaticMethodID(s_tVokVuserMgrCls, "GlobalEnd", "()V");
        KxwDomJavaCall tCall(ptEnv, "VokVuserMgr.GlobalEnd");
        if (tGlobalEnd) ptEnv->CallStaticVoidMethod(s_tVokVuserMgrCls, tGlobalEnd);
        tCall.Check();
    }
    // The VM stays: a process can create only one, and threads an applet left would keep DestroyJavaVM waiting.
    // Later virtual users find applets inert.
    s_ptJVM = nullptr;
}

JNIEnv* KxwDomJavaVm::GetEnv() {
    if (!s_ptJVM) return nullptr;
    JNIEnv* ptEnv = nullptr;
    jint iStatus = s_ptJVM->GetEnv(reinterpret_cast<void**>(&ptEnv), JNI_VERSION_1_8);
    if (iStatus == JNI_OK) return ptEnv;
    if (iStatus != JNI_EDETACHED) return nullptr;
    // The groups are taken in turn; the 101st virtual user shares the first one's.
    unsigned long ulIndex = s_liCurrentThreadGroupIndex.fetch_add(1) % knThreadGroups;
    std::string dsName = "KxwVUser-" + std::to_string(ulIndex);
    JavaVMAttachArgs tArgs;
    tArgs.version = JNI_VERSION_1_8;
    tArgs.name = const_cast<char*>(dsName.c_str());
    tArgs.group = s_ptThreadGroups[ulIndex];
    if (s_ptJVM->AttachCurrentThread(reinterpret_cast<void**>(&ptEnv), &tArgs) != JNI_OK) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "AttachCurrentThread failed in KxwDomJavaVm::GetEnv");
        return nullptr;
    }
    gtbAttachedHere = true;
    return ptEnv;
}

void KxwDomJavaVm::DetachCurrentThread() {
    if (!s_ptJVM || !gtbAttachedHere) return;
    gtbAttachedHere = false;
    s_ptJVM->DetachCurrentThread();
}

// ---------------------------------------------------------------------------------------------------------------
// Calls into Java

KxwDomJavaCall::KxwDomJavaCall(JNIEnv* mptEnv, const char* mpszWhat)
    : _ptEnv(mptEnv), _pszWhat(mpszWhat), _bFrame(mptEnv && mptEnv->PushLocalFrame(32) == JNI_OK) {
    if (!_bFrame && mptEnv) xfdsKxwDomJavaTakeException(mptEnv);
    ++gtiCallDepth;
}

KxwDomJavaCall::~KxwDomJavaCall() {
    --gtiCallDepth;
    if (!_ptEnv) return;
    Check();
    if (_bFrame) _ptEnv->PopLocalFrame(nullptr);
}

bool KxwDomJavaCall::Check() {
    if (!_ptEnv || !_ptEnv->ExceptionCheck()) return true;
    std::string dsWhy = xfdsKxwDomJavaTakeException(_ptEnv);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "Java exception in %s: %.2000s", _pszWhat,
                             dsWhy.c_str());
    return false;
}

int KxwDomJavaCall::Depth() {
    return gtiCallDepth;
}

int xfiKxwDomJavaLogLevel() {
    if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_SNAPSHOT_ERROR)) return 3;
    if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_NOTICE)) return 2;
    if (xfbKxwUtilIsSevLvlEnabled(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE)) return 1;
    return 0;
}

// ---------------------------------------------------------------------------------------------------------------
// Strings

std::u16string xfdsKxwDomJavaU16(JNIEnv* mptEnv, jstring mtString) {
    if (!mtString) return std::u16string();
    jsize nLen = mptEnv->GetStringLength(mtString);
    std::u16string dsText(static_cast<size_t>(nLen), u'\0');
    if (nLen > 0) mptEnv->GetStringRegion(mtString, 0, nLen, reinterpret_cast<jchar*>(&dsText[0]));
    return dsText;
}

std::string xfdsKxwDomJavaUtf8(JNIEnv* mptEnv, jstring mtString) {
    std::u16string dsText = xfdsKxwDomJavaU16(mptEnv, mtString);
    return xfdsKxwUtilU16ToUtf8(dsText.data(), dsText.size(), true);
}

jstring xftKxwDomJavaNewString(JNIEnv* mptEnv, const std::u16string& mrdsText) {
    return mptEnv->NewString(reinterpret_cast<const jchar*>(mrdsText.data()), static_cast<jsize>(mrdsText.size()));
}

jstring xftKxwDomJavaNewStringUtf8(JNIEnv* mptEnv, const std::string& mrdsText) {
    return xftKxwDomJavaNewString(mptEnv, xfdsKxwUtilUtf8ToU16(mrdsText.data(), mrdsText.size()));
}

std::string xfdsKxwDomJavaTakeException(JNIEnv* mptEnv) {
    jthrowable tThrown = mptEnv->ExceptionOccurred();
    if (!tThrown) return std::string();
    mptEnv->ExceptionClear();
    std::string dsText = "a Java exception";
    if (KxwDomJavaVm::s_tObjectToString) {
        auto tText = static_cast<jstring>(mptEnv->CallObjectMethod(tThrown, KxwDomJavaVm::s_tObjectToString));
        if (mptEnv->ExceptionCheck()) mptEnv->ExceptionClear();
        if (tText) {
            dsText = xfdsKxwDomJavaUtf8(mptEnv, tText);
            mptEnv->DeleteLocalRef(tText);
        }
    }
    mptEnv->DeleteLocalRef(tThrown);
    return dsText;
}
