// XML: a data island. Its XML, written inside the element or downloaded from its src, is parsed into an XML
// document of the XML parser's component; scripts reach it as XMLDocument, read its rows as recordset, and any
// member the element does not have is the document's (xml.documentElement, xml.selectNodes(...)). A download
// holds the window's onload until it arrives.
#pragma once

#include <string>

#include "KxwAutomation.h"
#include "KxwDomHtmlElement.h"

class KxwJswAutomationObject;

class KxwDomHtmlElementXml : public KxwDomHtmlElement {
public:
    KxwDomHtmlElementXml(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementXml() override;

    // Replaces the XML document with one parsed from the text (UTF-16). False when no document could be made.
    bool CreateXmlDocument(const char16_t* mpwsfXml, size_t mnLen);
    // The body of the src download (its bytes; the XML names its own encoding, UTF-8 otherwise).
    void SetDownloadedXml(const std::string& mrdsBody);
    // The end tag was parsed: the inline content becomes the document, or the src is asked for.
    void NotifyFinishedParsing();
    // The absolute URL of src, or empty.
    std::string GetUrlToDownload() const;
    KxwAutomation* GetXmlDocument() const { return _tXmlDocument.Get(); }
    // The record set over the document, made on first need; null without a document.
    KxwJswAutomationObject* GetRecordSet();

    bool AddInnerTextDcs(const char* mpsfDcsStr, unsigned muDcsLenInBytes) override;
    void NotifyStartDownload() override;
    void NotifyDownloadComplete() override;
    void NotifyDownloadFailed(KXW_WTL_SEV_LVL_ENUM meSevLvl, char* mpszMsg, int miMsgId) override;

    KxwJswAutomationObject* GetAutomationObject() override { return _ptXmlDocumentObject; }
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) override;

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    void ReleaseXmlDocument();
    void RequestSrc();

    KxwDomHtmlPropertyStr _tSrc;
    std::string _dsInline;  // the inline content, DCS, until the end tag
    KxwAutoRef<KxwAutomation> _tXmlDocument;
    KxwJswAutomationObject* _ptXmlDocumentObject = nullptr;  // owned
    KxwJswAutomationObject* _ptRecordSetObject = nullptr;    // owned
    bool _bFinishedParsing = false;
    bool _bDownloading = false;
};
