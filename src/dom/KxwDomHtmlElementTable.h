// TABLE (script class "table"): its rows and cells (nested tables' excluded), its TBODY children, its caption,
// head and foot, the background image, and the methods that insert and delete rows and sections.
//
// The table's row methods index the table's own rows, whatever section holds them: insertRow(i) puts the new row
// before row i in that row's section, and at the end of the last row's section for -1 or the number of rows; a
// table without rows gets its row in its first TBODY, made when there is none (EnsureImpliedTBody).
#pragma once

#include "KxwDomHtmlTableBackground.h"
#include "KxwDomHtmlTableElement.h"

class KxwDomHtmlElementTable : public KxwDomHtmlTableElement, public KxwDomHtmlTableBackground {
public:
    KxwDomHtmlElementTable(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementTable() override;

    // The TBODY elements that are children of the table, in document order; made on first use.
    KxwDomHtmlCollectionOrdered* GetTbodies();
    // The table's first TBODY child; when it has none, a new TBODY appended to mptParentOrNull (the table itself
    // when null). Null when none could be made (reported).
    KxwDomHtmlElement* EnsureImpliedTBody(KxwDomCoreNode* mptParentOrNull);
    // The first child of the subtype (CAPTION, THEAD, TFOOT, TBODY), or null.
    KxwDomHtmlElement* GetFirstChildOfSubtype(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype) const;
    // createCaption, createTHead, createTFoot: the first child of the subtype, else a new one, placed as the first
    // child (CAPTION, THEAD) or the last (TFOOT). Null when none could be made (reported).
    KxwDomHtmlElement* ObtainPart(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype, const char* mpszCaller);
    // deleteCaption, deleteTHead, deleteTFoot: the first child of the subtype leaves the table with its content.
    void DeletePart(KXW_DOM_COMMON_NODE_SUBTYPE_ENUM meSubtype);

    // ---- Tree changes: the TBODY children, beside the rows and cells ----
    void NotifyThis(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                    void* mpvNotificationObject) override;
    void NotifyThisAfterAncestors(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType, void* mpvNotificationSubject,
                                  void* mpvNotificationObject) override;
    void ForgetDeletedNode(const KxwDomNodeBase* mptNode) override;

    // The element's line, and as the mask asks its rows and cells.
    void PrintMe(int miIndent, KXW_WTL_SEV_LVL_ENUM meSevLvl, unsigned long mulMask) const override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // "background", then the attributes every element writes.
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;

    static constexpr short kIdBackground = KxwDomHtmlElement::kFirstDerivedTinyId;  // 7
    static constexpr short kIdTBodies = kIdBackground + 1;
    static constexpr short kIdRows = kIdBackground + 2;
    static constexpr short kIdCells = kIdBackground + 3;
    static constexpr short kIdCaption = kIdBackground + 4;
    static constexpr short kIdTFoot = kIdBackground + 5;
    static constexpr short kIdTHead = kIdBackground + 6;

protected:
    // After the last row, in that row's section; for a table without rows, its first TBODY (made when missing).
    KxwDomCoreNode* GetParentForAppendedRow() override;
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    bool IsOwnTBody(const KxwDomNodeBase* mptNode) const;

    // Made when first asked for: until then the children are the list.
    KxwDomHtmlCollectionOrdered* _ptTBodies = nullptr;
};
