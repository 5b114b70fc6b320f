// The behaviour of one element: the document its behaviour file was built into, and the object its scripts run
// against. The file's scripts keep their functions and variables on this object (two elements with the same
// behaviour, or two behaviours, never share them, and the page's global gets none of them), and see it first: "element" (the
// element served), "document" (the behaviour's document) and, by bare name, the element's own properties. The
// file's PUBLIC:ATTACH elements become listeners, its PUBLIC:PROPERTY and PUBLIC:METHOD elements names the element
// answers. Script class "htc-document". Owned by its element.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KxwDomBase.h"
#include "KxwDomPropertyInfo.h"
#include "kxw/KxwJsval.h"

class KxwDomEventListener;
class KxwDomEventTarget;
class KxwDomHtcElementAttach;
class KxwDomHtcElementProperty;
class KxwDomHtmlDocumentWithHtc;
class KxwDomHtmlElement;
class KxwDomHtmlWindow;
class KxwDomWatchDelete;

class KxwDomHtcDocument : public KxwDomBase {
public:
    KxwDomHtcDocument(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler, KxwDomHtmlElement& mrtElement);
    ~KxwDomHtcDocument() override;

    KxwDomHtmlElement& GetElement() const { return _rtElement; }
    KxwDomHtmlDocumentWithHtc* GetDocument() const { return _ptDocument; }

    // Builds the behaviour file into the behaviour's document (its scripts run), then makes its declarations
    // live: listeners of its PUBLIC:ATTACH elements, variables of its PUBLIC:PROPERTY elements.
    void SetHTCContent(const char* mpsfText, unsigned muLen);
    // The names the behaviour's PUBLIC:PROPERTY and PUBLIC:METHOD elements declare, in document order.
    std::vector<std::string> GetDeclaredNames() const;
    bool IsHTCPropertyOrMethod(const char* mpszName) const;
    // A property's value, or the method element itself (a callable object); false for no such name.
    bool GetHTCElementPropertyOrMethod(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);
    // A script wrote element.name: true when a PUBLIC:PROPERTY of that name took the write.
    bool SetHTCElementProperty(const char* mpszName, const KxwJsval& mrtValue);

    // ---- The behaviour's scripts ----
    // Runs a script of the behaviour file (a SCRIPT element of its document).
    bool EvaluateScript(const char* mpsfTextDcs, unsigned muLen, const char* mpszFile, unsigned muFirstLine,
                        KxwDomNodeBase* mptInitiator);
    // Calls the behaviour's function of that name (a page function when the behaviour has none), with this object
    // as `this`; false when there is no such function or the call failed.
    bool CallFunction(const std::string& mrdsName, int miArgc, const KxwJsval* mpatArgv, KxwJsval* mptResult);
    bool HasVariable(const char* mpszName) const;
    bool ReadVariable(const std::string& mrdsName, KxwJsval& mrtValue) const;
    // A value as a triple that points into mrtHeld (and mrdfNumber), which the caller keeps until it converted it.
    static bool JsvalToTriple(KxwJsval& mrtHeld, double& mrdfNumber, void** mppvValue, unsigned* mpnLength,
                              KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetDomPropertyInfo(short mnTinyId, KxwDomPropertyInfo& mrtPropertyInfo) override;
    bool GetShouldAddJSRoot() override { return true; }
    const KxwDomHtmlCollectionGeneral* GetDefaultCollection() const override;
    KxwDomBase* GetItem(const char* mpszName, bool mbByIdentifier) override;
    KxwJswUserObjBase* GetJswScopeParentUserObj() override;
    KxwJswGlobal* GetJsiHomeGlobal() override;
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;

private:
    // A listener this behaviour put on the element, its document or its window, taken off when the behaviour goes.
    struct AddedListener {
        std::unique_ptr<KxwDomWatchDelete> _ptTarget;
        KxwDomEventListener* _ptListener;
    };

    KxwDomHtmlWindow* GetWindow() const;
    // The environment the file's scripts run in, made on first need in the window's realm; false without a window
    // or script host.
    bool ObtainVarObj();
    // Where the file's var and function declarations land: this object's engine object, which the scripts see
    // first (the engine makes the innermost object of their scope chain their variables object).
    KxwJsval VarStore() const;
    void AttachHandler(KxwDomHtcElementAttach& mrtAttach);
    void DeclareVariable(KxwDomHtcElementProperty& mrtProperty);
    KxwDomBase* FindDeclaration(const char* mpszName) const;

    KxwDomHtmlElement& _rtElement;
    KxwDomHtmlDocumentWithHtc* _ptDocument = nullptr;
    KxwJsvalProt _tVarObj;
    std::vector<AddedListener> _tListeners;
    // What the last read of an element property by bare name answered, for the caller to convert.
    KxwDomPropertyInfo _tLastRead;
};
