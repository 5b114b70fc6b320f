#include "KxwXmlDomRecordset.h"

#include <new>

#include "KxwUtilReport.h"
#include "KxwXmlDomDocument.h"
#include "KxwXmlDomNode.h"
#include "KxwXmlDomTree.h"
#include "KxwXmlDomUtil.h"

namespace {

// The record set's own failures, with the codes and texts scripts of the time saw from record sets.
constexpr KxwAutoResult klNoCurrentRecord = static_cast<int32_t>(0x800A0BCDu);
constexpr KxwAutoResult klItemNotFound = static_cast<int32_t>(0x800A0CC1u);
constexpr int32_t kiPositionBof = -2;
constexpr int32_t kiPositionEof = -3;

// One field of the record set, by name: its value is the current row's.
class KxwXmlDomRecordsetField : public KxwAutomationTable<KxwXmlDomRecordsetField> {
public:
    KxwXmlDomRecordsetField(KxwXmlDomRecordset* mptRecordset, std::string mdsName);
    const char* GetInterfaceName() const override { return "Field"; }
    std::string GetErrorDescription() const override { return _ptRecordset->GetErrorDescription(); }

private:
    xmlNode* Current() {
        xmlNode* ptRow = _ptRecordset->CurrentRow();
        if (!ptRow) return nullptr;
        for (xmlNode* ptField : KxwXmlDomRecordset::FieldsOf(ptRow))
            if (xfdsKxwXmlDomQualifiedName(ptField) == _dsName) return ptField;
        return nullptr;
    }
    KxwAutoResult GetName(KxwAutoValue& mrtResult) {
        mrtResult = KxwAutoValue::Utf8(_dsName);
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult GetValue(KxwAutoValue& mrtResult) {
        if (!_ptRecordset->CurrentRow())
            return _ptRecordset->Fail(klNoCurrentRecord,
                                      "Either BOF or EOF is True, or the current record has been deleted. Requested "
                                      "operation requires a current record.");
        xmlNode* ptField = Current();
        mrtResult = ptField ? KxwAutoValue::String(xfdsKxwXmlDomU16(KxwXmlDomNode::TextOf(ptField, false)))
                            : KxwAutoValue::Null();
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult PutValue(const KxwAutoValue& mrtValue) {
        if (!_ptRecordset->CurrentRow())
            return _ptRecordset->Fail(klNoCurrentRecord,
                                      "Either BOF or EOF is True, or the current record has been deleted. Requested "
                                      "operation requires a current record.");
        xmlNode* ptField = Current();
        if (!ptField) return _ptRecordset->Fail(klItemNotFound, "The current record has no field " + _dsName);
        std::string dsValue;
        std::string dsError;
        KxwAutoResult lResult = xflKxwXmlDomValueText(mrtValue, "Value", dsValue, dsError);
        if (!xfbKxwAutoSucceeded(lResult)) return _ptRecordset->Fail(lResult, dsError);
        _ptRecordset->SetFieldText(ptField, dsValue);
        return KXW_AUTO_S_OK;
    }
    static const KxwAutoMemberRow<KxwXmlDomRecordsetField> katMembers[];
    KxwXmlDomRecordset* _ptRecordset;
    KxwAutoRef<KxwAutomation> _tRecordsetRef;
    std::string _dsName;
};

const KxwAutoMemberRow<KxwXmlDomRecordsetField> KxwXmlDomRecordsetField::katMembers[] = {
    {"Name", &KxwXmlDomRecordsetField::GetName, nullptr, nullptr},
    {"Value", &KxwXmlDomRecordsetField::GetValue, &KxwXmlDomRecordsetField::PutValue, nullptr},
};

KxwXmlDomRecordsetField::KxwXmlDomRecordsetField(KxwXmlDomRecordset* mptRecordset, std::string mdsName)
    : KxwAutomationTable<KxwXmlDomRecordsetField>(katMembers),
      _ptRecordset(mptRecordset),
      _tRecordsetRef(mptRecordset),
      _dsName(std::move(mdsName)) {}

// The fields of the current row: rs.Fields.Count, rs.Fields.Item("name"), rs.Fields(0).
class KxwXmlDomRecordsetFields : public KxwAutomationTable<KxwXmlDomRecordsetFields> {
public:
    explicit KxwXmlDomRecordsetFields(KxwXmlDomRecordset* mptRecordset);
    const char* GetInterfaceName() const override { return "Fields"; }
    std::string GetErrorDescription() const override { return _ptRecordset->GetErrorDescription(); }
    bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) override {
        return _ptRecordset->GetItem(miIndex, mrtResult);
    }
    int32_t GetItemCount() override { return _ptRecordset->GetItemCount(); }

private:
    KxwAutoResult GetCount(KxwAutoValue& mrtResult) {
        mrtResult = KxwAutoValue::Int(GetItemCount());
        return KXW_AUTO_S_OK;
    }
    KxwAutoResult Item(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
        if (mrtArgs.empty() || mrtArgs[0].IsNullOrEmpty())
            return _ptRecordset->Fail(KXW_AUTO_E_INVALIDARG, "The argument Index is missing");
        const KxwAutoValue& rtIndex = mrtArgs[0];
        if (rtIndex.GetType() == KXW_AUTO_VALUE_STRING) {
            std::string dsName = xfdsKxwXmlDomUtf8(rtIndex.GetString());
            for (const std::string& rdsName : _ptRecordset->FieldNames())
                if (xfbKxwAutoNameEquals(rdsName.c_str(), dsName.c_str())) {
                    mrtResult = _ptRecordset->NewField(rdsName);
                    return KXW_AUTO_S_OK;
                }
        } else {
            int32_t iIndex = 0;
            if (rtIndex.GetType() == KXW_AUTO_VALUE_OBJECT || !rtIndex.ToInt(iIndex))
                return _ptRecordset->Fail(KXW_AUTO_E_TYPEMISMATCH, "The argument Index must be a name or a number");
            if (GetItem(iIndex, mrtResult)) return KXW_AUTO_S_OK;
        }
        return _ptRecordset->Fail(klItemNotFound,
                                  "Item cannot be found in the collection corresponding to the requested name or "
                                  "ordinal.");
    }
    static const KxwAutoMemberRow<KxwXmlDomRecordsetFields> katMembers[];
    KxwXmlDomRecordset* _ptRecordset;
    KxwAutoRef<KxwAutomation> _tRecordsetRef;
};

const KxwAutoMemberRow<KxwXmlDomRecordsetFields> KxwXmlDomRecordsetFields::katMembers[] = {
    {"Count", &KxwXmlDomRecordsetFields::GetCount, nullptr, nullptr},
    {"Item", nullptr, nullptr, &KxwXmlDomRecordsetFields::Item},
};

KxwXmlDomRecordsetFields::KxwXmlDomRecordsetFields(KxwXmlDomRecordset* mptRecordset)
    : KxwAutomationTable<KxwXmlDomRecordsetFields>(katMembers),
      _ptRecordset(mptRecordset),
      _tRecordsetRef(mptRecordset) {}

template <typename T>
KxwAutoValue Adopt(T* mptObject, const char* mpszWhat) {
    if (!mptObject) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(T)), mpszWhat);
    return KxwAutoValue::Object(KxwAutoRef<KxwAutomation>::Adopt(mptObject));
}

}  // namespace

