#include "kxw/KxwiRunTimeSettings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "KxwUtilReport.h"

namespace {

enum KXWI_RTS_SETTING_KIND_ENUM {
    KXWI_RTS_KIND_BOOL,
    KXWI_RTS_KIND_INT,   // int32_t member with a range
    KXWI_RTS_KIND_UINT,  // uint32_t member with a range
    KXWI_RTS_KIND_ENUM,  // int32_t member limited to the values of its word list
    KXWI_RTS_KIND_STRING,
};

// One accepted word of an enumeration; the first word listed for a value is the one written back.
struct KxwiRtsWord {
    const char* _pszWord;
    int32_t _iValue;
};

using K = KxwiRunTimeSettings;

// One row of the settings table: everything done by name is driven from here.
struct KxwiRtsSettingDesc {
    const char* _pszName;
    KXWI_RTS_SETTING_KIND_ENUM _eKind;
    bool K::*_pbMember;
    int32_t K::*_piMember;
    uint32_t K::*_puMember;
    std::string K::*_pdsMember;
    int64_t _llMin;
    int64_t _llMax;
    const KxwiRtsWord* _ptWords;
    size_t _nWords;
    const char* _pszHelp;
};

constexpr KxwiRtsSettingDesc DescBool(const char* mpszName, bool K::*mpbMember, const char* mpszHelp) {
    return {mpszName, KXWI_RTS_KIND_BOOL, mpbMember, nullptr, nullptr, nullptr, 0, 1, nullptr, 0, mpszHelp};
}
constexpr KxwiRtsSettingDesc DescInt(const char* mpszName, int32_t K::*mpiMember, int64_t mllMin, int64_t mllMax,
                                     const char* mpszHelp) {
    return {mpszName, KXWI_RTS_KIND_INT, nullptr, mpiMember, nullptr, nullptr, mllMin, mllMax, nullptr, 0, mpszHelp};
}
constexpr KxwiRtsSettingDesc DescUint(const char* mpszName, uint32_t K::*mpuMember, int64_t mllMin, int64_t mllMax,
                                      const char* mpszHelp) {
    return {mpszName, KXWI_RTS_KIND_UINT, nullptr, nullptr, mpuMember, nullptr, mllMin, mllMax, nullptr, 0, mpszHelp};
}
template <size_t N>
constexpr KxwiRtsSettingDesc DescEnum(const char* mpszName, int32_t K::*mpiMember, const KxwiRtsWord (&matWords)[N],
                                      const char* mpszHelp) {
    return {mpszName, KXWI_RTS_KIND_ENUM, nullptr, mpiMember, nullptr, nullptr, 0, 0, matWords, N, mpszHelp};
}
constexpr KxwiRtsSettingDesc DescString(const char* mpszName, std::string K::*mpdsMember, const char* mpszHelp) {
    return {mpszName, KXWI_RTS_KIND_STRING, nullptr, nullptr, nullptr, mpdsMember, 0, 0, nullptr, 0, mpszHelp};
}

constexpr KxwiRtsWord katBrowserWords[] = {
    {"ie", KXWI_BROWSER_MAJOR_TYPE_IE},
    {"ns", KXWI_BROWSER_MAJOR_TYPE_NS},
    {"internet_explorer", KXWI_BROWSER_MAJOR_TYPE_IE},
    {"netscape", KXWI_BROWSER_MAJOR_TYPE_NS},
};
constexpr KxwiRtsWord katHistoryWords[] = {
    {"yes", KXWI_RTS_HISTORY_SUPPORT_YES},
    {"no", KXWI_RTS_HISTORY_SUPPORT_NO},
    {"auto", KXWI_RTS_HISTORY_SUPPORT_AUTO},
};
constexpr KxwiRtsWord katReparseWords[] = {
    {"no", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_NO},     {"get", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_GET},
    {"post", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_POST}, {"yes", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_YES},
    {"auto", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO}, {"both", KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_YES},
};
constexpr KxwiRtsWord katReestablishWords[] = {
    {"once", REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE},
    {"twice", REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_TWICE},
    {"always", REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS},
};

constexpr KxwiRtsWord katBoolWords[] = {
    {"on", 1}, {"off", 0}, {"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0}, {"1", 1}, {"0", 0},
};

}  // namespace

// Forms the member pointers of the table, which needs the class's private members.
struct KxwiRunTimeSettingsTable {
    static const KxwiRtsSettingDesc* Get(size_t* mpnCount) {
        static const KxwiRtsSettingDesc katTable[] = {
            DescEnum("browser_major_type", &K::_iBrowserMajorType, katBrowserWords,
                     "browser the virtual user imitates: ie (2) or ns (3)"),
            DescString("browser_id_string", &K::_dsBrowserIdString,
                       "user-agent text; empty uses the standard one of browser_major_type"),
            DescString("browser_language", &K::_dsBrowserLanguage, "navigator.browserLanguage"),
            DescString("system_language", &K::_dsSystemLanguage, "navigator.systemLanguage"),
            DescString("user_language", &K::_dsUserLanguage, "navigator.userLanguage"),
            DescString("home_page_url", &K::_dsHomePageUrl, "home page that isHomePage compares with"),
            DescEnum("history_support", &K::_iHistorySupport, katHistoryWords,
                     "record pages for back/forward; auto decides at the second iteration"),
            DescInt("history_size", &K::_iHistorySize, 1, K::kMaxHistorySize,
                    "most pages a browser history keeps for back and forward"),
            DescEnum("reparse_when_meta_changes_charset", &K::_iReparseWhenMetaChangesCharset, katReparseWords,
                     "parse a response again when a META element changes the charset; auto decides at the second "
                     "iteration"),
            DescBool("fail_on_javascript_error", &K::_bFailOnJavaScriptError,
                     "a script error fails the step instead of only being reported"),
            DescInt("javascript_error_severity", &K::_iJavaScriptErrorSevLvl, 1, 7,
                    "severity level at which script errors are reported"),
            DescBool("script_style_properties", &K::_bScriptStyleProperties,
                     "style declarations become script properties of the style object"),
            DescBool("fire_keyup_after_text_change", &K::_bFireKeyUpAfterTextChange,
                     "typing into a text input also fires keyup with the last character"),
            DescBool("oracle_web_applications", &K::_bOracleWebApplications, "adapt to Oracle web applications"),
            DescBool("sap_web_applications", &K::_bSapWebApplications, "adapt to SAP web applications"),
            DescBool("async_click_and_script", &K::_bAsyncClickAndScript,
                     "clicks and scripts complete without waiting for the navigations they start"),
            DescUint("mem_block_size", &K::_uMemBlockSize, K::kMinMemBlockSize, K::kMaxMemBlockSize,
                     "bytes of a memory block of the virtual user's object memory"),
            DescUint("mem_block_count", &K::_uMemBlockCount, 0, K::kMaxMemBlockCount,
                     "released memory blocks kept for reuse"),
            DescUint("str_mem_block_size", &K::_uStrMemBlockSize, K::kMinMemBlockSize, K::kMaxMemBlockSize,
                     "bytes of a memory block of the virtual user's string memory"),
            DescBool("use_mem_mgr_allocation", &K::_bUseMemMgrAllocation,
                     "allocate nodes on the virtual user's memory instead of the process heap"),
            DescBool("root_script_objects", &K::_bRootScriptObjects,
                     "script objects of connected nodes are kept alive; disconnected ones only by references"),
            DescBool("use_virtual_timer_timeout", &K::_bUseVirtualTimerTimeout,
                     "play out pending timers on a virtual clock instead of waiting"),
            DescUint("script_time_limit_ms", &K::_uScriptTimeLimitMs, 0, K::kMaxScriptTimeLimitMs,
                     "milliseconds one script may run before it is stopped; 0 for no limit"),
            DescUint("connect_timeout_ms", &K::_uConnectTimeoutMs, 1, K::kMaxDownloadTimeoutMs,
                     "milliseconds a connection to a server may take to open"),
            DescUint("download_timeout_ms", &K::_uDownloadTimeoutMs, 1, K::kMaxDownloadTimeoutMs,
                     "milliseconds one download may take, its redirects included"),
            DescBool("tls_verify_peer", &K::_bTlsVerifyPeer,
                     "refuse https: servers whose certificate is not trusted"),
            DescString("tls_ca_file", &K::_dsTlsCaFile,
                       "PEM file of certificates trusted for https: besides the system's; empty for none"),
            DescString("download_hosts", &K::_dsDownloadHosts,
                       "hosts a page's images, scripts and style sheets load from, comma-separated (*.name also "
                       "matches subdomains); empty for every host"),
            DescUint("max_timeout", &K::_uMaximumTimeout, 0, K::kMaxTimeoutSeconds,
                     "seconds; a timer with a longer delay is not created"),
            DescUint("max_accumulative_timeout", &K::_uMaximumAccumulativeTimeout, 0, K::kMaxTimeoutSeconds,
                     "seconds after the first timer of a step beyond which timers wait for the next step"),
            DescEnum("reestablish_setinterval_at_end_of_step", &K::_iReestablishSetIntervalAtEndOfStep,
                     katReestablishWords, "how often an interval runs after the step's items ended"),
            DescUint("max_meta_refresh_delay", &K::_uMaxMetaRefreshDelay, 0, K::kMaxTimeoutSeconds,
                     "seconds; a META refresh with a longer delay is ignored"),
            DescBool("meta_refresh_immediately", &K::_bMetaRefreshImmediately,
                     "every accepted META refresh happens at once"),
            DescInt("default_client_width", &K::_iDefaultClientWidth, 0, INT32_MAX,
                    "clientWidth of an element without a layout entry"),
            DescInt("default_client_height", &K::_iDefaultClientHeight, 0, INT32_MAX,
                    "clientHeight of an element without a layout entry"),
            DescInt("default_offset_width", &K::_iDefaultOffsetWidth, 0, INT32_MAX,
                    "offsetWidth of an element without a layout entry"),
            DescInt("default_offset_height", &K::_iDefaultOffsetHeight, 0, INT32_MAX,
                    "offsetHeight of an element without a layout entry"),
            DescString("default_div_style_height", &K::_dsDefaultDivStyleHeight,
                       "default style height of DIV elements; empty for none"),
            DescString("default_style_height", &K::_dsDefaultStyleHeight,
                       "default style height of other elements; empty for none"),
            DescInt("screen_width", &K::_iScreenWidth, 0, INT32_MAX, "screen.width"),
            DescInt("screen_height", &K::_iScreenHeight, 0, INT32_MAX, "screen.height"),
            DescInt("screen_avail_width", &K::_iScreenAvailWidth, 0, INT32_MAX, "screen.availWidth"),
            DescInt("screen_avail_height", &K::_iScreenAvailHeight, 0, INT32_MAX, "screen.availHeight"),
            DescInt("screen_buffer_depth", &K::_iScreenBufferDepth, 0, 64, "screen.bufferDepth"),
            DescInt("screen_color_depth", &K::_iScreenColorDepth, 1, 64, "screen.colorDepth"),
            DescBool("screen_font_smoothing_enabled", &K::_bScreenFontSmoothingEnabled, "screen.fontSmoothingEnabled"),
            DescInt("screen_update_interval", &K::_iScreenUpdateInterval, 0, INT32_MAX, "screen.updateInterval"),
            DescBool("java_applets_enabled", &K::_bJavaAppletsEnabled,
                     "run Java applets; also what navigator.javaEnabled() answers"),
            DescBool("java_builtin_runtime", &K::_bJavaBuiltinRuntime,
                     "applets run in the built-in Java runtime; off leaves them to the page's fallback"),
            DescInt("java_debug_level", &K::_iJavaDebugLevel, 0, INT32_MAX,
                    "above 0 starts the Java runtime with debugging"),
            DescString("java_vm_library", &K::_dsJavaVmLibrary,
                       "the Java VM library to load (libjvm.so); empty: $JAVA_HOME's, then the build's"),
            DescBool("java_global_init_switch1", &K::_bJavaGlobalInitSwitch1,
                     "applets: log every call of an applet's member"),
            DescBool("java_global_init_switch2", &K::_bJavaGlobalInitSwitch2,
                     "applets: log every class an applet defines"),
            DescInt("java_global_init_number", &K::_iJavaGlobalInitNumber, INT32_MIN, INT32_MAX,
                    "applets: ms a call into applet code may run, and a Java thread's call into the page may wait (0: 10000)"),
            DescBool("activex_enabled", &K::_bActiveXEnabled, "OBJECT elements with a classid act as controls"),
            DescBool("activex_create_controls", &K::_bActiveXCreateControls,
                     "controls are really created; off reports that they were not"),
            DescBool("snapshot_on_error", &K::_bSnapshotOnError, "keep a snapshot of the page for a failing step"),
            DescBool("dom_snapshot_mode", &K::_bDomSnapshotMode,
                     "snapshots are written from the document tree instead of the responses"),
            DescBool("snapshot_resources", &K::_bSnapshotResources, "snapshots include images and other resources"),
            DescBool("snapshot_each_iteration", &K::_bSnapshotEachIteration,
                     "with snapshot_resources_each_iteration: collect resources after the first iteration too"),
            DescBool("snapshot_resources_each_iteration", &K::_bSnapshotResourcesEachIteration,
                     "with snapshot_each_iteration: collect resources after the first iteration too"),
            DescBool("alert_snapshots", &K::_bAlertSnapshots, "alert texts are kept and written as a page"),
            DescBool("snapshot_highlight", &K::_bSnapshotHighlight, "snapshots mark the element a step acted on"),
            DescString("correlation_sync_file", &K::_dsCorrelationSyncFile,
                       "file name of the correlation synchronisation file; empty for none"),
            DescString("runtime_viewer", &K::_dsRunTimeViewer,
                       "start text of the run-time viewer; empty for no viewer"),
            DescBool("end_of_iteration_handling", &K::_bEndOfIterationHandling,
                     "windows are told when an iteration ends"),
        };
        *mpnCount = sizeof(katTable) / sizeof(katTable[0]);
        return katTable;
    }
};

namespace {

bool IsBlank(char mc) {
    return mc == ' ' || mc == '\t';
}

bool IsEqualIgnoringAsciiCase(const char* mpsfA, size_t mnALen, const char* mpszB) {
    size_t nBLen = std::strlen(mpszB);
    if (mnALen != nBLen) return false;
    for (size_t i = 0; i < mnALen; ++i) {
        unsigned char ucA = static_cast<unsigned char>(mpsfA[i]);
        unsigned char ucB = static_cast<unsigned char>(mpszB[i]);
        if (ucA >= 'A' && ucA <= 'Z') ucA = static_cast<unsigned char>(ucA - 'A' + 'a');
        if (ucB >= 'A' && ucB <= 'Z') ucB = static_cast<unsigned char>(ucB - 'A' + 'a');
        if (ucA != ucB) return false;
    }
    return true;
}

// User text quoted back in messages: cut short and with control bytes shown as '?', so that a message can not
// carry terminal escapes or line breaks of its own.
std::string Echo(const char* mpsfText, size_t mnLen) {
    const size_t knMaxEcho = 100;
    std::string dsEcho;
    for (size_t i = 0; i < mnLen && i < knMaxEcho; ++i) {
        unsigned char uc = static_cast<unsigned char>(mpsfText[i]);
        dsEcho += (uc < 0x20 || uc == 0x7F) ? '?' : static_cast<char>(uc);
    }
    if (mnLen > knMaxEcho) dsEcho += "...";
    return dsEcho;
}

const KxwiRtsSettingDesc* FindSetting(const char* mpsfName, size_t mnLen) {
    size_t nCount = 0;
    const KxwiRtsSettingDesc* ptTable = KxwiRunTimeSettingsTable::Get(&nCount);
    for (size_t i = 0; i < nCount; ++i) {
        if (IsEqualIgnoringAsciiCase(mpsfName, mnLen, ptTable[i]._pszName)) return &ptTable[i];
    }
    return nullptr;
}

// A decimal integer with an optional sign and nothing else. Too many digits fail like an overflow would.
bool ParseInteger(const char* mpsfText, size_t mnLen, int64_t* mpllValue) {
    size_t i = 0;
    bool bNegative = false;
    if (i < mnLen && (mpsfText[i] == '+' || mpsfText[i] == '-')) bNegative = mpsfText[i++] == '-';
    if (i == mnLen || mnLen - i > 18) return false;  // 18 digits can not overflow 64 bits
    int64_t llValue = 0;
    for (; i < mnLen; ++i) {
        if (mpsfText[i] < '0' || mpsfText[i] > '9') return false;
        llValue = llValue * 10 + (mpsfText[i] - '0');
    }
    *mpllValue = bNegative ? -llValue : llValue;
    return true;
}

bool IsAllDigits(const char* mpsfText, size_t mnLen) {
    size_t i = (mnLen > 0 && (mpsfText[0] == '+' || mpsfText[0] == '-')) ? 1 : 0;
    if (i == mnLen) return false;
    for (; i < mnLen; ++i) {
        if (mpsfText[i] < '0' || mpsfText[i] > '9') return false;
    }
    return true;
}

const char* WordOfValue(const KxwiRtsWord* mptWords, size_t mnWords, int32_t miValue) {
    for (size_t i = 0; i < mnWords; ++i) {
        if (mptWords[i]._iValue == miValue) return mptWords[i]._pszWord;
    }
    return nullptr;
}

std::string AllowedText(const KxwiRtsSettingDesc& mrtDesc) {
    switch (mrtDesc._eKind) {
        case KXWI_RTS_KIND_BOOL:
            return "on|off";
        case KXWI_RTS_KIND_INT:
        case KXWI_RTS_KIND_UINT:
            return std::to_string(mrtDesc._llMin) + ".." + std::to_string(mrtDesc._llMax);
        case KXWI_RTS_KIND_ENUM: {
            std::string dsAllowed;
            for (size_t i = 0; i < mrtDesc._nWords; ++i) {
                // Only the first word of each value is listed; the others are accepted quietly.
                if (WordOfValue(mrtDesc._ptWords, i, mrtDesc._ptWords[i]._iValue)) continue;
                if (!dsAllowed.empty()) dsAllowed += '|';
                dsAllowed += mrtDesc._ptWords[i]._pszWord;
                dsAllowed += '(' + std::to_string(mrtDesc._ptWords[i]._iValue) + ')';
            }
            return dsAllowed;
        }
        case KXWI_RTS_KIND_STRING:
            return "text";
    }
    return "";
}

std::string ValueText(const KxwiRunTimeSettings& mrtSettings, const KxwiRtsSettingDesc& mrtDesc) {
    switch (mrtDesc._eKind) {
        case KXWI_RTS_KIND_BOOL:
            return (mrtSettings.*mrtDesc._pbMember) ? "on" : "off";
        case KXWI_RTS_KIND_INT:
            return std::to_string(mrtSettings.*mrtDesc._piMember);
        case KXWI_RTS_KIND_UINT:
            return std::to_string(mrtSettings.*mrtDesc._puMember);
        case KXWI_RTS_KIND_ENUM: {
            int32_t iValue = mrtSettings.*mrtDesc._piMember;
            const char* pszWord = WordOfValue(mrtDesc._ptWords, mrtDesc._nWords, iValue);
            return pszWord ? std::string(pszWord) : std::to_string(iValue);
        }
        case KXWI_RTS_KIND_STRING:
            return mrtSettings.*mrtDesc._pdsMember;
    }
    return "";
}

// Checks a text value against the row and stores it only when it is acceptable; *mpdsWhy says what is wrong.
bool ApplyValue(KxwiRunTimeSettings& mrtSettings, const KxwiRtsSettingDesc& mrtDesc, const char* mpsfValue,
                size_t mnLen, std::string* mpdsWhy) {
    if (std::memchr(mpsfValue, '\0', mnLen)) {
        *mpdsWhy = "the value contains a NUL byte";
        return false;
    }
    switch (mrtDesc._eKind) {
        case KXWI_RTS_KIND_BOOL:
            for (const KxwiRtsWord& rtWord : katBoolWords) {
                if (IsEqualIgnoringAsciiCase(mpsfValue, mnLen, rtWord._pszWord)) {
                    mrtSettings.*mrtDesc._pbMember = rtWord._iValue != 0;
                    return true;
                }
            }
            *mpdsWhy = "bad value \"" + Echo(mpsfValue, mnLen) + "\" (allowed: on, off, true, false, yes, no, 1, 0)";
            return false;
        case KXWI_RTS_KIND_INT:
        case KXWI_RTS_KIND_UINT: {
            int64_t llValue = 0;
            bool bParsed = ParseInteger(mpsfValue, mnLen, &llValue);
            if (!bParsed && !IsAllDigits(mpsfValue, mnLen)) {
                *mpdsWhy = "bad value \"" + Echo(mpsfValue, mnLen) + "\" (a decimal number is expected)";
                return false;
            }
            if (!bParsed || llValue < mrtDesc._llMin || llValue > mrtDesc._llMax) {
                *mpdsWhy = "value " + Echo(mpsfValue, mnLen) + " out of range (allowed: " + AllowedText(mrtDesc) + ")";
                return false;
            }
            if (mrtDesc._eKind == KXWI_RTS_KIND_INT) {
                mrtSettings.*mrtDesc._piMember = static_cast<int32_t>(llValue);
            } else {
                mrtSettings.*mrtDesc._puMember = static_cast<uint32_t>(llValue);
            }
            return true;
        }
        case KXWI_RTS_KIND_ENUM: {
            for (size_t i = 0; i < mrtDesc._nWords; ++i) {
                if (IsEqualIgnoringAsciiCase(mpsfValue, mnLen, mrtDesc._ptWords[i]._pszWord)) {
                    mrtSettings.*mrtDesc._piMember = mrtDesc._ptWords[i]._iValue;
                    return true;
                }
            }
            int64_t llValue = 0;
            bool bParsed = ParseInteger(mpsfValue, mnLen, &llValue);
            if (bParsed && llValue >= INT32_MIN && llValue <= INT32_MAX &&
                WordOfValue(mrtDesc._ptWords, mrtDesc._nWords, static_cast<int32_t>(llValue))) {
                mrtSettings.*mrtDesc._piMember = static_cast<int32_t>(llValue);
                return true;
            }
            const char* pszWhat = (bParsed || IsAllDigits(mpsfValue, mnLen)) ? "out of range" : "bad value";
            *mpdsWhy =
                std::string(pszWhat) + " \"" + Echo(mpsfValue, mnLen) + "\" (allowed: " + AllowedText(mrtDesc) + ")";
            return false;
        }
        case KXWI_RTS_KIND_STRING: {
            if (mnLen > KxwiRunTimeSettings::kMaxStringLen) {
                *mpdsWhy = "the value is longer than " + std::to_string(KxwiRunTimeSettings::kMaxStringLen) + " bytes";
                return false;
            }
            for (size_t i = 0; i < mnLen; ++i) {
                unsigned char uc = static_cast<unsigned char>(mpsfValue[i]);
                if (uc < 0x20 || uc == 0x7F) {
                    *mpdsWhy = "the value contains a control character";
                    return false;
                }
            }
            (mrtSettings.*mrtDesc._pdsMember).assign(mpsfValue, mnLen);
            return true;
        }
    }
    *mpdsWhy = "the setting has an unknown kind";
    return false;
}

bool SetByNameLen(KxwiRunTimeSettings& mrtSettings, const char* mpsfName, size_t mnNameLen, const char* mpsfValue,
                  size_t mnValueLen, std::string* mpdsError) {
    const KxwiRtsSettingDesc* ptDesc = FindSetting(mpsfName, mnNameLen);
    if (!ptDesc) {
        *mpdsError = "unknown setting \"" + Echo(mpsfName, mnNameLen) + "\"";
        return false;
    }
    std::string dsWhy;
    if (!ApplyValue(mrtSettings, *ptDesc, mpsfValue, mnValueLen, &dsWhy)) {
        *mpdsError = std::string("setting \"") + ptDesc->_pszName + "\": " + dsWhy;
        return false;
    }
    return true;
}

// Hands an error to the caller, or reports it when the caller gave no place for it, so that it is never lost.
void DeliverError(const std::string& mrdsError, std::string* mpdsError) {
    if (mpdsError) {
        *mpdsError = mrdsError;
    } else {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_WARNING, "Run-time settings: %.2000s", mrdsError.c_str());
    }
}

}  // namespace

