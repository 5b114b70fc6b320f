// An element's attributes by name or position (live): attributes.getNamedItem("id"), attributes[0].
#pragma once

#include <libxml/tree.h>

#include <string>

#include "KxwAutomation.h"

class KxwXmlDomNode;

class KxwXmlDomNamedNodeMap : public KxwAutomationTable<KxwXmlDomNamedNodeMap> {
public:
    static KxwAutoValue Of(KxwXmlDomNode* mptElement);

    const char* GetInterfaceName() const override { return "IXMLDOMNamedNodeMap"; }
    bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) override;
    int32_t GetItemCount() override;
    std::string GetErrorDescription() const override;

private:
    explicit KxwXmlDomNamedNodeMap(KxwXmlDomNode* mptElement);
    KxwAutoResult GetLength(KxwAutoValue& mrtResult);
    KxwAutoResult Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult SetNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult RemoveNamedItem(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult NextNode(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Reset(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    // Passes a call on to the element (the attribute methods check and report there).
    KxwAutoResult CallElement(const char* mpszMethod, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);

    static const KxwAutoMemberRow<KxwXmlDomNamedNodeMap> katMembers[];
    KxwXmlDomNode* _ptElement;
    KxwAutoRef<KxwAutomation> _tElementRef;
    int32_t _iNext = 0;
    std::string _dsError;
};
