// Members of a derived interface before its base's: the document answers its own members first and then every
// member of a node, as the document interface extends the node interface.
#pragma once

#include <cstddef>
#include <utility>

#include "KxwAutomation.h"

template <typename TDerived, typename TBase>
class KxwXmlDomChainedTable : public TBase {
public:
    // The base's ids are moved above this offset, so both tables keep their own row numbers.
    static constexpr int32_t kiBaseOffset = 1 << 16;

    template <size_t N, typename... TArgs>
    explicit KxwXmlDomChainedTable(const KxwAutoMemberRow<TDerived> (&matRows)[N], TArgs&&... mtArgs)
        : TBase(std::forward<TArgs>(mtArgs)...), _patRows(matRows), _nRows(N) {}

    bool FindMember(const char* mpszName, KxwAutoMember& mrtMember) override {
        for (size_t n = 0; n < _nRows; ++n) {
            if (!xfbKxwAutoNameEquals(_patRows[n]._pszName, mpszName)) continue;
            mrtMember._iId = static_cast<int32_t>(n);
            mrtMember._eKind = _patRows[n]._pfCall ? KXW_AUTO_MEMBER_METHOD : KXW_AUTO_MEMBER_PROPERTY;
            return true;
        }
        if (!TBase::FindMember(mpszName, mrtMember)) return false;
        mrtMember._iId += kiBaseOffset;
        return true;
    }
    KxwAutoResult Get(int32_t miId, KxwAutoValue& mrtResult) override {
        if (miId >= kiBaseOffset) return TBase::Get(miId - kiBaseOffset, mrtResult);
        const KxwAutoMemberRow<TDerived>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfGet) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<TDerived*>(this)->*(ptRow->_pfGet))(mrtResult);
    }
    KxwAutoResult Put(int32_t miId, const KxwAutoValue& mrtValue) override {
        if (miId >= kiBaseOffset) return TBase::Put(miId - kiBaseOffset, mrtValue);
        const KxwAutoMemberRow<TDerived>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfPut) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<TDerived*>(this)->*(ptRow->_pfPut))(mrtValue);
    }
    KxwAutoResult Call(int32_t miId, const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) override {
        if (miId >= kiBaseOffset) return TBase::Call(miId - kiBaseOffset, mrtArgs, mrtResult);
        const KxwAutoMemberRow<TDerived>* ptRow = Row(miId);
        if (!ptRow || !ptRow->_pfCall) return KXW_AUTO_E_MEMBERNOTFOUND;
        return (static_cast<TDerived*>(this)->*(ptRow->_pfCall))(mrtArgs, mrtResult);
    }

private:
    const KxwAutoMemberRow<TDerived>* Row(int32_t miId) const {
        return miId >= 0 && static_cast<size_t>(miId) < _nRows ? &_patRows[miId] : nullptr;
    }
    const KxwAutoMemberRow<TDerived>* _patRows;
    size_t _nRows;
};
