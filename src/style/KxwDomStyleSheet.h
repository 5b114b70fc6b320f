// The style sheet of a STYLE element or of a style-sheet LINK (script class "styleSheet"). Nothing is laid out, so
// a sheet holds no rules: it answers what scripts read of it from its owning element, and its methods are taken
// without effect. The owning element makes it on first use and deletes it with itself.
#pragma once

#include "KxwDomBase.h"
#include "KxwDomWatchDelete.h"

class KxwDomHtmlElement;

class KxwDomStyleSheet : public KxwDomBase {
public:
    explicit KxwDomStyleSheet(KxwDomHtmlElement* mptOwnerElement);
    ~KxwDomStyleSheet() override;

    // The owner while it lives.
    KxwDomHtmlElement* GetOwningHtmlElement() const;
    KxwDomBase* GetOwningNode() const;

    bool GetShouldBeDeletedAtFinalize() override { return false; }
    bool GetShouldAddJSRoot() override { return false; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;

private:
    KxwDomWatchDelete _tWatchOwner;
};

// The STYLE and LINK elements' common part: the style sheet, made on first use ("styleSheetContainer").
class KxwDomHtmlElementStyleSheetContainer {
public:
    KxwDomHtmlElementStyleSheetContainer() = default;
    ~KxwDomHtmlElementStyleSheetContainer();
    KxwDomHtmlElementStyleSheetContainer(const KxwDomHtmlElementStyleSheetContainer&) = delete;
    KxwDomHtmlElementStyleSheetContainer& operator=(const KxwDomHtmlElementStyleSheetContainer&) = delete;

    KxwDomStyleSheet* GetStyleSheetObject(KxwDomHtmlElement& mrtOwner);
    KxwDomStyleSheet* PeekStyleSheetObject() const { return _ptStyleSheet; }

private:
    KxwDomStyleSheet* _ptStyleSheet = nullptr;
};
