// The radio groups of a document. A radio button joins the group of its form and name when it comes into the
// document, and leaves it when it goes; a group that loses its last radio goes too, so that no group outlives the
// form it names.
#pragma once

#include <memory>
#include <vector>

class KxwDomHtmlElementInput;
class KxwDomHtmlRadioGroup;
class KxwDomNodeBase;

class KxwDomHtmlRadioGroupMgr {
public:
    KxwDomHtmlRadioGroupMgr();
    ~KxwDomHtmlRadioGroupMgr();
    KxwDomHtmlRadioGroupMgr(const KxwDomHtmlRadioGroupMgr&) = delete;
    KxwDomHtmlRadioGroupMgr& operator=(const KxwDomHtmlRadioGroupMgr&) = delete;

    // Files the radio into the first eligible group, made when there is none. A radio without a name stays alone,
    // as it does in a browser.
    void Add(KxwDomHtmlElementInput* mptRadio);
    // The radio leaves its group (and the group goes when it is empty).
    void Remove(KxwDomHtmlElementInput* mptRadio);
    // Every radio under the node leaves its group.
    void RemoveDescendantOfInHtmlDocument(const KxwDomNodeBase* mptNode);
    // All groups go; their radios keep their own checked bits.
    void Reset();

    size_t GetGroupCount() const { return _tGroups.size(); }
    const KxwDomHtmlRadioGroup* GetGroup(size_t mnIndex) const {
        return mnIndex < _tGroups.size() ? _tGroups[mnIndex].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<KxwDomHtmlRadioGroup>> _tGroups;
};