KxwiRunTimeSettings::KxwiRunTimeSettings()
    : _iBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_IE),
      _dsBrowserLanguage("en-us"),
      _dsSystemLanguage("en-us"),
      _dsUserLanguage("en-us"),
      _dsHomePageUrl("about:blank"),
      _iHistorySupport(KXWI_RTS_HISTORY_SUPPORT_AUTO),
      _iHistorySize(100),
      _iReparseWhenMetaChangesCharset(KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO),
      _bFailOnJavaScriptError(true),
      _iJavaScriptErrorSevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE),
      _bScriptStyleProperties(true),
      _bFireKeyUpAfterTextChange(false),
      _bOracleWebApplications(false),
      _bSapWebApplications(false),
      _bAsyncClickAndScript(false),
      _uMemBlockSize(16384),
      _uMemBlockCount(100),
      _uStrMemBlockSize(16384),
      _bUseMemMgrAllocation(true),
      _bRootScriptObjects(true),
      _bUseVirtualTimerTimeout(false),
      _uScriptTimeLimitMs(10000),
      _uConnectTimeoutMs(30000),
      _uDownloadTimeoutMs(120000),
      _bTlsVerifyPeer(true),
      _uMaximumTimeout(60),
      _uMaximumAccumulativeTimeout(10),
      _iReestablishSetIntervalAtEndOfStep(REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE),
      _uMaxMetaRefreshDelay(30),
      _bMetaRefreshImmediately(false),
      _iDefaultClientWidth(1),
      _iDefaultClientHeight(1),
      _iDefaultOffsetWidth(1),
      _iDefaultOffsetHeight(1),
      _iScreenWidth(1024),
      _iScreenHeight(768),
      _iScreenAvailWidth(1024),
      _iScreenAvailHeight(768),
      _iScreenBufferDepth(0),
      _iScreenColorDepth(32),
      _bScreenFontSmoothingEnabled(false),
      _iScreenUpdateInterval(0),
      _bJavaAppletsEnabled(false),
      _bJavaBuiltinRuntime(true),
      _iJavaDebugLevel(0),
      _bJavaGlobalInitSwitch1(false),
      _bJavaGlobalInitSwitch2(false),
      _iJavaGlobalInitNumber(0),
      _bActiveXEnabled(true),
      _bActiveXCreateControls(true),
      _bSnapshotOnError(false),
      _bDomSnapshotMode(false),
      _bSnapshotResources(false),
      _bSnapshotEachIteration(false),
      _bSnapshotResourcesEachIteration(false),
      _bAlertSnapshots(false),
      _bSnapshotHighlight(false),
      _bEndOfIterationHandling(true) {}

