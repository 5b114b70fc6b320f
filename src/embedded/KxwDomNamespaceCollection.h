// The "namespaces" collection of an HTML document: it owns its namespace objects, in declaration order. It also
// keeps the namespaced elements that joined the document while a parser was building it: their content is not
// complete until the parse ends, and a behaviour is given to an element with its content. Script class
// "NamespaceCollection" ("HtmlCollection"), with "add".
#pragma once

#include <memory>
#include <vector>

#include "KxwDomHtmlCollection.h"

class KxwDomHtmlDocument;
class KxwDomHtmlElement;
class KxwDomNamespace;
class KxwDomWatchDelete;

class KxwDomNamespaceCollection : public KxwDomHtmlCollectionGeneral {
public:
    explicit KxwDomNamespaceCollection(KxwDomEnv& mrtDomEnv);
    ~KxwDomNamespaceCollection() override;
    // The namespaces are the collection's own: emptying it deletes them.
    void Reset() override;

    // A new namespace appended as the last item (no check for an existing name); null without an owner document.
    KxwDomNamespace* AddNamespace(const char16_t* mpwsfName, unsigned muNameLen, const char16_t* mpwsfUrn,
                                  unsigned muUrnLen);
    KxwDomNamespace* AddNamespaceDcs(const char* mpsfName, unsigned muNameLen, const char* mpsfUrn, unsigned muUrnLen);
    // The first namespace of that name (ASCII case ignored), or null.
    KxwDomNamespace* GetNamespaceDcs(const char* mpsfName, int miLen) const;
    bool ItemExistsDcs(const char* mpsfName, int miLen) const { return GetNamespaceDcs(mpsfName, miLen) != nullptr; }

    // A namespaced element joined the document: it gets the behaviour of its namespace now, or when the parse
    // under way ends.
    void NotifyNamespacedElementConnected(KxwDomHtmlElement& mrtElement);
    // The parse ended: the elements that joined meanwhile get their behaviours.
    void ApplyPendingBehaviors();

    const KxwJswClassInformation* GetClassInformation() const override;
    static bool add_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);

private:
    KxwDomHtmlDocument* OwnerHtmlDocument(const char* mpszCaller);
    KxwDomNamespace* NewNamespace(const char* mpszCaller);
    void ApplyNamespaceBehavior(KxwDomHtmlElement& mrtElement);

    std::vector<std::unique_ptr<KxwDomWatchDelete>> _tPendingElements;
};
