// The dictionary class pages create with new ActiveXObject("Scripting.Dictionary"): keys (texts, or numbers
// taken as their text) with a value each, in the order they were added. Keys() and Items() answer a list that
// scripts index (list[i], list.length, list.getItem(i)).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "KxwAutomation.h"

class KxwAutoDictionary : public KxwAutomationTable<KxwAutoDictionary> {
public:
    KxwAutoDictionary();
    static KxwAutomation* Create();
    // Its class id and names, for the registry.
    static const char kszClassId[];
    static const char* const kapszProgIds[];

    const char* GetInterfaceName() const override { return "IDictionary"; }
    std::string GetErrorDescription() const override { return _dsError; }

private:
    KxwAutoResult Add(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Exists(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Remove(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult RemoveAll(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Keys(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Items(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult GetCount(KxwAutoValue& mrtResult);
    KxwAutoResult GetCompareMode(KxwAutoValue& mrtResult);
    KxwAutoResult PutCompareMode(const KxwAutoValue& mrtValue);

    // The key's text as the dictionary compares it (folded to lower case in text mode); false for a key that is
    // no text or number.
    bool KeyOf(const KxwAutoArgs& mrtArgs, std::u16string& mrdsKey);
    KxwAutoResult Fail(KxwAutoResult mlResult, const char* mpszWhy);

    static const KxwAutoMemberRow<KxwAutoDictionary> katMembers[];
    std::vector<std::pair<std::u16string, KxwAutoValue>> _tEntries;  // the key as given, and its value
    std::unordered_map<std::u16string, size_t> _tIndex;              // compared key to its entry
    int32_t _iCompareMode = 0;                                       // 0 binary, 1 text
    std::string _dsError;
};