bool KxwiRunTimeSettings::StoreInt(int32_t& mriMember, int64_t mllValue, int64_t mllMin, int64_t mllMax,
                                   const char* mpszSetter) {
    if (mllValue < mllMin || mllValue > mllMax) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid value %lld (allowed %lld..%lld) in KxwiRunTimeSettings::%s for this=%p. Keeping %d",
            static_cast<long long>(mllValue), static_cast<long long>(mllMin), static_cast<long long>(mllMax),
            mpszSetter, static_cast<void*>(this), mriMember);
        return false;
    }
    mriMember = static_cast<int32_t>(mllValue);
    return true;
}

bool KxwiRunTimeSettings::StoreUint(uint32_t& mruMember, uint64_t mullValue, uint64_t mullMin, uint64_t mullMax,
                                    const char* mpszSetter) {
    if (mullValue < mullMin || mullValue > mullMax) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid value %llu (allowed %llu..%llu) in KxwiRunTimeSettings::%s for this=%p. Keeping %u",
            static_cast<unsigned long long>(mullValue), static_cast<unsigned long long>(mullMin),
            static_cast<unsigned long long>(mullMax), mpszSetter, static_cast<void*>(this), mruMember);
        return false;
    }
    mruMember = static_cast<uint32_t>(mullValue);
    return true;
}

