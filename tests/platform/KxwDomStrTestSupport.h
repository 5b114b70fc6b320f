// Helpers shared by the string tests: capturing reports through the process-wide message sink.
#pragma once

#include <string>
#include <vector>

#include "KxwUtilReport.h"

// Installs a sink that records every message while it lives and puts the previous functions back afterwards.
class KxwTestReportCapture {
public:
    struct Report {
        KXW_WTL_SEV_LVL_ENUM _eSevLvl;
        std::string _sText;
    };

    KxwTestReportCapture() : _pfPrevFilter(xfpfKxwUtilGetSevFilter()), _pfPrevSink(xfpfKxwUtilGetMessageSink()) {
        Active() = this;
        xfvKxwUtilSetWtlFuncs(nullptr, &Sink);
    }
    ~KxwTestReportCapture() {
        xfvKxwUtilSetWtlFuncs(_pfPrevFilter, _pfPrevSink);
        Active() = nullptr;
    }
    KxwTestReportCapture(const KxwTestReportCapture&) = delete;
    KxwTestReportCapture& operator=(const KxwTestReportCapture&) = delete;

    const std::vector<Report>& Get() const { return _atReports; }
    size_t Count() const { return _atReports.size(); }
    bool Contains(const std::string& msText) const {
        for (const Report& rtReport : _atReports)
            if (rtReport._sText.find(msText) != std::string::npos) return true;
        return false;
    }
    void Clear() { _atReports.clear(); }

private:
    static KxwTestReportCapture*& Active() {
        static KxwTestReportCapture* ptActive = nullptr;
        return ptActive;
    }
    static void Sink(KXW_WTL_SEV_LVL_ENUM meSevLvl, int, const char* mpszText, const char*, int) {
        if (Active()) Active()->_atReports.push_back({meSevLvl, mpszText ? mpszText : ""});
    }

    KxwWtlSevFilterFunc _pfPrevFilter;
    KxwWtlMessageSinkFunc _pfPrevSink;
    std::vector<Report> _atReports;
};
