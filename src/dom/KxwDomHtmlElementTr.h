// TR (script class "tr"): a table row with its cells, its position among the rows of its table (rowIndex) and of
// its section (sectionRowIndex), and the methods that insert and delete cells.
#pragma once

#include "KxwDomHtmlTableElement.h"

class KxwDomHtmlElementTr : public KxwDomHtmlTableElement {
public:
    KxwDomHtmlElementTr(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr)
        : KxwDomHtmlTableElement(mptOwnerDocument, KXW_DOM_COMMON_NODE_SUBTYPE_HTML_ELEMENT_TR, mbUseMemMgr) {}

    // The row's position, from 0, in the rows of the nearest TABLE above it, or with mbSectionOnly of the nearest
    // THEAD, TBODY or TFOOT (within its table); -1 without one.
    long CalculateRowIndex(bool mbSectionOnly);
    // A new TD before the cell at mliIndex of "cells", in that cell's parent; for -1 or the length of "cells", the
    // row's last child. Null when the index names no cell (the script error naming insertCell is reported) or
    // the cell could not be made or placed (reported).
    KxwDomHtmlElement* InsertCell(long mliIndex);
    // Removes the cell at mliIndex of "cells" (-1: the last one) with its content; false when the index names no
    // cell (the script error naming deleteCell is reported).
    bool DeleteCell(long mliIndex);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

    static constexpr short kIdCells = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7
    static constexpr short kIdSectionRowIndex = kIdCells + 1;
    static constexpr short kIdRowIndex = kIdCells + 2;
};