bool KxwiRunTimeSettings::StoreString(std::string& mrdsMember, const char* mpszText, const char* mpszSetter) {
    if (!mpszText) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mpszText is NULL in KxwiRunTimeSettings::%s for this=%p", mpszSetter,
                                              static_cast<void*>(this));
        return false;
    }
    size_t nLen = std::strlen(mpszText);
    bool bOk = nLen <= kMaxStringLen;
    for (size_t i = 0; bOk && i < nLen; ++i) {
        unsigned char uc = static_cast<unsigned char>(mpszText[i]);
        bOk = uc >= 0x20 && uc != 0x7F;
    }
    if (!bOk) {
        // Control characters would break the one-line text form of the settings and have no place in a URL,
        // a user-agent or a file name.
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid text (length %zu, control characters or longer than %zu bytes) in KxwiRunTimeSettings::%s for "
            "this=%p. Keeping the old value",
            nLen, kMaxStringLen, mpszSetter, static_cast<void*>(this));
        return false;
    }
    mrdsMember.assign(mpszText, nLen);
    return true;
}

bool KxwiRunTimeSettings::SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_ENUM meType) {
    return StoreInt(_iBrowserMajorType, meType, KXWI_BROWSER_MAJOR_TYPE_IE, KXWI_BROWSER_MAJOR_TYPE_NS,
                    "SetBrowserMajorType");
}

