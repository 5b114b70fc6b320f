// The record set over an XML document (an XML island's recordset): the rows are the document element's element
// children, a row's fields its element children (name and text). Scripts move through the rows (MoveNext, EOF)
// and read rs.Fields("name").Value, rs.Fields(0).Name, rs.Fields.Count.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <vector>

#include "KxwAutomation.h"

class KxwXmlDomDocument;
class KxwXmlDomTree;

class KxwXmlDomRecordset : public KxwAutomationTable<KxwXmlDomRecordset> {
public:
    // Holds one reference.
    static KxwXmlDomRecordset* Create(KxwXmlDomDocument* mptDocument);

    const char* GetInterfaceName() const override { return "Recordset"; }
    std::string GetErrorDescription() const override { return _dsError; }
    // rs(0): the current row's field.
    bool GetItem(int32_t miIndex, KxwAutoValue& mrtResult) override;
    int32_t GetItemCount() override;

    // For the fields: the current row (null at BOF or EOF), a row's fields, the names of the fields.
    xmlNode* CurrentRow();
    static std::vector<xmlNode*> FieldsOf(xmlNode* mptRow);
    // The fields' names: the current row's, or the first row's when there is no current row.
    std::vector<std::string> FieldNames();
    KxwAutoValue NewField(const std::string& mrdsName);
    // A field's new value (Field.Value put).
    void SetFieldText(xmlNode* mptField, const std::string& mrdsText);
    KxwAutoResult Fail(KxwAutoResult mlResult, std::string mdsWhy);

private:
    explicit KxwXmlDomRecordset(KxwXmlDomDocument* mptDocument);
    const std::vector<xmlNode*>& Rows();
    int32_t Count() { return static_cast<int32_t>(Rows().size()); }
    bool IsEof() { return _iPosition >= Count(); }
    bool IsBof() { return _iPosition < 0 || Count() == 0; }
    KxwAutoResult NoCurrentRecord();

    KxwAutoResult GetRecordCount(KxwAutoValue& mrtResult);
    KxwAutoResult GetEof(KxwAutoValue& mrtResult);
    KxwAutoResult GetBof(KxwAutoValue& mrtResult);
    KxwAutoResult GetAbsolutePosition(KxwAutoValue& mrtResult);
    KxwAutoResult PutAbsolutePosition(const KxwAutoValue& mrtValue);
    KxwAutoResult GetFields(KxwAutoValue& mrtResult);
    KxwAutoResult MoveFirst(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult MoveLast(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult MoveNext(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult MovePrevious(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);
    KxwAutoResult Move(const KxwAutoArgs& mrtArgs, KxwAutoValue& mrtResult);

    static const KxwAutoMemberRow<KxwXmlDomRecordset> katMembers[];
    KxwXmlDomDocument* _ptDocument;
    KxwAutoRef<KxwAutomation> _tDocumentRef;
    std::vector<xmlNode*> _tRows;
    const KxwXmlDomTree* _ptRowsTree = nullptr;
    uint64_t _uRowsVersion = 0;
    int32_t _iPosition = 0;  // 0-based; -1 before the first row, Count() after the last
    std::string _dsError;
};
