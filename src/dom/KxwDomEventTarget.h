// The node that can receive events: base of elements, documents, windows and place holders. Its listeners and
// event handling are added by the events; for now it gives the hierarchy its place and scripts its class
// ("eventtarget", whose handler properties take the tiny ids 138 to 216).
#pragma once

#include "KxwDomCoreNode.h"

class KxwDomEventTarget : public KxwDomCoreNode {
public:
    using KxwDomCoreNode::KxwDomCoreNode;

    KxwDomEventTarget* DownCastToEventTarget() override { return this; }

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    // The class description, for derived descriptions to name as their parent.
    static const KxwJswClassInformation& GetEventTargetClassInformation();
};