bool KxwiRunTimeSettings::SetBrowserIdString(const char* mpszText) {
    return StoreString(_dsBrowserIdString, mpszText, "SetBrowserIdString");
}

const char* KxwiRunTimeSettings::GetActualBrowserIdString() const {
    if (!_dsBrowserIdString.empty()) return _dsBrowserIdString.c_str();
    return _iBrowserMajorType == KXWI_BROWSER_MAJOR_TYPE_NS ? kNsBrowserIdString : kIeBrowserIdString;
}

bool KxwiRunTimeSettings::SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_ENUM meSupport) {
    return StoreInt(_iHistorySupport, meSupport, KXWI_RTS_HISTORY_SUPPORT_YES, KXWI_RTS_HISTORY_SUPPORT_AUTO,
                    "SetHistorySupport");
}

const char* KxwiRunTimeSettings::GetHistorySupportString() const {
    static const char* const kapszNames[] = {"Yes", "No", "Auto"};
    return (_iHistorySupport >= 0 && _iHistorySupport <= 2) ? kapszNames[_iHistorySupport] : "Unknown";
}

bool KxwiRunTimeSettings::SetReparseWhenMetaChangesCharset(KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM meReparse) {
    return StoreInt(_iReparseWhenMetaChangesCharset, meReparse, KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_NO,
                    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO, "SetReparseWhenMetaChangesCharset");
}

