#include "KxwAutoDictionary.h"

#include <new>

#include "KxwUtilReport.h"

namespace {

// What Keys() and Items() answer: a fixed copy that scripts index.
class KxwAutoList : public KxwAutomationTable<KxwAutoList> {
public:
    explicit KxwAutoList(std::vector<KxwAutoValue> mtValues);
    const char* GetInterfaceName() const override { return "IList"; }
    bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) override {
        if (miIndex < 0 || static_cast<size_t>(miIndex) >= _tValues.size()) return false;
        mrtResult = _tValues[static_cast<size_t>(miIndex)];
        return true;
    }
    int32_t GetItemCount() override { return static_cast<int32_t>(_tValues.size()); }

private:
    KxwAutoResult GetLength(KxwAutoValue& mrtResult) {
        mrtResult = KxwAutoValue::Int(GetItemCount());
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult GetItemAt(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
        int32_t iIndex = 0;
        if (mrtArgs.empty() || !mrtArgs[0].ToInt(iIndex)) return KXW_AUTO_E_INVALIDARG;
        if (!GetItem(iIndex, mrtResult)) mrtResult = KxwAutoValue();
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult UBound(const KxwAutoArgs&, KxwAutoValue& mrtResult) {
        mrtResult = KxwAutoValue::Int(GetItemCount() - 1);
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult LBound(const KxwAutoArgs&, KxwAutoValue& mrtResult) {
        mrtResult = KxwAutoValue::Int(0);
        return KXW_AUTO_S_OK;
    }
    static const KxwAutoMemberRow<KxwAutoList> katMembers[];
    std::vector<KxwAutoValue> _tValues;
};

const KxwAutoMemberRow<KxwAutoList> KxwAutoList::katMembers[] = {
    {"length", &KxwAutoList::GetLength, nullptr, nullptr},
    {"getItem", nullptr, nullptr, &KxwAutoList::GetItemAt},
    {"item", nullptr, nullptr, &KxwAutoList::GetItemAt},
    {"ubound", nullptr, nullptr, &KxwAutoList::UBound},
    {"lbound", nullptr, nullptr, &KxwAutoList::LBound},
};

KxwAutoList::KxwAutoList(std::vector<KxwAutoValue> mtValues)
    : KxwAutomationTable<KxwAutoList>(katMembers), _tValues(std::move(mtValues)) {}

KxwAutoValue NewList(std::vector<KxwAutoValue> mtValues) {
    auto* ptList = new (std::nothrow) KxwAutoList(std::move(mtValues));
    if (!ptList) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwAutoList)), "KxwAutoList");
    return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>::Adopt(ptList));
}

}  // namespace

const char KxwAutoDictionary::kszClassId[] = "{EE09B103-97E0-11CF-978F-00A02463E0FA}";
const char* const KxwAutoDictionary::kapszProgIds[] = {"Scripting.Dictionary", nullptr};

const KxwAutoMemberRow<KxwAutoDictionary> KxwAutoDictionary::katMembers[] = {
    {"Add", nullptr, nullptr, &KxwAutoDictionary::Add},
    {"Exists", nullptr, nullptr, &KxwAutoDictionary::Exists},
    {"Item", nullptr, nullptr, &KxwAutoDictionary::Item},
    {"Remove", nullptr, nullptr, &KxwAutoDictionary::Remove},
    {"RemoveAll", nullptr, nullptr, &KxwAutoDictionary::RemoveAll},
    {"Keys", nullptr, nullptr, &KxwAutoDictionary::Keys},
    {"Items", nullptr, nullptr, &KxwAutoDictionary::Items},
    {"Count", &KxwAutoDictionary::GetCount, nullptr, nullptr},
    {"CompareMode", &KxwAutoDictionary::GetCompareMode, &KxwAutoDictionary::PutCompareMode, nullptr},
};

KxwAutoDictionary::KxwAutoDictionary() : KxwAutomationTable<KxwAutoDictionary>(katMembers) {}

KxwAutomation* KxwAutoDictionary::Create() { return new (std::nothrow) KxwAutoDictionary(); }

KxwAutoResult KxwAutoDictionary::Fail(KxwAutoResult mlResult, const char* mpszWhy) {
    _dsError = mpszWhy;
    return mlResult;
}

