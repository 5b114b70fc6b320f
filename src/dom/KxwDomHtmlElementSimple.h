// The element classes that add nothing to the common element but their subtype and their script class: one class
// driven by a table of script classes by subtype. The names the tags are known by are aliases of it; a tag that
// gets behaviour of its own later gets its own class instead.
#pragma once

#include "KxwDomHtmlElement.h"

class KxwDomHtmlElementSimple : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementSimple(KxwDomHtmlDocument* mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype,
                            bool mbUseMemMgr)
        : KxwDomHtmlElement(mptOwnerDocument, meSubtype, mbUseMemMgr) {}

    // Whether the table has a script class for the subtype (the subtypes this class serves).
    static bool IsSimpleSubtype(int miSubtype);

    // Its own attributes in generated markup, then its base's.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    const KxwJswClassInformation* GetClassInformation() const override;

    // The script classes that several element classes share as their parent.
    static const KxwJswClassInformation& GetBodyFrameSetBaseClassInformation();
    static const KxwJswClassInformation& GetStyleSheetContainerClassInformation();
};

using KxwDomHtmlElementHtml = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBody = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDiv = KxwDomHtmlElementSimple;
using KxwDomHtmlElementSpan = KxwDomHtmlElementSimple;
using KxwDomHtmlElementFrameSet = KxwDomHtmlElementSimple;
using KxwDomHtmlElementPre = KxwDomHtmlElementSimple;
using KxwDomHtmlElementUl = KxwDomHtmlElementSimple;
using KxwDomHtmlElementFont = KxwDomHtmlElementSimple;
using KxwDomHtmlElementCol = KxwDomHtmlElementSimple;
using KxwDomHtmlElementColGroup = KxwDomHtmlElementSimple;
using KxwDomHtmlElementHead = KxwDomHtmlElementSimple;
using KxwDomHtmlElementLi = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDir = KxwDomHtmlElementSimple;
using KxwDomHtmlElementOl = KxwDomHtmlElementSimple;
using KxwDomHtmlElementCode = KxwDomHtmlElementSimple;
using KxwDomHtmlElementCenter = KxwDomHtmlElementSimple;
using KxwDomHtmlElementCite = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDl = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH1 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH2 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH3 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH4 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH5 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementH6 = KxwDomHtmlElementSimple;
using KxwDomHtmlElementI = KxwDomHtmlElementSimple;
using KxwDomHtmlElementSamp = KxwDomHtmlElementSimple;
using KxwDomHtmlElementSub = KxwDomHtmlElementSimple;
using KxwDomHtmlElementU = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBlockquote = KxwDomHtmlElementSimple;
using KxwDomHtmlElementIns = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDel = KxwDomHtmlElementSimple;
using KxwDomHtmlElementLegend = KxwDomHtmlElementSimple;
using KxwDomHtmlElementFieldSet = KxwDomHtmlElementSimple;
using KxwDomHtmlElementOptGroup = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBdo = KxwDomHtmlElementSimple;
using KxwDomHtmlElementHr = KxwDomHtmlElementSimple;
using KxwDomHtmlElementB = KxwDomHtmlElementSimple;
using KxwDomHtmlElementEm = KxwDomHtmlElementSimple;
using KxwDomHtmlElementSup = KxwDomHtmlElementSimple;
using KxwDomHtmlElementP = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBr = KxwDomHtmlElementSimple;
using KxwDomHtmlElementSmall = KxwDomHtmlElementSimple;
using KxwDomHtmlElementNoBr = KxwDomHtmlElementSimple;
using KxwDomHtmlElementStrike = KxwDomHtmlElementSimple;
using KxwDomHtmlElementTt = KxwDomHtmlElementSimple;
using KxwDomHtmlElementVar = KxwDomHtmlElementSimple;
using KxwDomHtmlElementAcronym = KxwDomHtmlElementSimple;
using KxwDomHtmlElementAddress = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBig = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDfn = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDd = KxwDomHtmlElementSimple;
using KxwDomHtmlElementDt = KxwDomHtmlElementSimple;
using KxwDomHtmlElementXmp = KxwDomHtmlElementSimple;
using KxwDomHtmlElementStrong = KxwDomHtmlElementSimple;
using KxwDomHtmlElementMarquee = KxwDomHtmlElementSimple;
using KxwDomHtmlElementAbbr = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBaseFont = KxwDomHtmlElementSimple;
using KxwDomHtmlElementBgSound = KxwDomHtmlElementSimple;
using KxwDomHtmlElementCaption = KxwDomHtmlElementSimple;
using KxwDomHtmlElementIsIndex = KxwDomHtmlElementSimple;
using KxwDomHtmlElementKbd = KxwDomHtmlElementSimple;
using KxwDomHtmlElementListing = KxwDomHtmlElementSimple;
using KxwDomHtmlElementMenu = KxwDomHtmlElementSimple;
using KxwDomHtmlElementNextId = KxwDomHtmlElementSimple;
using KxwDomHtmlElementNOFRAMES = KxwDomHtmlElementSimple;
using KxwDomHtmlElementPlainText = KxwDomHtmlElementSimple;
using KxwDomHtmlElementQ = KxwDomHtmlElementSimple;
using KxwDomHtmlElementS = KxwDomHtmlElementSimple;
using KxwDomHtmlElementWbr = KxwDomHtmlElementSimple;
