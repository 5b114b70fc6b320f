// KxwJswAutomationObject: an automation object (a control, an XML document or node) as scripts see it. Its members
// are found by name when a script first names them, ignoring case as the emulated browser does: a property reads
// and writes through the object, a method is a function that calls it. Collections answer obj[i], and calling the
// object itself calls its "item" member (rs.Fields("name")).
//
// One script object stands for one automation object while it lives (identity): Wrap answers the same one.
#pragma once

#include <string>

#include "KxwAutomation.h"
#include "KxwJswUserObjBase.h"
#include "kxw/KxwSevLvl.h"

class KxwJsval;

class KXW_API KxwJswAutomationObject : public KxwJswUserObjBase {
public:
    // mbOwnedByScript: the script object owns this wrapper (deleted after it dies); otherwise C++ owns it and keeps
    // its script object alive, expandos included. Takes a reference of its own on the object.
    KxwJswAutomationObject(KxwAutomation* mptObject, bool mbOwnedByScript);
    ~KxwJswAutomationObject() override;

    // The object's script wrapper: its existing one, or a new one owned by its script object (null and reported
    // when the thread has no script engine).
    static KxwJswAutomationObject* Wrap(KxwAutomation* mptObject);
    // The automation object behind a script value, or null when the value is no automation object.
    static KxwAutomation* ObjectOfValue(const KxwJsval& mrtValue);

    KxwAutomation* GetObject() const { return _tObject.Get(); }
    // The element or window whose container the object lives in: its window is the object's scope.
    void SetActiveXSite(KxwJswUserObjBase* mptSite) { _ptSite = mptSite; }

    // Reports a failed automation operation: the text, the result code and its description, the object.
    static void LogAutomantionErrorMsg(long mlResult, const char* mpszText, KxwJswUserObjBase* mptObject,
                                       KXW_WTL_SEV_LVL_ENUM meSevLvl);

    // The constructor behind new ActiveXObject(name), and which windows see it: the library decides (process
    // start, before any script runs).
    static void SetScriptConstructor(KxwJswConstructorCallback mpfConstruct,
                                     bool (*mpfIsAvailable)(KxwJswUserObjBase* mptWindow));
    static KxwJswUserObjBase* ConstructFromScript(KxwJswCallArgs& mrtArgs);

    // Conversions between script values and automation values.
    static KxwAutoValue ValueFromScript(const KxwJsval& mrtValue);
    static bool ValueToScript(const KxwAutoValue& mrtValue, KxwJsval& mrtResult);

    // ---- The wrapper's operations ----
    const KxwJswClassInformation* GetClassInformation() const override;
    bool GetShouldBeDeletedAtFinalize() override { return _bOwnedByScript; }
    bool GetShouldAddJSRoot() override { return !_bOwnedByScript; }
    KxwJswAutomationObject* GetAutomationObject() override { return this; }
    KxwJswUserObjBase* GetJswScopeParentUserObj() override { return _ptSite; }
    bool IsResolved(const char* mpszName) override;
    bool GetPropertyByName(const char* mpszName, void** mppvValue, unsigned* mpnLength,
                           KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    bool SetNamedItem(const char* mpszName, const KxwJsval& mrtValue) override;
    bool GetPropByIndex(int32_t mnIndex, void** mppvValue, unsigned* mpnLength,
                        KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType) override;
    void GetEnumerableItems(unsigned long& mruliIndexCount, std::vector<std::string>& mrtNames) override;
    bool InvokeMethod(KxwJswCallArgs& mrtArgs) override;

    // Calls a member with the script's arguments; the result goes to the call.
    bool CallMember(int32_t miId, const char* mpszName, KxwJswCallArgs& mrtArgs);

private:
    // A value as a triple whose texts and numbers stay here until the next one.
    bool ValueToTriple(const KxwAutoValue& mrtValue, void** mppvValue, unsigned* mpnLength,
                       KXW_JSW_OBJ_PROP_TYPE_ENUM* mpeType);

    KxwAutoRef<KxwAutomation> _tObject;
    bool _bOwnedByScript;
    KxwJswUserObjBase* _ptSite = nullptr;
    std::u16string _dsText;
    double _dNumber = 0;
};