const KxwAutoMemberRow<KxwXmlDomRecordset> KxwXmlDomRecordset::katMembers[] = {
    {"RecordCount", &KxwXmlDomRecordset::GetRecordCount, nullptr, nullptr},
    {"EOF", &KxwXmlDomRecordset::GetEof, nullptr, nullptr},
    {"BOF", &KxwXmlDomRecordset::GetBof, nullptr, nullptr},
    {"AbsolutePosition", &KxwXmlDomRecordset::GetAbsolutePosition, &KxwXmlDomRecordset::PutAbsolutePosition, nullptr},
    {"Fields", &KxwXmlDomRecordset::GetFields, nullptr, nullptr},
    {"MoveFirst", nullptr, nullptr, &KxwXmlDomRecordset::MoveFirst},
    {"MoveLast", nullptr, nullptr, &KxwXmlDomRecordset::MoveLast},
    {"MoveNext", nullptr, nullptr, &KxwXmlDomRecordset::MoveNext},
    {"MovePrevious", nullptr, nullptr, &KxwXmlDomRecordset::MovePrevious},
    {"Move", nullptr, nullptr, &KxwXmlDomRecordset::Move},
};

KxwXmlDomRecordset::KxwXmlDomRecordset(KxwXmlDomDocument* mptDocument)
    : KxwAutomationTable<KxwXmlDomRecordset>(katMembers),
      _ptDocument(mptDocument),
      _tDocumentRef(static_cast<KxwAutomation*>(mptDocument)) {}

KxwXmlDomRecordset* KxwXmlDomRecordset::Create(KxwXmlDomDocument* mptDocument) {
    if (!mptDocument) return nullptr;
    auto* ptRecordset = new (std::nothrow) KxwXmlDomRecordset(mptDocument);
    if (!ptRecordset) KxwUtilOutOfMemoryAbort(static_cast<long>(sizeof(KxwXmlDomRecordset)), "KxwXmlDomRecordset");
    return ptRecordset;
}

KxwAutoResult KxwXmlDomRecordset::Fail(KxwAutoResult mlResult, std::string mdsWhy) {
    _dsError = std::move(mdsWhy);
    return mlResult;
}

void KxwXmlDomRecordset::SetFieldText(xmlNode* mptField, const std::string& mrdsText) {
    _ptDocument->GetTree()->SetText(mptField, xfpKxwXmlDomChars(mrdsText));
}