const char* KxwiRunTimeSettings::GetReparseWhenMetaChangesCharsetString() const {
    static const char* const kapszNames[] = {"No", "GET only", "POST only", "Yes", "Auto"};
    return (_iReparseWhenMetaChangesCharset >= 0 && _iReparseWhenMetaChangesCharset <= 4)
               ? kapszNames[_iReparseWhenMetaChangesCharset]
               : "Unknown";
}

bool KxwiRunTimeSettings::IsReparseWhenMetaChangesCharset(bool mbIsPost) const {
    switch (_iReparseWhenMetaChangesCharset) {
        case KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_GET:
            return !mbIsPost;
        case KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_POST:
            return mbIsPost;
        case KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_YES:
        case KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO:
            return true;
        default:
            return false;
    }
}

KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM KxwiRunTimeSettings::ResolveReparseWhenMetaChangesCharsetAuto(
    bool mbGet, bool mbPost) {
    return static_cast<KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM>((mbGet ? 1 : 0) | (mbPost ? 2 : 0));
}

bool KxwiRunTimeSettings::SetSetIntervalTimeoutAfterEndBehavior(
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR meBehavior) {
    return StoreInt(_iReestablishSetIntervalAtEndOfStep, meBehavior,
                    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE,
                    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS, "SetSetIntervalTimeoutAfterEndBehavior");
}

