#include "KxwDomTextRectangle.h"

#include "KxwDomBindingUtil.h"
#include "KxwDomPropertyInfo.h"
#include "KxwJswClassInformation.h"
#include "KxwJswUserObjBase.h"
#include "KxwUtilReport.h"
#include "kxw/KxwEnvCfg.h"

namespace {

enum : short { kIdTop = -128, kIdLeft = -127, kIdRight = -126, kIdBottom = -125 };
constexpr short kIdLength = -128;
constexpr uint16_t kRW = KXW_JSW_PROP_PERMANENT;

const KxwJswPropertySpec katRectangleProperties[] = {
    {"top", 128, kRW, "i"},    {"left", 129, kRW, "i"},  {"right", 130, kRW, "i"},
    {"bottom", 131, kRW, "i"}, {nullptr, 0, 0, nullptr},
};
const KxwJswPropertySpec katListProperties[] = {
    {"length", 128, KXW_JSW_PROP_PERMANENT | KXW_JSW_PROP_READONLY, nullptr},
    {nullptr, 0, 0, nullptr},
};
const KxwJswMethodSpec katNoMethods[] = {{nullptr, nullptr, nullptr, 0}};

const KxwJswClassInformation& RectangleClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "textRectangle", katRectangleProperties, katNoMethods);
    return ktClassInfo;
}

const KxwJswClassInformation& ListClassInformation() {
    static const KxwJswClassInformation ktClassInfo(nullptr, "TextRectangleList", katListProperties, katNoMethods,
                                                    nullptr, KXW_JSW_CLASS_KIND_NAMED_ITEMS);
    return ktClassInfo;
}

}  // namespace

KxwDomTextRectangle::KxwDomTextRectangle(long mliTop, long mliLeft, long mliRight, long mliBottom)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)) {
    _tTop.InitializeLong(mliTop);
    _tLeft.InitializeLong(mliLeft);
    _tRight.InitializeLong(mliRight);
    _tBottom.InitializeLong(mliBottom);
}

KxwDomTextRectangle::~KxwDomTextRectangle() {
    if (xfbKxwTraceEnabled()) xfvKxwUtilReportTraceToFile("<%p>: ~KxwDomTextRectangle()", static_cast<void*>(this));
}

KxwDomTextRectangle* KxwDomTextRectangle::Create(long mliTop, long mliLeft, long mliRight, long mliBottom) {
    auto* ptRectangle =
        new (static_cast<KxwMemMgr*>(nullptr)) KxwDomTextRectangle(mliTop, mliLeft, mliRight, mliBottom);
    return xfbKxwDomUtilGiveToEngineObject(ptRectangle, "KxwDomTextRectangle::Create") ? ptRectangle : nullptr;
}

const KxwJswClassInformation* KxwDomTextRectangle::GetClassInformation() const {
    return &RectangleClassInformation();
}

KxwDomHtmlPropertyNumLong* KxwDomTextRectangle::Side(short mnTinyId) {
    switch (mnTinyId) {
        case kIdTop:
            return &_tTop;
        case kIdLeft:
            return &_tLeft;
        case kIdRight:
            return &_tRight;
        case kIdBottom:
            return &_tBottom;
        default:
            return nullptr;
    }
}

bool KxwDomTextRectangle::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KxwDomHtmlPropertyNumLong* ptSide = Side(mnTinyId);
    if (!ptSide) return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomTextRectangle", mnTinyId, mrtPropertyInfo);
    mrtPropertyInfo = *ptSide;
    return true;
}

bool KxwDomTextRectangle::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    KxwDomHtmlPropertyNumLong* ptSide = Side(mnTinyId);
    if (!ptSide) return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomTextRectangle", mnTinyId);
    *ptSide = mrtPropertyInfo;
    return true;
}

// ---------------------------------------------------------------------------------------------------------------

KxwDomTextRectangleList::KxwDomTextRectangleList(KxwDomTextRectangle* mptRectangle)
    : KxwDomBase(static_cast<KxwMemMgr*>(nullptr), static_cast<KxwU16nHandler*>(nullptr)), _ptRectangle(mptRectangle) {}

KxwDomTextRectangleList* KxwDomTextRectangleList::Create(KxwDomTextRectangle* mptRectangle) {
    auto* ptList = new (static_cast<KxwMemMgr*>(nullptr)) KxwDomTextRectangleList(mptRectangle);
    return xfbKxwDomUtilGiveToEngineObject(ptList, "KxwDomTextRectangleList::Create") ? ptList : nullptr;
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