KxwAutoResult KxwXmlDomRecordset::NoCurrentRecord() {
    return Fail(klNoCurrentRecord,
                "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
                "current record.");
}

const std::vector<xmlNode*>& KxwXmlDomRecordset::Rows() {
    const KxwXmlDomTree* ptTree = _ptDocument->GetTree().get();
    if (ptTree == _ptRowsTree && ptTree->GetVersion() == _uRowsVersion) return _tRows;
    _tRows = FieldsOf(xmlDocGetRootElement(ptTree->GetDoc()));
    _ptRowsTree = ptTree;
    _uRowsVersion = ptTree->GetVersion();
    return _tRows;
}

std::vector<xmlNode*> KxwXmlDomRecordset::FieldsOf(xmlNode* mptRow) {
    std::vector<xmlNode*> tChildren;
    for (xmlNode* ptChild = mptRow ? mptRow->children : nullptr; ptChild; ptChild = ptChild->next)
        if (ptChild->type == XML_ELEMENT_NODE) tChildren.push_back(ptChild);
    return tChildren;
}

xmlNode* KxwXmlDomRecordset::CurrentRow() {
    const std::vector<xmlNode*>& rtRows = Rows();
    if (_iPosition < 0 || static_cast<size_t>(_iPosition) >= rtRows.size()) return nullptr;
    return rtRows[static_cast<size_t>(_iPosition)];
}

std::vector<std::string> KxwXmlDomRecordset::FieldNames() {
    xmlNode* ptRow = CurrentRow();
    if (!ptRow && !Rows().empty()) ptRow = Rows().front();
    std::vector<std::string> tNames;
    for (xmlNode* ptField : FieldsOf(ptRow)) tNames.push_back(xfdsKxwXmlDomQualifiedName(ptField));
    return tNames;
}

KxwAutoValue KxwXmlDomRecordset::NewField(const std::string& mrdsName) {
    return Adopt(new (std::nothrow) KxwXmlDomRecordsetField(this, mrdsName), "KxwXmlDomRecordsetField");
}

int32_t KxwXmlDomRecordset::GetItemCount() {
    return static_cast<int32_t>(FieldNames().size());
}

bool KxwXmlDomRecordset::GetItem(int32_t miIndex, KxwAutoValue& mrtResult) {
    std::vector<std::string> tNames = FieldNames();
    if (miIndex < 0 || static_cast<size_t>(miIndex) >= tNames.size()) return false;
    mrtResult = NewField(tNames[static_cast<size_t>(miIndex)]);
    return true;
}

KxwAutoResult KxwXmlDomRecordset::GetRecordCount(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(Count());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::GetEof(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(IsEof());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::GetBof(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Bool(IsBof());
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::GetAbsolutePosition(KxwAutoValue& mrtResult) {
    mrtResult = KxwAutoValue::Int(IsEof() ? kiPositionEof : IsBof() ? kiPositionBof : _iPosition + 1);
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::PutAbsolutePosition(const KxwAutoValue& mrtValue) {
    int32_t iPosition = 0;
    if (mrtValue.GetType() == KXW_AUTO_VALUE_OBJECT || !mrtValue.ToInt(iPosition))
        return Fail(KXW_AUTO_E_TYPEMISMATCH, "AbsolutePosition must be a number");
    if (iPosition < 1 || iPosition > Count())
        return Fail(KXW_AUTO_E_INVALIDARG, "AbsolutePosition must be between 1 and RecordCount");
    _iPosition = iPosition - 1;
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::GetFields(KxwAutoValue& mrtResult) {
    mrtResult = Adopt(new (std::nothrow) KxwXmlDomRecordsetFields(this), "KxwXmlDomRecordsetFields");
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::MoveFirst(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    _iPosition = 0;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::MoveLast(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    _iPosition = Count() > 0 ? Count() - 1 : 0;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::MoveNext(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    if (IsEof()) return NoCurrentRecord();
    ++_iPosition;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::MovePrevious(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    (void)mrtArgs;
    if (IsBof()) return NoCurrentRecord();
    --_iPosition;
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}

KxwAutoResult KxwXmlDomRecordset::Move(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult) {
    int32_t iBy = 0;
    KxwAutoResult lResult = xflKxwXmlDomArgInt(mrtArgs, 0, "NumRecords", iBy, _dsError);
    if (!xfbKxwAutoSucceeded(lResult)) return lResult;
    if (iBy != 0 && CurrentRow() == nullptr) return NoCurrentRecord();
    int64_t lTarget = static_cast<int64_t>(_iPosition) + iBy;
    if (lTarget < -1) lTarget = -1;
    if (lTarget > Count()) lTarget = Count();
    _iPosition = static_cast<int32_t>(lTarget);
    mrtResult = KxwAutoValue();
    return KXW_AUTO_S_OK;
}
