#include "KxwDomComputedStyle.h"

#include "KxwDomHtmlElement.h"
#include "KxwDomHtmlStyle.h"
#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

namespace {

const KxwJswPropertySpec katNoProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

KxwDomComputedStyleFunction::KxwDomComputedStyleFunction()
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)) {}

bool KxwDomComputedStyleFunction::IsAvailable() {
    return xfbKxwDomUtilIsNS();
}

bool KxwDomComputedStyleFunction::Create(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomComputedStyleFunction* ptFunction = nullptr;
    if (KxwJswEngine::Current()) {
        ptFunction = new (static_cast<KxwMemMgr*>(nullptr)) KxwDomComputedStyleFunction;
        // Its engine object owns it from the start, so that a caller dropping it leaves nothing behind.
        if (!ptFunction->CreateJsiObj()) {
            delete ptFunction;
            ptFunction = nullptr;
        }
    }
    if (mppvValue) *mppvValue = static_cast<KxwJswUserObjBase*>(ptFunction);
    if (mpnLength) *mpnLength = ptFunction ? KXW_JSW_DOM_OBJECT_LEN : 0;
    if (mpeType) *mpeType = ptFunction ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NONE;
    return ptFunction != nullptr;
}

const KxwJswClassInformation* KxwDomComputedStyleFunction::GetClassInformation() const {
    static const KxwJswClassInformation ktClassInfo(nullptr, "getComputedStyle", katNoProperties, katNoMethods, nullptr,
                                                    KXW_JSW_CLASS_KIND_CALLABLE);
    return &ktClassInfo;
}

bool KxwDomComputedStyleFunction::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    KxwJsval tResult;
    tResult.SetNull();
    KxwDomHtmlElement* ptElement = ConvertToElement(mrtArgs.Length() > 0 ? mrtArgs.Get(0).GetRawDomObject() : nullptr);
    KxwDomHtmlStyle* ptStyle =
        ptElement ? ptElement->ObtainStyleObject(KxwDomHtmlStyle::KXW_STYLE_TYPE_CURRENT_STYLE) : nullptr;
    if (ptStyle && ptStyle->PrepareForScript())
        tResult.SetDomObject(ptStyle, mrtArgs.GetContext());
    else
        xfvKxwUtilReportBySevLvl(xfeKxwUtilJavaScriptErrorSevLvl(),
                                 "getComputedStyle() was given no element: it answers null");
    mrtArgs.SetResult(tResult);
    return true;
}
