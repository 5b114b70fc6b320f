// document.styleSheets: the style sheets of the document's STYLE elements and style-sheet LINKs, in document
// order, found anew on every read so that the list follows the tree. A list belongs to its engine object and
// forgets its document when the document goes.
#pragma once

#include <vector>

#include "KxwDomBase.h"
#include "KxwDomWatchDelete.h"

class KxwDomHtmlDocument;
class KxwDomStyleSheet;

class KxwDomStyleSheetList : public KxwDomBase {
public:
    // A new list owned by its engine object; null (reported) without a script engine on this thread.
    static KxwDomStyleSheetList* Create(KxwDomHtmlDocument* mptDocument);
    // The sheets now, in document order.
    static std::vector<KxwDomStyleSheet*> CollectStyleSheets(KxwDomHtmlDocument* mptDocument);

    bool GetShouldBeDeletedAtFinalize() override { return true; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;

private:
    explicit KxwDomStyleSheetList(KxwDomHtmlDocument* mptDocument);
    KxwDomHtmlDocument* GetDocument() const;

    KxwDomWatchDelete _tWatchDocument;
};
