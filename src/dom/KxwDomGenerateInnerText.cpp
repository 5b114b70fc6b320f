#include "KxwDomGenerateInnerText.h"

#include "KxwDomNodeBase.h"

KXW_DOM_TRAVERSE_HIERARCHY_ACTION_ENUM KxwDomGenerateInnerText::Visit(KxwDomNodeBase* mptNode) {
    if (mptNode->GetNodeSubtype() == KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_STYLE)
        return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_SKIP_DESCENDANTS;
    mptNode->AddDataToInnerText(_dsText);
    return KXW_DOM_TRAVERSE_HIERARCHY_ACTION_CONTINUE;
}