bool KxwAutoDictionary::KeyOf(const KxwAutoArgs& mrtArgs, std::u16string& mrdsKey) {
    if (mrtArgs.empty() || mrtArgs[0].GetType() == KXW_AUTO_VALUE_OBJECT ||
        mrtArgs[0].GetType() == KXW_AUTO_VALUE_CALLABLE || mrtArgs[0].GetType() == KXW_AUTO_VALUE_FOREIGN ||
        !mrtArgs[0].ToString(mrdsKey))
        return false;
    if (_iCompareMode == 1)
        for (char16_t& rc : mrdsKey)
            if (rc >= u'A' && rc <= u'Z') rc = static_cast<char16_t>(rc + 32);
    return true;
}

KxwAutoResult KxwAutoDictionary::Add(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::u16string dsKey;
    if (mrtArgs.size() < 2 || !KeyOf(mrtArgs, dsKey))
        return Fail(KXW_AUTO_E_INVALIDARG, "Add takes a key (a text or a number) and an item");
    if (_tIndex.count(dsKey))
        return Fail(KXW_AUTO_E_INVALIDARG, "This key is already associated with an element of this collection");
    std::u16string dsGiven;
    mrtArgs[0].ToString(dsGiven);
    _tIndex.emplace(dsKey, _tEntries.size());
    _tEntries.emplace_back(std::move(dsGiven), mrtArgs[1]);
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::Exists(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::u16string dsKey;
    if (!KeyOf(mrtArgs, dsKey)) return Fail(KXW_AUTO_E_INVALIDARG, "Exists takes a key (a text or a number)");
    mrtResult = KxwAutoValue::Bool(_tIndex.count(dsKey) != 0);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::u16string dsKey;
    if (!KeyOf(mrtArgs, dsKey)) return Fail(KXW_AUTO_E_INVALIDARG, "Item takes a key (a text or a number)");
    auto it = _tIndex.find(dsKey);
    mrtResult = it == _tIndex.end() ? KxwAutoValue() : _tEntries[it->second].second;
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::Remove(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    std::u16string dsKey;
    if (!KeyOf(mrtArgs, dsKey)) return Fail(KXW_AUTO_E_INVALIDARG, "Remove takes a key (a text or a number)");
    auto it = _tIndex.find(dsKey);
    if (it == _tIndex.end()) return Fail(KXW_AUTO_E_INVALIDARG, "Element not found");
    size_t nAt = it->second;
    _tEntries.erase(_tEntries.begin() + static_cast<std::ptrdiff_t>(nAt));
    _tIndex.erase(it);
    for (auto& rtEntry : _tIndex)
        if (rtEntry.second > nAt) --rtEntry.second;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::RemoveAll(const KxwAutoArgs&, KxwAutoValue& mrtResult) {
    _tEntries.clear();
    _tIndex.clear();
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::Keys(const KxwAutoArgs&, KxwAutoValue& mrtResult) {
    std::vector<KxwAutoValue> tKeys;
    tKeys.reserve(_tEntries.size());
    for (const auto& rtEntry : _tEntries) tKeys.push_back(KxwAutoValue::String(rtEntry.first));
    mrtResult = NewList(std::move(tKeys));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::Items(const KxwAutoArgs&, KxwAutoValue& mrtResult) {
    std::vector<KxwAutoValue> tItems;
    tItems.reserve(_tEntries.size());
    for (const auto& rtEntry : _tEntries) tItems.push_back(rtEntry.second);
    mrtResult = NewList(std::move(tItems));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::GetCount(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(static_cast<int32_t>(_tEntries.size()));
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::GetCompareMode(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(_iCompareMode);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwAutoDictionary::PutCompareMode(const KxwAutoValue& mrtValue) {
    int32_t iMode = 0;
    if (!mrtValue.ToInt(iMode) || iMode < 0 || iMode > 1)
        return Fail(KXW_AUTO_E_INVALIDARG, "CompareMode is 0 (binary) or 1 (text)");
    // The mode holds for the keys to come: as in the original, it cannot change once keys are in.
    if (!_tEntries.empty()) return Fail(KXW_AUTO_E_ACCESSDENIED, "CompareMode cannot change while the dictionary holds keys");
    _iCompareMode = iMode;
    return KXW_AUTO_S_OK;
}