bool KxwiRunTimeSettings::SetByName(const char* mpszName, const char* mpszValue, std::string* mpdsError) {
    if (!mpszName || !mpszValue) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpszName=%p / mpszValue=%p in KxwiRunTimeSettings::SetByName for this=%p", mpszName, mpszValue,
            static_cast<void*>(this));
        DeliverError("a setting name and a value are required", mpdsError);
        return false;
    }
    std::string dsError;
    if (SetByNameLen(*this, mpszName, std::strlen(mpszName), mpszValue, std::strlen(mpszValue), &dsError)) {
        return true;
    }
    DeliverError(dsError, mpdsError);
    return false;
}

bool KxwiRunTimeSettings::GetByName(const char* mpszName, std::string* mpdsValue) const {
    if (!mpszName || !mpdsValue) return false;
    const KxwiRtsSettingDesc* ptDesc = FindSetting(mpszName, std::strlen(mpszName));
    if (!ptDesc) return false;
    *mpdsValue = ValueText(*this, *ptDesc);
    return true;
}

bool KxwiRunTimeSettings::LoadFromText(const char* mpszText, size_t mnLen, std::string* mpdsError) {
    if (!mpszText && mnLen > 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Invalid mpszText=%p / mnLen=%zu in KxwiRunTimeSettings::LoadFromText for this=%p", mpszText, mnLen,
            static_cast<void*>(this));
        DeliverError("no settings text", mpdsError);
        return false;
    }
    // Work on a copy so that a text with any bad line changes nothing.
    KxwiRunTimeSettings tLoaded(*this);
    std::string dsErrors;
    size_t nPos = 0;
    if (mnLen >= 3 && std::memcmp(mpszText, "\xEF\xBB\xBF", 3) == 0) nPos = 3;  // a UTF-8 byte order mark
    for (unsigned long ulLine = 1; nPos < mnLen; ++ulLine) {
        const char* pcEol = static_cast<const char*>(std::memchr(mpszText + nPos, '\n', mnLen - nPos));
        size_t nEnd = pcEol ? static_cast<size_t>(pcEol - mpszText) : mnLen;
        size_t nBegin = nPos;
        nPos = pcEol ? nEnd + 1 : mnLen;
        if (nEnd > nBegin && mpszText[nEnd - 1] == '\r') --nEnd;
        while (nBegin < nEnd && IsBlank(mpszText[nBegin])) ++nBegin;
        while (nEnd > nBegin && IsBlank(mpszText[nEnd - 1])) --nEnd;
        if (nBegin == nEnd || mpszText[nBegin] == '#') continue;

        std::string dsError;
        const char* pcEq = static_cast<const char*>(std::memchr(mpszText + nBegin, '=', nEnd - nBegin));
        if (!pcEq) {
            dsError = "expected name=value, found \"" + Echo(mpszText + nBegin, nEnd - nBegin) + "\"";
        } else {
            size_t nNameEnd = static_cast<size_t>(pcEq - mpszText);
            size_t nValueBegin = nNameEnd + 1;
            while (nNameEnd > nBegin && IsBlank(mpszText[nNameEnd - 1])) --nNameEnd;
            while (nValueBegin < nEnd && IsBlank(mpszText[nValueBegin])) ++nValueBegin;
            size_t nValueEnd = nEnd;
            if (nValueEnd - nValueBegin >= 2 && mpszText[nValueBegin] == '"' && mpszText[nValueEnd - 1] == '"') {
                ++nValueBegin;
                --nValueEnd;
            }
            if (nNameEnd == nBegin) {
                dsError = "missing setting name before '='";
            } else {
                SetByNameLen(tLoaded, mpszText + nBegin, nNameEnd - nBegin, mpszText + nValueBegin,
                             nValueEnd - nValueBegin, &dsError);
            }
        }
        if (!dsError.empty()) {
            if (!dsErrors.empty()) dsErrors += '\n';
            dsErrors += "line " + std::to_string(ulLine) + ": " + dsError;
        }
    }
    if (!dsErrors.empty()) {
        DeliverError(dsErrors, mpdsError);
        return false;
    }
    *this = tLoaded;
    return true;
}

