// selectNodes and selectSingleNode: XPath 1.0 from a node, with the prefixes the document's SelectionNamespaces
// names. The list answered is a copy (later changes to the tree do not change it).
#pragma once

#include <string>

#include "KxwAutomation.h"

class KxwXmlDomNode;

KxwAutoResult xflKxwXmlDomSelect(KxwXmlDomNode* mptContext, const std::string& mrdsExpression, bool mbSingle,
                                 KxwAutoValue& mrtResult, std::string& mrdsError);
