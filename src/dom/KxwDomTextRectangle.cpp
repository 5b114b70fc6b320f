#include "KxwDomTextRectangle.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwJswEngine.h"

namespace {

enum : short { kIdLeft = -128, kIdTop = -127, kIdRight = -126, kIdBottom = -125 };
constexpr short kIdLength = -128;

const KxwJswPropertySpec katRectangleProperties[] = {
    {"left", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"top", 129, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"right", 130, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {"bottom", 131, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katListProperties[] = {
    {"length", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation& RectangleClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "TextRectangle", katRectangleProperties, katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation& ListClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "TextRectangleList", katListProperties, katNoMethods,
                                                    nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

// The engine object is made at once, so that it owns the object even if the caller drops it.
template <class T>
T* OwnedByEngineObject(T* mptObject, const char* mpszCaller) {
    if (mptObject->CreateJsiObj()) return mptObject;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "No script engine on this thread in %s",
                                          mpszCaller);
    delete mptObject;
    return nullptr;
}

bool HasEngine(const char* mpszCaller) {
    if (KxwJswEngine::Current()) return true;
    xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR, "No script engine on this thread in %s",
                                          mpszCaller);
    return false;
}

}  // namespace

KxwDomTextRectangle::KxwDomTextRectangle(int miLeft, int miTop, int miRight, int miBottom)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)),
      _iLeft(miLeft),
      _iTop(miTop),
      _iRight(miRight),
      _iBottom(miBottom) {}

KxwDomTextRectangle* KxwDomTextRectangle::Create(int miLeft, int miTop, int miRight, int miBottom) {
    if (!HasEngine("KxwDomTextRectangle::Create")) return nullptr;
    return OwnedByEngineObject(new (static_cast<KxwMemMgr*>(nullptr))
                                   KxwDomTextRectangle(miLeft, miTop, miRight, miBottom),
                               "KxwDomTextRectangle::Create");
}

const KxwJswClassInformation* KxwDomTextRectangle::GetClassInformation() const {
    return &RectangleClassInformation();
}

bool KxwDomTextRectangle::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    switch (mnTinyId) {
        case kIdLeft:
            mrtPropertyInfo = _iLeft;
            return true;
        case kIdTop:
            mrtPropertyInfo = _iTop;
            return true;
        case kIdRight:
            mrtPropertyInfo = _iRight;
            return true;
        case kIdBottom:
            mrtPropertyInfo = _iBottom;
            return true;
        default:
            return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomTextRectangle", mnTinyId, mrtPropertyInfo);
    }
}

// ---------------------------------------------------------------------------------------------------------------

KxwDomTextRectangleList::KxwDomTextRectangleList(KxwDomTextRectangle* mptRectangle)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)), _ptRectangle(mptRectangle) {}

KxwDomTextRectangleList* KxwDomTextRectangleList::Create(KxwDomTextRectangle* mptRectangle) {
    if (!HasEngine("KxwDomTextRectangleList::Create")) return nullptr;
    return OwnedByEngineObject(new (static_cast<KxwMemMgr*>(nullptr)) KxwDomTextRectangleList(mptRectangle),
                               "KxwDomTextRectangleList::Create");
}

const KxwJswClassInformation* KxwDomTextRectangleList::GetClassInformation() const {
    return &ListClassInformation();
}

bool KxwDomTextRectangleList::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId != kIdLength)
        return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomTextRectangleList", mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = _ptRectangle ? 1 : 0;
    return true;
}

bool KxwDomTextRectangleList::GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                                             KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) {
    bool bFound = mnIndex == 0 && _ptRectangle;
    if (mppvValue) *mppvValue = bFound ? static_cast<KxwJswUserObjBase*>(_ptRectangle) : nullptr;
    if (mpnLength) *mpnLength = bFound ? KXW_JSW_DOM_OBJECT_LEN : 0;
    if (mpeType) *mpeType = bFound ? KXW_JSW_OBJ_PROP_TYPE_DOM_OBJECT : KXW_JSW_OBJ_PROP_TYPE_NONE;
    return bFound;
}

void KxwDomTextRectangleList::GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>&) {
    mruliIndexCount = _ptRectangle ? 1 : 0;
}

void KxwDomTextRectangleList::TraceFromJsiObj(KxwJswTracer& mrtTracer) {
    if (_ptRectangle) mrtTracer.TraceUserObj(_ptRectangle, "text rectangle of the list");
}
