// A window's response that is XML: its document of the XML parser's component (document.XMLDocument) and, when
// its first xml-stylesheet names a style sheet, that style sheet (document.XSLDocument) and the page the
// transformation makes, which the window shows in place of the XML. The style sheet is loaded by the replay engine
// (notification 37) before the page is built, so that it holds the window's onload as the page's own loads do.
#pragma once

#include <string>

#include "KxwAutomation.h"

class KxwDomHtmlDocument;
class KxwJswAutomationObject;

class KxwDomXmlResponse {
public:
    explicit KxwDomXmlResponse(KxwDomHtmlDocument& mrtDocument);
    ~KxwDomXmlResponse();
    KxwDomXmlResponse(const KxwDomXmlResponse&) = delete;
    KxwDomXmlResponse& operator=(const KxwDomXmlResponse&) = delete;

    // The response's bytes: parsed, and the style sheet asked for. False when no XML document could be made.
    bool SetDownloadedXml(const std::string& mrdsBody);
    // The style sheet's bytes (empty when its load failed): the XML is transformed with it.
    void SetDownloadedXsl(const std::string& mrdsBody, bool mbLoaded);
    // The absolute URL of the style sheet asked for, or empty.
    const std::string& GetXslUrl() const { return _dsXslUrl; }
    // The page the transformation made (HTML, UTF-8), given once; empty without one.
    std::string TakePage();

    KxwJswAutomationObject* GetXmlDocumentObject() const { return _ptXmlDocumentObject; }
    KxwJswAutomationObject* GetXslDocumentObject() const { return _ptXslDocumentObject; }

private:
    // The href of the first xml-stylesheet (or xml:stylesheet) processing instruction that has one.
    std::string FindStyleSheetHref() const;

    KxwDomHtmlDocument& _rtDocument;
    KxwAutoRef<KxwAutomation> _tXmlDocument;
    KxwAutoRef<KxwAutomation> _tXslDocument;
    KxwJswAutomationObject* _ptXmlDocumentObject = nullptr;  // owned
    KxwJswAutomationObject* _ptXslDocumentObject = nullptr;  // owned
    std::string _dsXslUrl;
    std::string _dsPage;
};
