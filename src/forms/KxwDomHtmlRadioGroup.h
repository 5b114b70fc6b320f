// The radio buttons of one form (or of none) that share a name, compared ignoring case: at most one of them is
// checked, the group's checked radio. The document's radio group manager makes and keeps the groups.
#pragma once

#include <string>
#include <vector>

class KxwDomHtmlElementForm;
class KxwDomHtmlElementInput;
class KxwDomHtmlRadioGroupMgr;

class KxwDomHtmlRadioGroup {
public:
    KxwDomHtmlRadioGroup(KxwDomHtmlRadioGroupMgr& mrtMgr, KxwDomHtmlElementForm* mptContainingForm,
                         const std::u16string& mdsGroupName);
    // The radios forget the group.
    ~KxwDomHtmlRadioGroup();
    KxwDomHtmlRadioGroup(const KxwDomHtmlRadioGroup&) = delete;
    KxwDomHtmlRadioGroup& operator=(const KxwDomHtmlRadioGroup&) = delete;

    // Whether the radio belongs here: the same containing form (or both none) and the same name, ignoring case.
    bool IsEligible(KxwDomHtmlElementInput& mrtRadio) const;
    // A radio whose checked bit is set becomes the checked one (so among pre-checked radios the last added wins).
    void Add(KxwDomHtmlElementInput* mptRadio);
    // The radio leaves; when it was the checked one the group has none.
    void Remove(KxwDomHtmlElementInput* mptRadio);

    KxwDomHtmlElementInput* GetCheckedElement() const { return _ptCheckedElement; }
    // The checked bits follow: the new one is set, the one before cleared. Null unchecks the group.
    void SetCheckedElement(KxwDomHtmlElementInput* mptRadioOrNull);

    void SetGroupName(const std::u16string& mdsGroupName) { _dsGroupName = mdsGroupName; }
    const std::u16string& GetGroupName() const { return _dsGroupName; }
    KxwDomHtmlElementForm* GetContainingForm() const { return _ptContainingForm; }
    const std::vector<KxwDomHtmlElementInput*>& GetRadios() const { return _tRadios; }
    bool IsEmpty() const { return _tRadios.empty(); }
    KxwDomHtmlRadioGroupMgr& GetMgr() const { return _rtMgr; }

private:
    KxwDomHtmlRadioGroupMgr& _rtMgr;
    KxwDomHtmlElementForm* _ptContainingForm;
    std::u16string _dsGroupName;
    std::vector<KxwDomHtmlElementInput*> _tRadios;  // in order of addition
    KxwDomHtmlElementInput* _ptCheckedElement = nullptr;
};
