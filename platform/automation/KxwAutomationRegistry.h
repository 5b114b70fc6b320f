// The classes a page may create, by class id ("clsid:..." of an OBJECT) or by name (new ActiveXObject("...")).
// Nothing outside this list can be created: a page that names another class gets "class not registered".
#pragma once

#include <cstdint>
#include <string>

#include "KxwAutomation.h"
#include "kxw/KxwExport.h"

// A class id: parsed from its text with or without braces, in either case, and written in the canonical form
// "{8856F961-340A-11D0-A96B-00C04FD705A2}".
struct KXW_API KxwGuid {
    uint32_t _uData1 = 0;
    uint16_t _uData2 = 0;
    uint16_t _uData3 = 0;
    uint8_t _aucData4[8] = {};

    static bool Parse(const char* mpsfText, size_t mnLen, KxwGuid& mrtResult);
    std::string Format() const;
    bool operator==(const KxwGuid& mrtOther) const;
};

// A class the registry can make; the creator answers a new object holding one reference, or null.
struct KxwAutoClassInfo {
    const char* _pszClassId;              // canonical text
    const char* const* _papszProgIds;     // the names scripts use, null-terminated list
    KxwAutomation* (*_pfCreate)();
};

class KXW_API KxwAutomationRegistry {
public:
    // Adds a class (process start; the list is shared by every virtual user). A class id given twice keeps the first.
    static void Register(const KxwAutoClassInfo& mrtClass);
    // "clsid:" and braces optional; KXW_AUTO_E_SYNTAX for text that is no class id.
    static KxwAutoResult CreateByClassId(const char* mpsfClassId, size_t mnLen, KxwAutoRef<KxwAutomation>& mrtResult);
    // The name compared ignoring case ("Microsoft.XMLDOM", "Msxml2.DOMDocument.3.0").
    static KxwAutoResult CreateByProgId(const char* mpsfProgId, size_t mnLen, KxwAutoRef<KxwAutomation>& mrtResult);
    static bool IsRegisteredClassId(const char* mpsfClassId, size_t mnLen);
};
