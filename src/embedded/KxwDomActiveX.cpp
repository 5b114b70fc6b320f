#include "KxwDomActiveX.h"

#include <mutex>

#include "KxwAutoDictionary.h"
#include "KxwAutomationRegistry.h"
#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlWindow.h"
#include "KxwJswAutomationObject.h"
#include "KxwJswCallArgs.h"
#include "KxwUtilEscape.h"
#include "KxwUtilReport.h"
#include "KxwXmlDom.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwiRunTimeSettings.h"

namespace {

constexpr int kiMsgActiveXOff = -35909;

// Only the emulated Internet Explorer has the constructor: pages test window.ActiveXObject to tell the browsers.
bool IsConstructorAvailable(KxwJswUserObjBase*) {
    return xfbKxwDomUtilIsIE();
}

KxwJswUserObjBase* ConstructActiveX(KxwJswCallArgs& mrtArgs) {
    static const char kszCannotCreate[] = "Automation server can't create object";
    std::u16string dsName;
    if (mrtArgs.Length() < 1 || !mrtArgs.Get(0).IsString() || !mrtArgs.GetStringU16n(0, dsName) || dsName.empty()) {
        KxwJswAutomationObject::LogAutomantionErrorMsg(KXW_AUTO_E_INVALIDARG,
                                                       "new ActiveXObject needs the name of a class", nullptr,
                                                       KXW_WTL_SEV_LVL_ENUM_WARNING);
        mrtArgs.ThrowError(kszCannotCreate);
        return nullptr;
    }
    std::string dsUtf8 = mrtArgs.Get(0).GetStringUtf8();
    std::string dsShown = xfdsKxwDomActiveXPrintable(dsUtf8);
    KxwiRunTimeSettings* ptRTS = xfptKxwDomUtilGetRTS();
    if (ptRTS && !ptRTS->GetActiveXEnabled()) {
        xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM_WARNING, kiMsgActiveXOff, "ConstructActiveX", __LINE__,
                                            dsShown.c_str());
        mrtArgs.ThrowError(kszCannotCreate);
        return nullptr;
    }
    KxwAutoRef<KxwAutomation> tObject;
    KxwAutoResult lResult = KxwAutomationRegistry::CreateByProgId(dsUtf8.data(), dsUtf8.size(), tObject);
    // A class id names a class as well as its name does.
    if (lResult == KXW_AUTO_E_CLASSNOTREG && KxwAutomationRegistry::IsRegisteredClassId(dsUtf8.data(), dsUtf8.size()))
        lResult = KxwAutomationRegistry::CreateByClassId(dsUtf8.data(), dsUtf8.size(), tObject);
    if (!xfbKxwAutoSucceeded(lResult) || !tObject) {
        std::string dsText = "new ActiveXObject(\"" + dsShown + "\") failed";
        KxwJswAutomationObject::LogAutomantionErrorMsg(lResult, dsText.c_str(), nullptr, KXW_WTL_SEV_LVL_ENUM_WARNING);
        mrtArgs.ThrowError(kszCannotCreate);
        return nullptr;
    }
    // An XML document loads relative URLs against the page whose script made it.
    KxwDomHtmlWindow* ptWindow = KxwDomHtmlWindow::GetScopeWindow();
    if (KxwDomHtmlDocument* ptDocument = ptWindow ? ptWindow->GetDocument() : nullptr)
        xfvKxwDomActiveXSetXmlBaseUrl(tObject.Get(), ptDocument);
    return KxwJswAutomationObject::Wrap(tObject.Get());
}

}  // namespace

void xfvKxwDomActiveXSetXmlBaseUrl(KxwAutomation* mptObject, const KxwDomHtmlDocument* mptDocument) {
    unsigned uLen = 0;
    const char* psfBase = mptDocument ? mptDocument->GetBaseUrlDcs(&uLen) : nullptr;
    if (psfBase) xfbKxwXmlDomSetBaseUrl(mptObject, std::string(psfBase, uLen));
}

std::string xfdsKxwDomActiveXPrintable(const std::string& mdsText) {
    char acBuffer[256];
    xfnKxwUtilCStyleEncodeBuf(mdsText.data(), mdsText.size(), acBuffer, sizeof acBuffer);
    return acBuffer;
}

void xfvKxwDomActiveXGlobalInit() {
    static std::once_flag s_tOnce;
    std::call_once(s_tOnce, [] {
        KxwAutomationRegistry::Register(KxwAutoClassInfo{KxwAutoDictionary::kszClassId, KxwAutoDictionary::kapszProgIds,
                                                         &KxwAutoDictionary::Create});
        xfvKxwXmlDomRegisterClasses();
        KxwJswAutomationObject::SetScriptConstructor(&ConstructActiveX, &IsConstructorAvailable);
    });
}
