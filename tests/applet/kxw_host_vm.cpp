// A host program that runs Java itself and starts the library afterwards, with applets on: the library takes the
// process's VM (a process can make only one) instead of failing to make a second, and a virtual user's thread is
// attached to it.
//
//   kxw_host_vm LIBJVM BRIDGE_DIR
//
// Exit status 0 when the library started on the host's VM, 1 otherwise (with the reason).
#include <dlfcn.h>
#include <jni.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

int Fail(const char* mpszWhy) {
    std::printf("FAIL: %s\n", mpszWhy);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: kxw_host_vm LIBJVM BRIDGE_DIR");
    // Loaded privately, as a host that keeps its libraries to itself would.
    void* pvJvm = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!pvJvm) return Fail(dlerror());
    using CreateFunc = jint (*)(JavaVM**, void**, void*);
    using CreatedFunc = jint (*)(JavaVM**, jsize, jsize*);
    auto pfCreate = reinterpret_cast<CreateFunc>(dlsym(pvJvm, "JNI_CreateJavaVM"));
    auto pfCreated = reinterpret_cast<CreatedFunc>(dlsym(pvJvm, "JNI_GetCreatedJavaVMs"));
    if (!pfCreate || !pfCreated) return Fail("the VM library has no JNI_CreateJavaVM");
    std::string dsBridge = argv[2];
    std::vector<std::string> tOptions = {"-Djava.class.path=" + dsBridge + "/VokApplet.jar",
                                         "--patch-module=java.desktop=" + dsBridge + "/VokAppletDesktop.jar",
                                         "--patch-module=jdk.jsobject=" + dsBridge + "/VokAppletJSObject.jar",
                                         "-Xrs",
                                         "-Djava.awt.headless=true",
                                         "-Djava.security.manager=allow"};
    std::vector<JavaVMOption> tVmOptions;
    for (std::string& rdsOption : tOptions) tVmOptions.push_back(JavaVMOption{&rdsOption[0], nullptr});
    JavaVMInitArgs tArgs{JNI_VERSION_1_8, static_cast<jint>(tVmOptions.size()), tVmOptions.data(), JNI_FALSE};
    JavaVM* ptHostVm = nullptr;
    JNIEnv* ptEnv = nullptr;
    if (pfCreate(&ptHostVm, reinterpret_cast<void**>(&ptEnv), &tArgs) != JNI_OK)
        return Fail("the host's VM did not start");

    KxwiRunTimeSettings tRTS;
    tRTS.SetJavaAppletsEnabled(true);
    tRTS.SetJavaVmLibrary(argv[1]);
    KxwEnvCfg tEnvCfg;
    tEnvCfg._ptInitialRTS = &tRTS;
    if (xfiKxwObjMgrGlobalInit(&tEnvCfg) != 0) return Fail("the library did not start on the host's VM");
    JavaVM* ptVms[2] = {};
    jsize nVms = 0;
    if (pfCreated(ptVms, 2, &nVms) != JNI_OK || nVms != 1 || ptVms[0] != ptHostVm)
        return Fail("the process does not have exactly the host's VM");
    {
        // A virtual user on this thread gets its Java side from the host's VM.
        KxwVUserVars tVUserVars(1);
        tVUserVars.GetRTS() = tRTS;
        KxwVUserVarsThreadBinding tBinding(&tVUserVars);
        KxwObjMgr tObjMgr(&tVUserVars);
        if (!tObjMgr.GetVuserJavaObject()) return Fail("the virtual user has no Java side");
    }
    xfvKxwObjMgrGlobalTerm();
    std::printf("the library runs applets on the host's VM\n");
    return 0;
}
