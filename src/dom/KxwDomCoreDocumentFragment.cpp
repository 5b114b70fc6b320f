#include "KxwDomCoreDocumentFragment.h"

#include "kxw/KxwEnvCfg.h"

KxwDomCoreDocumentFragment::KxwDomCoreDocumentFragment(KxwDomCoreDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr)
    : KxwDomCoreNode(mptOwnerDocument, mptMemMgr, KXW_DOM_COMMON_NODE_TYPE_DOCUMENT_FRAGMENT,
                     KXW_DOM_COMMON_NODE_SUBTYPE_DOCUMENT_FRAGMENT) {
    if (xfbKxwTraceEnabled() && xfbKxwDetailedTraceEnabled())
        xfvKxwUtilReportTraceToFile("<%p>: KxwDomCoreDocumentFragment(mptOwnerDocument=%p). MemMgr=%p",
                                    static_cast<void*>(this), static_cast<void*>(mptOwnerDocument),
                                    static_cast<void*>(mptMemMgr));
}
