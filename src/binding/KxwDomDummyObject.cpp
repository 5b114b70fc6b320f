#include "KxwDomDummyObject.h"

#include <cstring>
#include <new>

#include "KxwJswCallArgs.h"
#include "KxwJswClassInformation.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"
#include "kxw/KxwJsval.h"
#include "kxw/KxwJswEngine.h"

namespace {

const KxwJswClassInformation ktDummyClassInfo(nullptr, "dummy-object", nullptr, nullptr, nullptr,
                                              KXW_JSW_CLASS_KIND_CALLABLE);

constexpr short kMaxDummyIndex = 100;

}  // namespace

KxwDomDummyObject::KxwDomDummyObject() {
    if (xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomDummyObject CTOR", static_cast<void*>(this));
}

KxwDomDummyObject::~KxwDomDummyObject() {
    if (xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomDummyObject DTOR", static_cast<void*>(this));
}

KxwDomDummyObject* KxwDomDummyObject::CreateDummyObject() {
    if (!KxwJswEngine::Current()) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "No script engine on this thread in "
                                              "KxwDomDummyObject::CreateDummyObject");
        return nullptr;
    }
    auto* ptDummy = new (std::nothrow) KxwDomDummyObject();
    if (!ptDummy) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwDomDummyObject)), "KxwDomDummyObject");
    // The engine object is made now so that it owns the dummy even if the caller only probes and drops it.
    if (!ptDummy->CreateJsiObj()) {
        delete ptDummy;
        return nullptr;
    }
    return ptDummy;
}

bool KxwDomDummyObject::CreateDummyObject(void** mppvValue, unsigned* mpnLength, KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    KxwDomDummyObject* ptDummy = CreateDummyObject();
    if (mppvValue) *mppvValue = static_cast<KxwJswUserObjBase*>(ptDummy);
    if (mpnLength) *mpnLength = ptDummy ? KXW_JSW_DOM_OBJECT_LEN : 0;
    if (mpeType) *mpeType = ptDummy ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NONE;
    return ptDummy != nullptr;
}

const KxwJswClassInformation* KxwDomDummyObject::GetClassInformation() const {
    return &ktDummyClassInfo;
}

bool KxwDomDummyObject::GetPropertyByName(const char*, void** mppvValue, unsigned* mpnLength,
                                          KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    return CreateDummyObject(mppvValue, mpnLength, mpeType);
}

bool KxwDomDummyObject::GetPropByIndex(int32_t msiElementIndex, void** mppvValue, unsigned* mpnLength,
                                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    if (msiElementIndex <= kMaxDummyIndex) return CreateDummyObject(mppvValue, mpnLength, mpeType);
    if (xfbKxwTraceEnabled())
        xfvKxwUtilReportTraceToFile("msiElementIndex (%d) > 100. Returning NULL in KxwDomDummyObject::GetPropByIndex",
                                    static_cast<int>(msiElementIndex));
    if (mppvValue) *mppvValue = nullptr;
    if (mpnLength) *mpnLength = 0;
    if (mpeType) *mpeType = KXW_JSW_OBJ_PROP_TYPE_NULL;
    return true;
}

bool KxwDomDummyObject::IsResolved(const char* mpszName) {
    if (!mpszName) return false;
    for (const char* pszEngineName : {"toString", "valueOf", "Function", "Object"})
        if (std::strcmp(mpszName, pszEngineName) == 0) return false;
    return true;
}

bool KxwDomDummyObject::InvokeMethod(KxwJswCallArgs& mrtArgs) {
    KxwJsval tResult;
    tResult.SetDomObject(CreateDummyObject(), mrtArgs.GetContext());
    mrtArgs.SetResult(tResult);
    return true;
}

KxwDomDummyObjectStatic::KxwDomDummyObjectStatic() {
    if (xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomDummyObjectStatic CTOR", static_cast<void*>(this));
}

KxwDomDummyObjectStatic::~KxwDomDummyObjectStatic() {
    if (xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomDummyObjectStatic DTOR", static_cast<void*>(this));
}
