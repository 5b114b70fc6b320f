// A namespace a page declared (an "xmlns:" attribute of its HTML element, or namespaces.add): its name, the
// prefix its elements' tags carry, its URN, and the element behaviours imported for it (doImport), one record per
// component tag name. An element whose prefix names the namespace and whose local name names a record gets that
// record's behaviour. Script class "namespace".
#pragma once

#include <string>
#include <vector>

#include "KxwDomCoreNode.h"
#include "KxwDomHtmlProperty.h"

class KxwDomHtmlDocument;
class KxwDomHtmlElement;
class KxwJswCallArgs;

class KxwDomNamespace : public KxwDomCoreNode {
public:
    // One imported component: its tag name (without prefix) and the text of the behaviour file that declared it.
    struct KxwElementBehavior {
        std::string _dsTagName;
        std::string _dsText;
    };

    KxwDomNamespace(KxwDomHtmlDocument* mptOwnerDocument, KxwMemMgr* mptMemMgr);
    ~KxwDomNamespace() override;

    const KxwDomHtmlPropertyStr& GetName() const { return _tName; }
    void SetName(const char16_t* mpwsfName, unsigned muLen) { _tName.SetU16n(mpwsfName, muLen); }
    void SetNameDcs(const char* mpsfName, unsigned muLen) { _tName.SetDcs(mpsfName, muLen); }
    const KxwDomHtmlPropertyStr& GetUrn() const { return _tUrn; }
    void SetUrn(const char16_t* mpwsfUrn, unsigned muLen) { _tUrn.SetU16n(mpwsfUrn, muLen); }
    void SetUrnDcs(const char* mpsfUrn, unsigned muLen) { _tUrn.SetDcs(mpsfUrn, muLen); }
    // Whether the name equals mpsfName ignoring ASCII case (an absent name equals only the empty one).
    bool HasName(const char* mpsfName, size_t mnLen) const;

    // ---- Imports ----
    // A downloaded behaviour file (the DOM command): every component it declares becomes a record, and the
    // elements of the document that the new records serve and that have no behaviour yet get theirs now.
    void AddDownloadedElementBehavior(const std::string& mrdsText);
    // One component: a record of that tag (ignoring case) takes the new text, else a new record is made.
    void AddDownloadedElementBehavior(const std::string& mrdsText, const char* mpszTagName);
    // Gives the element the behaviour of the record its tag names: its prefix must be this namespace's name and
    // its local name a record's tag. False when no record serves it (or it has a behaviour already).
    bool SetElementBehavior(KxwDomHtmlElement* mptElement);
    const std::vector<KxwElementBehavior>& GetElementBehaviors() const { return _tElementBehaviors; }

    KxwDomHtmlDocument* GetOwnerHtmlDocument() const;
    const char* GetBaseURL(unsigned* mpuLen) const;

    // ---- The wrapper's operations ----
    KXW_DOM_COMMON_NODE_TYPE_ENUM GetNodeType() const override { return KXW_DOM_COMMON_NODE_TYPE_NONE; }
    KXW_DOM_COMMON_NODE_SUBTYPE_ENUM GetNodeSubtype() const override { return KXW_DOM_COMMON_NODE_SUBTYPE_NONE; }
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    // Script "doImport(url)".
    static bool doImport_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);

private:
    // Whether the tag (as the element carries it, "my:widget") is served by the record: the prefix names this
    // namespace and the local part the record's tag.
    bool Serves(const KxwElementBehavior& mrtRecord, const char* mpsfTag, size_t mnLen) const;

    KxwDomHtmlPropertyStr _tName;
    KxwDomHtmlPropertyStr _tUrn;
    std::vector<KxwElementBehavior> _tElementBehaviors;
};