bool KxwiRunTimeSettings::LoadFromFile(const char* mpszPath, std::string* mpdsError) {
    if (!mpszPath || !*mpszPath) {
        DeliverError("no settings file name", mpdsError);
        return false;
    }
    // A settings file is a few kilobytes; the cap keeps a wrong path (a device, a huge log) from being slurped.
    const size_t knMaxFileSize = 4u * 1024 * 1024;
    FILE* ptFile = std::fopen(mpszPath, "rb");
    if (!ptFile) {
        DeliverError(std::string("cannot open settings file \"") + Echo(mpszPath, std::strlen(mpszPath)) +
                         "\": " + std::strerror(errno),
                     mpdsError);
        return false;
    }
    std::string dsText;
    char acBuffer[8192];
    size_t nRead = 0;
    bool bTooLarge = false;
    while ((nRead = std::fread(acBuffer, 1, sizeof(acBuffer), ptFile)) > 0) {
        if (dsText.size() + nRead > knMaxFileSize) {
            bTooLarge = true;
            break;
        }
        dsText.append(acBuffer, nRead);
    }
    bool bReadError = std::ferror(ptFile) != 0;
    int iReadErrno = errno;
    std::fclose(ptFile);
    std::string dsPath = Echo(mpszPath, std::strlen(mpszPath));
    if (bTooLarge || bReadError) {
        DeliverError(std::string("cannot read settings file \"") + dsPath + "\": " +
                         (bTooLarge ? "larger than " + std::to_string(knMaxFileSize) + " bytes"
                                    : std::string(std::strerror(iReadErrno))),
                     mpdsError);
        return false;
    }
    std::string dsErrors;
    if (LoadFromText(dsText.data(), dsText.size(), &dsErrors)) return true;
    // Each line of the report names the file as well.
    std::string dsNamed;
    size_t nPos = 0;
    while (nPos <= dsErrors.size()) {
        size_t nEol = dsErrors.find('\n', nPos);
        if (nEol == std::string::npos) nEol = dsErrors.size();
        if (!dsNamed.empty()) dsNamed += '\n';
        dsNamed += dsPath + ": " + dsErrors.substr(nPos, nEol - nPos);
        nPos = nEol + 1;
    }
    DeliverError(dsNamed, mpdsError);
    return false;
}

void KxwiRunTimeSettings::ForEachSetting(const SettingVisitor& mtVisitor) const {
    if (!mtVisitor) return;
    size_t nCount = 0;
    const KxwiRtsSettingDesc* ptTable = KxwiRunTimeSettingsTable::Get(&nCount);
    for (size_t i = 0; i < nCount; ++i) {
        std::string dsAllowed = AllowedText(ptTable[i]);
        mtVisitor(ptTable[i]._pszName, ValueText(*this, ptTable[i]), dsAllowed.c_str(), ptTable[i]._pszHelp);
    }
}

size_t KxwiRunTimeSettings::GetSettingCount() {
    size_t nCount = 0;
    KxwiRunTimeSettingsTable::Get(&nCount);
    return nCount;
}

std::string KxwiRunTimeSettings::ToText() const {
    std::string dsText;
    ForEachSetting([&dsText](const char* mpszName, const std::string& mdsValue, const char*, const char*) {
        // Quotes keep blanks at the ends of a text, and a text that is itself quoted, as they are.
        bool bQuote =
            !mdsValue.empty() && (IsBlank(mdsValue.front()) || IsBlank(mdsValue.back()) ||
                                  (mdsValue.size() >= 2 && mdsValue.front() == '"' && mdsValue.back() == '"'));
        dsText += mpszName;
        dsText += '=';
        dsText += bQuote ? '"' + mdsValue + '"' : mdsValue;
        dsText += '\n';
    });
    return dsText;
}
