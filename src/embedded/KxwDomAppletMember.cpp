#include "KxwDomAppletMember.h"

#include <new>

#include "KxwDomHtmlElementApplet.h"
#include "KxwDomJavaHandles.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

namespace {

const KxwJswClassInformation ktAppletMemberClassInfo(nullptr, "JAVA_APPLET_METHOD", nullptr, nullptr, nullptr,
                                                     KXW_JSW_CLASS_KIND_CALLABLE);

}  // namespace

KxwDomAppletMember* KxwDomAppletMember::Create(uint64_t muAppletHandle, const char* mpszName) {
    if (!KxwJswEngine::Current() || !mpszName) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No script engine on this thread in KxwDomAppletMember::Create");
        return nullptr;
    }
    auto* ptMember = new (std::nothrow) KxwDomAppletMember(muAppletHandle, mpszName);
    if (!ptMember) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomAppletMember)), "KxwDomAppletMember");
    if (!ptMember->CreateJsiObj()) {
        delete ptMember;
        return nullptr;
    }
    return ptMember;
}

const KxwJswClassInformation* KxwDomAppletMember::GetClassInformation() const {
    return &ktAppletMemberClassInfo;
}

bool KxwDomAppletMember::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    const char* pszWhy = nullptr;
    auto* ptApplet = static_cast<KxwDomHtmlElementApplet*>(
        KxwDomJavaHandles::Find(_uAppletHandle, KxwDomJavaHandleKind::kApplet, &pszWhy));
    if (!ptApplet) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "The applet method \"%.200s\" was not called: %s",
                                 _dsName.c_str(), pszWhy);
        mrtArgs.SetResult(KxwJsval());
        return true;
    }
    return ptApplet->InvokeAppletMethod(_dsName, mrtArgs);
}
