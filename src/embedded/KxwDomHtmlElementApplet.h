// APPLET: a Java applet run for real in the process's Java VM. At its end tag the element asks the engine for its
// archives (notification 34, loaded by DOM commands of type 11), in order, and holds its window's onload; once the
// last has arrived or failed it starts the applet at the next safe point. Scripts then reach the applet's public
// methods and fields as the element's own members (document.applets[0].add(1, 2), document.chart.title), and the
// applet reaches the page back through its stub, its context and netscape.javascript.JSObject. Without a VM the
// element is an ordinary element that does nothing.
//
// The Java side knows the element only by an id from KxwDomJavaHandles, which the destructor gives up: a call
// back for an element that went finds nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "KxwDomHtmlElementWithName.h"
#include "KxwDomReflectedText.h"

class KxwDomOnLoadHold;
class KxwDomJavaVUser;
class KxwiRunTimeSettings;
class KxwJswCallArgs;

class KxwDomHtmlElementApplet : public KxwDomHtmlElementWithName {
public:
    KxwDomHtmlElementApplet(KxwDomHtmlDocument* mptOwnerDocument, bool mbUseMemMgr);
    ~KxwDomHtmlElementApplet() override;

    // ---- The process and the virtual users ----
    static bool GlobalInit(const KxwiRunTimeSettings& mrtRTS);
    static void GlobalDestroy();
    // The virtual user's side of the bridge (a KxwDomJavaVUser), or null without a VM.
    static void* VuserInit();
    static void VuserDestroy(void* mpvVuserJavaObject);
    static void IterationReset(void* mpvVuserJavaObject, bool mbFull);
    // The safe point of a virtual user: applets waiting to start start, and the calls its Java threads queued run.
    static void Service(void* mpvVuserJavaObject);

    // ---- Attributes ----
    const KxwDomHtmlPropertyStr& GetCode() const { return _tCode; }
    const KxwDomHtmlPropertyStr& GetCodeBase() const { return _tCodeBase; }
    const KxwDomHtmlPropertyStr& GetArchive() const { return _tArchive; }
    bool IsSpecifiedCode() const { return _tCode.IsSpecified(); }
    bool IsEmptyCode() const { return _tCode.IsEmpty(); }
    bool IsSpecifiedArchive() const { return _tArchive.IsSpecified(); }
    bool IsEmptyArchive() const { return _tArchive.IsEmpty(); }
    // An OBJECT that is an applet gives its inner applet these values.
    void SetAppletAttributes(const std::u16string& mrdsCode, const std::u16string& mrdsCodeBase,
                             const std::u16string& mrdsArchive);
    // The PARAM child named exactly mrdsName (the OBJECT's when this applet is an OBJECT's); false when none.
    bool GetParamValue(const std::u16string& mrdsName, std::u16string& mrdsValue) const;
    // The code base as a full URL (the document's base when none is given), ending with '/'.
    std::string GetActualCodeBase() const;
    // The element whose PARAM children and window count: the OBJECT for an OBJECT's inner applet.
    void SetHostElement(KxwDomHtmlElement* mptHost) { _ptHost = mptHost; }

    // ---- Loading and starting ----
    // The end tag was parsed (once): the archives are asked for, and the start follows them.
    void NotifyFinishedParsing();
    // The URL of an archive or class name against the code base.
    std::string PrepareUrlToDownload(const std::string& mrdsName) const;
    // What notification 34 asks for: the URL, and whether the Java code waits for it during the call (a class).
    const std::string& GetUrlToDownload(bool* mpbNeededNow) const;
    // A DOM command took the request (type 11).
    void NotifyJavaCodeRequested(const std::string& mrdsUrl);
    // The Java class loader needs one more class: asked for at once, delivered before this returns when the
    // engine can.
    void DownloadExtraClass(const std::string& mrdsClassName);
    // A request ended: its body, or null when it failed.
    void NotifyJavaCode(const std::string& mrdsUrl, const std::string* mptBody);
    bool IsStarted() const { return _bStarted; }
    uint64_t GetHandle() const { return _uHandle; }

    // ---- Script access to the applet's members ----
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) override;
    // Calls the applet's method mrdsName with the script's arguments; the result is the script's.
    bool InvokeAppletMethod(const std::string& mrdsName, KxwJswCallArgs& mrtArgs);
    // The member's type as Java gives it ("none", "int", "int()" for a method ...), asked once per name.
    std::string ResolveProperty(const std::string& mrdsName);

    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool SetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    void GenerateHtmlProperties(KxwDomHtmlTextsStr& mrtText) const override;
    static const KxwJswClassInformation& GetAppletClassInformation();

protected:
    bool SetParsedProperty(const char* mpszName, const char* mpszValueOrNull) override;
    void CopyClassPropertiesTo(KxwDomHtmlElement& mrtClone) const override;

private:
    static const KxwDomReflectedText<KxwDomHtmlElementApplet> katReflectedTexts[3];
    friend class KxwDomJavaVUser;
    struct Request {
        std::string _dsUrl;
        bool _bClass = false;  // an extra class (else an archive)
        bool _bTaken = false;  // a DOM command took it
    };
    KxwDomJavaVUser* GetJavaVUser() const;
    bool CreateJavaEnv();
    void RequestDownload(const std::string& mrdsUrl, bool mbClass);
    // Starts the applet when no archive is outstanding (from the virtual user's safe point).
    void InitializeApplet();
    void DispatchJavaCode(const Request& mrtRequest, const std::string& mrdsBody);
    void StopApplet();

    KxwDomHtmlPropertyStr _tCode;
    KxwDomHtmlPropertyStr _tCodeBase;
    KxwDomHtmlPropertyStr _tArchive;
    uint64_t _uHandle = 0;
    void* _pvAppletMgr = nullptr;  // the VokAppletMgr (a JNI global reference)
    KxwDomHtmlElement* _ptHost = nullptr;
    std::vector<Request> _tRequests;
    std::string _dsUrlToDownload;
    bool _bUrlNeededNow = false;
    bool _bFinishedParsing = false;
    bool _bStartQueued = false;
    bool _bStarted = false;
    std::unique_ptr<KxwDomOnLoadHold> _ptOnLoadHold;
    std::unordered_map<std::string, std::string> _tMemberTypes;
    // The last value read from Java, for the triple handed to the script.
    std::u16string _dsLastRetVal;
    double _dfLastRetVal = 0;
};
