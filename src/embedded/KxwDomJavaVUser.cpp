#include "KxwDomJavaVUser.h"

#include <algorithm>
#include <new>

#include "KxwDomHtmlElementApplet.h"
#include "KxwDomJavaHandles.h"
#include "KxwDomJavaVm.h"
#include "KxwUtilReport.h"

namespace {

// What one virtual user's applets may hold of the page at once; a leaking applet meets a report, not the memory's
// end.
constexpr size_t knMaxScriptObjects = 10000;

jobject Ref(void* mpvRef) {
    return static_cast<jobject>(mpvRef);
}

}  // namespace

KxwDomJavaVUser* KxwDomJavaVUser::Create() {
    JNIEnv* ptEnv = KxwDomJavaVm::GetEnv();
    if (!ptEnv) return nullptr;
    KxwDomJavaCall tCall(ptEnv, "new VokVuserMgr");
    jobject tMgr = ptEnv->NewObject(KxwDomJavaVm::s_tVokVuserMgrCls, KxwDomJavaVm::s_tVokVuserMgrCtor);
    if (!tCall.Check() || !tMgr) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "NewObject(s_tVokVuserMgrCls) returned NULL in "
                                              "KxwDomHtmlElementApplet::VuserInit");
        return nullptr;
    }
    auto* ptVUser = new (std::nothrow) KxwDomJavaVUser();
    if (!ptVUser) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomJavaVUser)), "KxwDomJavaVUser");
    ptVUser->_pvVuserMgr = ptEnv->NewGlobalRef(tMgr);
    return ptVUser;
}

KxwDomJavaVUser::~KxwDomJavaVUser() {
    IterationReset(true);
    if (JNIEnv* ptEnv = KxwDomJavaVm::GetEnv()) {
        for (void* pvStop : _tStops) ptEnv->DeleteGlobalRef(Ref(pvStop));
        if (_pvVuserMgr) ptEnv->DeleteGlobalRef(Ref(_pvVuserMgr));
    }
    _tStops.clear();
    _pvVuserMgr = nullptr;
    KxwDomJavaVm::DetachCurrentThread();
}

void KxwDomJavaVUser::IterationReset(bool mbFull) {
    // The applets whose elements went are stopped first, then the threads they left, then their classes.
    Service();
    JNIEnv* ptEnv = KxwDomJavaVm::GetEnv();
    if (ptEnv && _pvVuserMgr) {
        KxwDomJavaCall tCall(ptEnv, mbFull ? "VokVuserMgr.UnloadClasses" : "VokVuserMgr.StopAppletThreads");
        ptEnv->CallVoidMethod(Ref(_pvVuserMgr),
                              mbFull ? KxwDomJavaVm::s_tUnloadClasses : KxwDomJavaVm::s_tStopAppletThreads);
    }
    _tStarts.clear();
    ReleaseScriptObjects();
}

void KxwDomJavaVUser::QueueStart(uint64_t muAppletHandle) {
    if (std::find(_tStarts.begin(), _tStarts.end(), muAppletHandle) == _tStarts.end())
        _tStarts.push_back(muAppletHandle);
}

void KxwDomJavaVUser::QueueStop(void* mpvAppletMgr) {
    if (mpvAppletMgr) _tStops.push_back(mpvAppletMgr);
}

void KxwDomJavaVUser::Service() {
    if (!_bAppletsMade || _bServicing || KxwDomJavaCall::Depth() > 0) return;
    JNIEnv* ptEnv = KxwDomJavaVm::GetEnv();
    if (!ptEnv) return;
    _bServicing = true;
    // Stopping an applet runs its stop() and destroy(): they may call back, and find their element gone.
    while (!_tStops.empty()) {
        void* pvStop = _tStops.front();
        _tStops.erase(_tStops.begin());
        {
            KxwDomJavaCall tCall(ptEnv, "VokAppletMgr.Stop");
            auto tResult = static_cast<jstring>(ptEnv->CallObjectMethod(Ref(pvStop), KxwDomJavaVm::s_tStop));
            if (tCall.Check() && tResult)
                xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_INFORMATIVE, "Applet Stop returned : %.2000s",
                                         xfdsKxwDomJavaUtf8(ptEnv, tResult).c_str());
        }
        ptEnv->DeleteGlobalRef(Ref(pvStop));
    }
    // Each start may queue more (an applet whose archives are still on their way goes back on the list).
    std::vector<uint64_t> tStarts;
    tStarts.swap(_tStarts);
    for (uint64_t uHandle : tStarts)
        if (auto* ptApplet =
                static_cast<KxwDomHtmlElementApplet*>(KxwDomJavaHandles::Find(uHandle, KxwDomJavaHandleKind::kApplet)))
            ptApplet->InitializeApplet();
    if (_pvVuserMgr) {
        KxwDomJavaCall tCall(ptEnv, "VokVuserMgr.DispatchAwaitingMethodInvocations");
        ptEnv->CallBooleanMethod(Ref(_pvVuserMgr), KxwDomJavaVm::s_DispatchAwaitingMethodInvocations);
    }
    _bServicing = false;
}

uint64_t KxwDomJavaVUser::HandleOfScriptObject(const KxwJsval& mrtObject) {
    if (!mrtObject.IsObject()) return 0;
    JSObject* ptObject = mrtObject.GetRawObject();
    for (const ScriptObject& rtHeld : _tScriptObjects)
        if (rtHeld._ptValue->Get().GetRawObject() == ptObject) return rtHeld._uHandle;
    if (_tScriptObjects.size() >= knMaxScriptObjects) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING,
                                 "The virtual user's applets hold %zu objects of the page: no more are handed to "
                                 "Java",
                                 _tScriptObjects.size());
        return 0;
    }
    ScriptObject tHeld;
    tHeld._ptValue = std::make_unique<KxwJsvalProt>(mrtObject);
    tHeld._uHandle = KxwDomJavaHandles::Register(KxwDomJavaHandleKind::kScriptObject, tHeld._ptValue.get(), this);
    _tScriptObjects.push_back(std::move(tHeld));
    return _tScriptObjects.back()._uHandle;
}

bool KxwDomJavaVUser::ScriptObjectOf(uint64_t muHandle, KxwJsval& mrtObject) const {
    auto* ptValue = static_cast<KxwJsvalProt*>(KxwDomJavaHandles::Find(muHandle, KxwDomJavaHandleKind::kScriptObject));
    if (!ptValue) {
        mrtObject.SetUndefined();
        return false;
    }
    mrtObject = ptValue->Get();
    return true;
}

void KxwDomJavaVUser::ReleaseScriptObject(uint64_t muHandle) {
    auto it = std::find_if(_tScriptObjects.begin(), _tScriptObjects.end(),
                           [&](const ScriptObject& mrtHeld) { return mrtHeld._uHandle == muHandle; });
    if (it == _tScriptObjects.end()) return;
    KxwDomJavaHandles::Unregister(muHandle);
    _tScriptObjects.erase(it);
}

void KxwDomJavaVUser::ReleaseScriptObjects() {
    for (const ScriptObject& rtHeld : _tScriptObjects) KxwDomJavaHandles::Unregister(rtHeld._uHandle);
    _tScriptObjects.clear();
}
