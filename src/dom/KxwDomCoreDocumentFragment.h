// A document fragment: a bare container whose insertion inserts its children instead. Scripts see it as a
// "corenode".
#pragma once

#include "KxwDomCoreNode.h"

class KxwDomCoreDocumentFragment : public KxwDomCoreNode {
public:
    KxwDomCoreDocumentFragment(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr);

    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_DOCUMENT_FRAGMENT; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override {
        return KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT_FRAGMENT;
    }
};
