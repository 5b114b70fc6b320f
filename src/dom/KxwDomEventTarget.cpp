#include "KxwDomEventTarget.h"

#include "KxwDomBindingUtil.h"
#include "KxwJswClassInformation.h"

namespace {

// The first tiny id of the class's own range (138), as the class receives it.
constexpr short kFirstEventTargetId = -118;

const KxwJswPropertySpec katEventTargetProperties[] = {{nullptr, 0, 0, nullptr}};
const KxwJswMethodSpec katEventTargetMethods[] = {{nullptr, nullptr, nullptr, 0}};

}  // namespace

const KxwJswClassInformation& KxwDomEventTarget::GetEventTargetClassInformation() {
    static const KxwJswClassInformation ktClassInfo(&GetCoreNodeClassInformation(), "eventtarget",
                                                    katEventTargetProperties, katEventTargetMethods);
    return ktClassInfo;
}

const KxwJswClassInformation* KxwDomEventTarget::GetClassInformation() const {
    return &GetEventTargetClassInformation();
}

bool KxwDomEventTarget::GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstEventTargetId) return KxwDomCoreNode::GetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedGetPropertyId("KxwDomEventTarget", mnTinyId, mrtPropertyInfo);
}

bool KxwDomEventTarget::SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) {
    if (mnTinyId < kFirstEventTargetId) return KxwDomCoreNode::SetDomPropertyInfo(mnTinyId, mrtPropertyInfo);
    return xfbKxwDomUtilUnsupportedSetPropertyId("KxwDomEventTarget", mnTinyId);
}
