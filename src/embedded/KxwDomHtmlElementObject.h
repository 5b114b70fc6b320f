// OBJECT: an embedded object. One that names no class id, or a Java class id, is an applet in OBJECT clothing: at
// its end tag it makes an inner APPLET element in the same document, gives it the applet's code, code base and
// archives (the OBJECT's attributes without a class id, its PARAMs "code", "codebase", "archive" or
// "cache_archive" with one), and hands it every member a script asks for that the OBJECT does not define itself.
// Any other object is an ActiveX control: made from the registry at the first script access to a member when the
// settings allow, and then answering every member it has. A class outside the registry leaves the element with
// its DOM behaviour only; the one class the emulated browser hosts itself (its own browser control) answers every
// call with nothing.
#pragma once

#include "KxwDomHtmlElementWithName.h"
#include "KxwDomReflectedText.h"

class KxwDomHtmlElementApplet;
class KxwJswAutomationObject;

class KxwDomHtmlElementObject : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementObject(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementObject() override;

    // No class id, "clsid:8AD9C840-044E-11D1-B3E9-00805F499D93", or "clsid:CAFEEFAC-...-ABCDEFFEDCBA" (case
    // ignored).
    bool IsApplet() const;
    static bool IsAppletClassId(const std::u16string& mrdsClassId);
    // The end tag was parsed (once): an applet makes its inner applet and starts it.
    void NotifyFinishedParsing();
    KxwDomHtmlElementApplet* GetInnerApplet() const { return _ptInnerApplet; }
    // Only "clsid:8856F961-340A-11D0-A96B-00C04FD705A2" (case ignored); the answer is kept.
    bool IsSupported() const;
    // Makes the control on the first need (once); false when there is none.
    bool CreateActiveX();
    KxwJswAutomationObject* GetAutomationObject() override { return _ptActiveX; }

    const KxwDomHtmlPropertyStr& GetClassId() const { return _tClassId; }
    const KxwDomHtmlPropertyStr& GetCodeBase() const { return _tCodeBase; }
    const KxwDomHtmlPropertyStr& GetCode() const { return _tCode; }
    const KxwDomHtmlPropertyStr& GetArchive() const { return _tArchive; }

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
    static const KxwDomReflectedText<KxwDomHtmlElementObject> katReflectedTexts[4];
    std::u16string ParamValue(const char* mpszName) const;
    // The control for a script's access: made now if it may be; reports once when it is not available.
    KxwJswAutomationObject* ControlForScript();

    KxwDomHtmlPropertyStr _tClassId;
    KxwDomHtmlPropertyStr _tCodeBase;
    KxwDomHtmlPropertyStr _tCode;
    KxwDomHtmlPropertyStr _tArchive;
    KxwDomHtmlElementApplet* _ptInnerApplet = nullptr;
    bool _bFinishedParsing = false;
    KxwJswAutomationObject* _ptActiveX = nullptr;  // owned
    bool _bActiveXTried = false;
    bool _bUnavailableReported = false;
    mutable int8_t _iSupported = -1;  // unknown until asked
};
