#include "KxwXmlDomNamedNodeMap.h"

#include <new>

#include "KxwUtilReport.h"
#include "KxwXmlDomNode.h"
#include "KxwXmlDomUtil.h"

const KxwAutoMemberRow<KxwXmlDomNamedNodeMap> KxwXmlDomNamedNodeMap::katMembers[] = {
    {"length", &KxwXmlDomNamedNodeMap::GetLength, nullptr, nullptr},
    {"item", nullptr, nullptr, &KxwXmlDomNamedNodeMap::Item},
    {"getNamedItem", nullptr, nullptr, &KxwXmlDomNamedNodeMap::GetNamedItem},
    {"setNamedItem", nullptr, nullptr, &KxwXmlDomNamedNodeMap::SetNamedItem},
    {"removeNamedItem", nullptr, nullptr, &KxwXmlDomNamedNodeMap::RemoveNamedItem},
    {"nextNode", nullptr, nullptr, &KxwXmlDomNamedNodeMap::NextNode},
    {"reset", nullptr, nullptr, &KxwXmlDomNamedNodeMap::Reset},
};

KxwXmlDomNamedNodeMap::KxwXmlDomNamedNodeMap(KxwXmlDomNode* mptElement)
    : KxwAutomationTable<KxwXmlDomNamedNodeMap>(katMembers), _ptElement(mptElement), _tElementRef(mptElement) {}

KxwAutoValue KxwXmlDomNamedNodeMap::Of(KxwXmlDomNode* mptElement) {
    auto* ptMap = new (std::nothrow) KxwXmlDomNamedNodeMap(mptElement);
    if (!ptMap) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomNamedNodeMap)), "KxwXmlDomNamedNodeMap");
    return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>::Adopt(ptMap));
}

std::string KxwXmlDomNamedNodeMap::GetErrorDescription() const {
    return _dsError.empty() ? _ptElement->GetErrorDescription() : _dsError;
}

int32_t KxwXmlDomNamedNodeMap::GetItemCount() {
    int32_t iCount = 0;
    for (xmlAttr* ptAttr = _ptElement->GetXmlNode()->properties; ptAttr; ptAttr = ptAttr->next) ++iCount;
    return iCount;
}

bool KxwXmlDomNamedNodeMap::GetItem(int32_t miIndex, KxwAutoValue& mrtResult) {
    if (miIndex < 0) return false;
    xmlAttr* ptAttr = _ptElement->GetXmlNode()->properties;
    for (int32_t i = 0; ptAttr && i < miIndex; ++i) ptAttr = ptAttr->next;
    if (!ptAttr) return false;
    mrtResult = _ptElement->ValueOf(reinterpret_cast<xmlNode*>(ptAttr));
    return true;
}

KxwAutoResult KxwXmlDomNamedNodeMap::GetLength(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(GetItemCount());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNamedNodeMap::Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    int32_t iIndex = 0;
    _dsError.clear();
    KxwAutoResult lResult = xflKxwXmlDomArgInt(mrtArgs, 0, "index", iIndex, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (!GetItem(iIndex, mrtResult)) mrtResult = KxwAutoValue::Null();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNamedNodeMap::CallElement(const char* mpszMethod, const KxwAutoArgs& mrtArgs,
                                                 KxwAutoValue& mrtResult) {
    _dsError.clear();
    KxwAutoMember tMember;
    if (!_ptElement->FindMember(mpszMethod, tMember)) return KXW_AUTO_E_MEMBERNOTFOUND;
    return _ptElement->Call(tMember._iId, mrtArgs, mrtResult);
}

KxwAutoResult KxwXmlDomNamedNodeMap::GetNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    return CallElement("getAttributeNode", mrtArgs, mrtResult);
}

KxwAutoResult KxwXmlDomNamedNodeMap::SetNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwAutoValue tReplaced;
    KxwAutoResult lResult = CallElement("setAttributeNode", mrtArgs, tReplaced);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    mrtResult = mrtArgs[0];  // the map answers the attribute it now holds
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNamedNodeMap::RemoveNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    KxwAutoValue tNode;
    KxwAutoResult lResult = CallElement("getAttributeNode", mrtArgs, tNode);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (tNode.IsNullOrEmpty()) {
        mrtResult = KxwAutoValue::Null();
        return KXW_AUTO_S_OK;
    }
    return CallElement("removeAttributeNode", KxwAutoArgs{tNode}, mrtResult);
}

KxwAutoResult KxwXmlDomNamedNodeMap::NextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    if (!GetItem(_iNext, mrtResult)) {
        mrtResult = KxwAutoValue::Null();
        return KXW_AUTO_S_OK;
    }
    ++_iNext;
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomNamedNodeMap::Reset(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    _iNext = 0;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}
