// The run-time settings of one virtual user: the browser it imitates, how history, charset reparses, timers, META
// refreshes, applets and controls behave, the default sizes it answers without rendering, its memory sizes and its
// snapshot switches. The engine fills one object for the whole run (the initial settings) and copies it into each
// virtual user's block, where the library reads it and changes only the "Auto" choices.
//
// Every setting also has a lower_snake_case name, so that a text file of name=value lines can set it; one table in
// the .cpp describes every setting (name, kind, member, allowed values, help), and everything done by name goes
// through that table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "kxw/KxwExport.h"

// The browser family that the virtual user imitates; the values are fixed by the engine's settings files.
enum KXWI_BROWSER_MAJOR_TYPE_ENUM {
    KXWI_BROWSER_MAJOR_TYPE_IE = 2,  // Internet Explorer
    KXWI_BROWSER_MAJOR_TYPE_NS = 3,  // Netscape
};

enum KXWI_RTS_HISTORY_SUPPORT_ENUM {
    KXWI_RTS_HISTORY_SUPPORT_YES = 0,
    KXWI_RTS_HISTORY_SUPPORT_NO = 1,
    // Recorded until the second iteration starts; then "No" unless a script went back or forward meanwhile.
    KXWI_RTS_HISTORY_SUPPORT_AUTO = 2,
};

// Whether a response is parsed again when a META element changes the character set, per request method.
enum KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM {
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_NO = 0,
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_GET = 1,   // GET responses only
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_POST = 2,  // POST responses only
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_YES = 3,   // GET and POST
    // Reparse during the first iteration and keep, from the second on, what turned out to be needed.
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_AUTO = 4,
};

// What an interval timer does once the processing of the step's items has ended.
enum REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR {
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ONCE = 0,    // runs once more, then waits for the next step
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_TWICE = 1,   // runs twice more, then waits
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR_ALWAYS = 2,  // keeps running
};

class KXW_API KxwiRunTimeSettings {
public:
    // Limits of the numeric settings. Timeouts in seconds stop where their milliseconds still fit 32 bits, so that
    // timer code adding them to a 32-bit clock value can not wrap on the product alone.
    static constexpr uint32_t kMaxTimeoutSeconds = 4294967;
    static constexpr uint32_t kMaxScriptTimeLimitMs = 24u * 3600 * 1000;
    static constexpr uint32_t kMaxDownloadTimeoutMs = 24u * 3600 * 1000;
    static constexpr uint32_t kMinMemBlockSize = 4096;
    static constexpr uint32_t kMaxMemBlockSize = 16u * 1024 * 1024;
    static constexpr uint32_t kMaxMemBlockCount = 100000;
    static constexpr int32_t kMaxHistorySize = 1000000;
    static constexpr size_t kMaxStringLen = 8192;  // bytes of a text setting

    // The identification strings used when no explicit one is set.
    static constexpr const char* kIeBrowserIdString = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";
    static constexpr const char* kNsBrowserIdString =
        "Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:1.0.2) Gecko/20030208 Netscape/7.02";

    KxwiRunTimeSettings();

    // ---- Browser identity ----
    KXWI_BROWSER_MAJOR_TYPE_ENUM GetBrowserMajorType() const {
        return static_cast<KXWI_BROWSER_MAJOR_TYPE_ENUM>(_iBrowserMajorType);
    }
    bool SetBrowserMajorType(KXWI_BROWSER_MAJOR_TYPE_ENUM meType);
    // The explicit identification string, or empty for the one that goes with the major type.
    const std::string& GetBrowserIdString() const { return _dsBrowserIdString; }
    bool SetBrowserIdString(const char* mpszText);
    // The user-agent text the virtual user sends and shows to scripts: the explicit string when set, else the
    // string of the major type. Never null; valid until this object changes or dies.
    const char* GetActualBrowserIdString() const;
    const std::string& GetBrowserLanguage() const { return _dsBrowserLanguage; }
    bool SetBrowserLanguage(const char* mpszText) {
        return StoreString(_dsBrowserLanguage, mpszText, "SetBrowserLanguage");
    }
    const std::string& GetSystemLanguage() const { return _dsSystemLanguage; }
    bool SetSystemLanguage(const char* mpszText) {
        return StoreString(_dsSystemLanguage, mpszText, "SetSystemLanguage");
    }
    const std::string& GetUserLanguage() const { return _dsUserLanguage; }
    bool SetUserLanguage(const char* mpszText) { return StoreString(_dsUserLanguage, mpszText, "SetUserLanguage"); }
    // The home page, as DCS text.
    const char* GetHomePage() const { return _dsHomePageUrl.c_str(); }
    bool SetHomePage(const char* mpszUrl) { return StoreString(_dsHomePageUrl, mpszUrl, "SetHomePage"); }

    // ---- History ----
    KXWI_RTS_HISTORY_SUPPORT_ENUM GetHistorySupport() const {
        return static_cast<KXWI_RTS_HISTORY_SUPPORT_ENUM>(_iHistorySupport);
    }
    bool SetHistorySupport(KXWI_RTS_HISTORY_SUPPORT_ENUM meSupport);
    const char* GetHistorySupportString() const;              // "Yes", "No" or "Auto"
    int32_t GetHistorySize() const { return _iHistorySize; }  // most pages kept for back and forward
    bool SetHistorySize(int32_t miSize) {
        return StoreInt(_iHistorySize, miSize, 1, kMaxHistorySize, "SetHistorySize");
    }

    // ---- Reparse when META changes the character set ----
    KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM GetReparseWhenMetaChangesCharset() const {
        return static_cast<KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM>(_iReparseWhenMetaChangesCharset);
    }
    bool SetReparseWhenMetaChangesCharset(KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM meReparse);
    // The display text of the current choice, as written to the log when "Auto" is resolved.
    const char* GetReparseWhenMetaChangesCharsetString() const;
    // Whether a response of that method is parsed again now; "Auto" reparses until it is resolved.
    bool IsReparseWhenMetaChangesCharset(bool mbIsPost) const;
    // The choice that "Auto" resolves to, from the reparses that were really needed.
    static KXWI_RTS_REPARSE_WHEN_META_CHANGES_CHARSET_ENUM ResolveReparseWhenMetaChangesCharsetAuto(bool mbGet,
                                                                                                    bool mbPost);

    // ---- Script behaviour ----
    bool GetFailOnJavaScriptError() const { return _bFailOnJavaScriptError; }
    void SetFailOnJavaScriptError(bool mbFail) { _bFailOnJavaScriptError = mbFail; }
    // The level (a KXW_WTL_SEV_LVL_ENUM value, 1 to 7) at which the host reports script errors.
    int32_t GetJavaScriptErrorSevLvl() const { return _iJavaScriptErrorSevLvl; }
    bool SetJavaScriptErrorSevLvl(int32_t miLevel) {
        return StoreInt(_iJavaScriptErrorSevLvl, miLevel, 1, 7, "SetJavaScriptErrorSevLvl");
    }
    bool GetScriptStyleProperties() const { return _bScriptStyleProperties; }
    void SetScriptStyleProperties(bool mbOn) { _bScriptStyleProperties = mbOn; }
    bool GetFireKeyUpAfterTextChange() const { return _bFireKeyUpAfterTextChange; }
    void SetFireKeyUpAfterTextChange(bool mbOn) { _bFireKeyUpAfterTextChange = mbOn; }
    bool GetOracleWebApplications() const { return _bOracleWebApplications; }
    void SetOracleWebApplications(bool mbOn) { _bOracleWebApplications = mbOn; }
    bool GetSapWebApplications() const { return _bSapWebApplications; }
    void SetSapWebApplications(bool mbOn) { _bSapWebApplications = mbOn; }
    bool GetAsyncClickAndScript() const { return _bAsyncClickAndScript; }
    void SetAsyncClickAndScript(bool mbOn) { _bAsyncClickAndScript = mbOn; }

    // ---- Memory and object management ----
    uint32_t GetMemBlockSize() const { return _uMemBlockSize; }
    bool SetMemBlockSize(uint32_t muSize) {
        return StoreUint(_uMemBlockSize, muSize, kMinMemBlockSize, kMaxMemBlockSize, "SetMemBlockSize");
    }
    uint32_t GetMemBlockCount() const { return _uMemBlockCount; }
    bool SetMemBlockCount(uint32_t muCount) {
        return StoreUint(_uMemBlockCount, muCount, 0, kMaxMemBlockCount, "SetMemBlockCount");
    }
    uint32_t GetStrMemBlockSize() const { return _uStrMemBlockSize; }
    bool SetStrMemBlockSize(uint32_t muSize) {
        return StoreUint(_uStrMemBlockSize, muSize, kMinMemBlockSize, kMaxMemBlockSize, "SetStrMemBlockSize");
    }
    bool GetUseMemMgrAllocation() const { return _bUseMemMgrAllocation; }
    void SetUseMemMgrAllocation(bool mbOn) { _bUseMemMgrAllocation = mbOn; }
    bool GetRootScriptObjects() const { return _bRootScriptObjects; }
    void SetRootScriptObjects(bool mbOn) { _bRootScriptObjects = mbOn; }

    // ---- Timers ----
    bool GetUseVirtualTimerTimeout() const { return _bUseVirtualTimerTimeout; }
    void SetUseVirtualTimerTimeout(bool mbOn) { _bUseVirtualTimerTimeout = mbOn; }
    // Longest one script may run before the engine stops it; 0 for no limit.
    uint32_t GetScriptTimeLimitMs() const { return _uScriptTimeLimitMs; }
    bool SetScriptTimeLimitMs(uint32_t muMs) {
        return StoreUint(_uScriptTimeLimitMs, muMs, 0, kMaxScriptTimeLimitMs, "SetScriptTimeLimitMs");
    }
    // The network: how long a connection may take to open, and a whole download with its redirects.
    uint32_t GetConnectTimeoutMs() const { return _uConnectTimeoutMs; }
    bool SetConnectTimeoutMs(uint32_t muMs) {
        return StoreUint(_uConnectTimeoutMs, muMs, 1, kMaxDownloadTimeoutMs, "SetConnectTimeoutMs");
    }
    uint32_t GetDownloadTimeoutMs() const { return _uDownloadTimeoutMs; }
    bool SetDownloadTimeoutMs(uint32_t muMs) {
        return StoreUint(_uDownloadTimeoutMs, muMs, 1, kMaxDownloadTimeoutMs, "SetDownloadTimeoutMs");
    }
    // Secure connections: whether the server's certificate must be trusted (off: any certificate is accepted, as
    // load tests against test servers often need), and a PEM file of certificates trusted besides the system's.
    bool GetTlsVerifyPeer() const { return _bTlsVerifyPeer; }
    void SetTlsVerifyPeer(bool mbOn) { _bTlsVerifyPeer = mbOn; }
    const char* GetTlsCaFile() const { return _dsTlsCaFile.c_str(); }
    bool SetTlsCaFile(const char* mpszPath) { return StoreString(_dsTlsCaFile, mpszPath, "SetTlsCaFile"); }
    // The hosts a page's images, scripts and style sheets are loaded from, separated by commas ("*.name" also
    // matches the subdomains of name); empty for every host. The pages a test navigates to are always loaded.
    const char* GetDownloadHosts() const { return _dsDownloadHosts.c_str(); }
    bool SetDownloadHosts(const char* mpszHosts) { return StoreString(_dsDownloadHosts, mpszHosts, "SetDownloadHosts"); }
    uint32_t GetMaximumTimeout() const { return _uMaximumTimeout; }  // seconds
    uint64_t GetMaximumTimeoutMs() const { return uint64_t{_uMaximumTimeout} * 1000u; }
    bool SetMaximumTimeout(uint32_t muSeconds) {
        return StoreUint(_uMaximumTimeout, muSeconds, 0, kMaxTimeoutSeconds, "SetMaximumTimeout");
    }
    uint32_t GetMaximumAccumulativeTimeout() const { return _uMaximumAccumulativeTimeout; }  // seconds
    uint64_t GetMaximumAccumulativeTimeoutMs() const { return uint64_t{_uMaximumAccumulativeTimeout} * 1000u; }
    bool SetMaximumAccumulativeTimeout(uint32_t muSeconds) {
        return StoreUint(_uMaximumAccumulativeTimeout, muSeconds, 0, kMaxTimeoutSeconds,
                         "SetMaximumAccumulativeTimeout");
    }
    REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR GetSetIntervalTimeoutAfterEndBehavior() const {
        return static_cast<REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR>(_iReestablishSetIntervalAtEndOfStep);
    }
    bool SetSetIntervalTimeoutAfterEndBehavior(REESTABLISH_SETINTERVAL_AT_END_OF_STEP_BEHAVIOR meBehavior);

    // ---- META refresh ----
    uint32_t GetMaxMetaRefreshDelay() const { return _uMaxMetaRefreshDelay; }  // seconds; longer is no refresh
    bool SetMaxMetaRefreshDelay(uint32_t muSeconds) {
        return StoreUint(_uMaxMetaRefreshDelay, muSeconds, 0, kMaxTimeoutSeconds, "SetMaxMetaRefreshDelay");
    }
    bool GetMetaRefreshImmediately() const { return _bMetaRefreshImmediately; }
    void SetMetaRefreshImmediately(bool mbOn) { _bMetaRefreshImmediately = mbOn; }

    // ---- Sizes answered without rendering ----
    int32_t GetDefaultClientWidth() const { return _iDefaultClientWidth; }
    bool SetDefaultClientWidth(int32_t mi) {
        return StoreInt(_iDefaultClientWidth, mi, 0, INT32_MAX, "SetDefaultClientWidth");
    }
    int32_t GetDefaultClientHeight() const { return _iDefaultClientHeight; }
    bool SetDefaultClientHeight(int32_t mi) {
        return StoreInt(_iDefaultClientHeight, mi, 0, INT32_MAX, "SetDefaultClientHeight");
    }
    int32_t GetDefaultOffsetWidth() const { return _iDefaultOffsetWidth; }
    bool SetDefaultOffsetWidth(int32_t mi) {
        return StoreInt(_iDefaultOffsetWidth, mi, 0, INT32_MAX, "SetDefaultOffsetWidth");
    }
    int32_t GetDefaultOffsetHeight() const { return _iDefaultOffsetHeight; }
    bool SetDefaultOffsetHeight(int32_t mi) {
        return StoreInt(_iDefaultOffsetHeight, mi, 0, INT32_MAX, "SetDefaultOffsetHeight");
    }
    // Style "height" defaults: one for DIV elements, one for every other element; empty means none.
    const std::string& GetDefaultDivStyleHeight() const { return _dsDefaultDivStyleHeight; }
    bool SetDefaultDivStyleHeight(const char* mpszText) {
        return StoreString(_dsDefaultDivStyleHeight, mpszText, "SetDefaultDivStyleHeight");
    }
    const std::string& GetDefaultStyleHeight() const { return _dsDefaultStyleHeight; }
    bool SetDefaultStyleHeight(const char* mpszText) {
        return StoreString(_dsDefaultStyleHeight, mpszText, "SetDefaultStyleHeight");
    }

    // ---- Screen ----
    int32_t GetScreenWidth() const { return _iScreenWidth; }
    bool SetScreenWidth(int32_t mi) { return StoreInt(_iScreenWidth, mi, 0, INT32_MAX, "SetScreenWidth"); }
    int32_t GetScreenHeight() const { return _iScreenHeight; }
    bool SetScreenHeight(int32_t mi) { return StoreInt(_iScreenHeight, mi, 0, INT32_MAX, "SetScreenHeight"); }
    int32_t GetScreenAvailWidth() const { return _iScreenAvailWidth; }
    bool SetScreenAvailWidth(int32_t mi) {
        return StoreInt(_iScreenAvailWidth, mi, 0, INT32_MAX, "SetScreenAvailWidth");
    }
    int32_t GetScreenAvailHeight() const { return _iScreenAvailHeight; }
    bool SetScreenAvailHeight(int32_t mi) {
        return StoreInt(_iScreenAvailHeight, mi, 0, INT32_MAX, "SetScreenAvailHeight");
    }
    int32_t GetScreenBufferDepth() const { return _iScreenBufferDepth; }
    bool SetScreenBufferDepth(int32_t mi) { return StoreInt(_iScreenBufferDepth, mi, 0, 64, "SetScreenBufferDepth"); }
    int32_t GetScreenColorDepth() const { return _iScreenColorDepth; }
    bool SetScreenColorDepth(int32_t mi) { return StoreInt(_iScreenColorDepth, mi, 1, 64, "SetScreenColorDepth"); }
    bool GetScreenFontSmoothingEnabled() const { return _bScreenFontSmoothingEnabled; }
    void SetScreenFontSmoothingEnabled(bool mbOn) { _bScreenFontSmoothingEnabled = mbOn; }
    int32_t GetScreenUpdateInterval() const { return _iScreenUpdateInterval; }
    bool SetScreenUpdateInterval(int32_t mi) {
        return StoreInt(_iScreenUpdateInterval, mi, 0, INT32_MAX, "SetScreenUpdateInterval");
    }

    // ---- Java applets ----
    bool GetJavaAppletsEnabled() const { return _bJavaAppletsEnabled; }  // also what navigator.javaEnabled() says
    void SetJavaAppletsEnabled(bool mbOn) { _bJavaAppletsEnabled = mbOn; }
    bool GetJavaBuiltinRuntime() const { return _bJavaBuiltinRuntime; }
    void SetJavaBuiltinRuntime(bool mbOn) { _bJavaBuiltinRuntime = mbOn; }
    int32_t GetJavaDebugLevel() const { return _iJavaDebugLevel; }
    bool SetJavaDebugLevel(int32_t mi) { return StoreInt(_iJavaDebugLevel, mi, 0, INT32_MAX, "SetJavaDebugLevel"); }
    // The Java VM library (libjvm.so) to load; empty: $JAVA_HOME's, then the one found when the library was built.
    const char* GetJavaVmLibrary() const { return _dsJavaVmLibrary.c_str(); }
    bool SetJavaVmLibrary(const char* mpszPath) { return StoreString(_dsJavaVmLibrary, mpszPath, "SetJavaVmLibrary"); }
    // The two switches and the number handed unchanged to the Java side's global initialisation.
    bool GetJavaGlobalInitSwitch1() const { return _bJavaGlobalInitSwitch1; }
    void SetJavaGlobalInitSwitch1(bool mbOn) { _bJavaGlobalInitSwitch1 = mbOn; }
    bool GetJavaGlobalInitSwitch2() const { return _bJavaGlobalInitSwitch2; }
    void SetJavaGlobalInitSwitch2(bool mbOn) { _bJavaGlobalInitSwitch2 = mbOn; }
    int32_t GetJavaGlobalInitNumber() const { return _iJavaGlobalInitNumber; }
    bool SetJavaGlobalInitNumber(int32_t mi) {
        return StoreInt(_iJavaGlobalInitNumber, mi, INT32_MIN, INT32_MAX, "SetJavaGlobalInitNumber");
    }

    // ---- ActiveX controls ----
    bool GetActiveXEnabled() const { return _bActiveXEnabled; }
    void SetActiveXEnabled(bool mbOn) { _bActiveXEnabled = mbOn; }
    bool GetActiveXCreateControls() const { return _bActiveXCreateControls; }
    void SetActiveXCreateControls(bool mbOn) { _bActiveXCreateControls = mbOn; }

    // ---- Snapshots and iteration end ----
    bool GetSnapshotOnError() const { return _bSnapshotOnError; }
    void SetSnapshotOnError(bool mbOn) { _bSnapshotOnError = mbOn; }
    bool GetDomSnapshotMode() const { return _bDomSnapshotMode; }
    void SetDomSnapshotMode(bool mbOn) { _bDomSnapshotMode = mbOn; }
    bool GetSnapshotResources() const { return _bSnapshotResources; }
    void SetSnapshotResources(bool mbOn) { _bSnapshotResources = mbOn; }
    // Resources are collected after the first iteration only when both of these are on.
    bool GetSnapshotEachIteration() const { return _bSnapshotEachIteration; }
    void SetSnapshotEachIteration(bool mbOn) { _bSnapshotEachIteration = mbOn; }
    bool GetSnapshotResourcesEachIteration() const { return _bSnapshotResourcesEachIteration; }
    void SetSnapshotResourcesEachIteration(bool mbOn) { _bSnapshotResourcesEachIteration = mbOn; }
    bool GetAlertSnapshots() const { return _bAlertSnapshots; }
    void SetAlertSnapshots(bool mbOn) { _bAlertSnapshots = mbOn; }
    bool GetSnapshotHighlight() const { return _bSnapshotHighlight; }
    void SetSnapshotHighlight(bool mbOn) { _bSnapshotHighlight = mbOn; }
    const std::string& GetCorrelationSyncFile() const { return _dsCorrelationSyncFile; }
    bool SetCorrelationSyncFile(const char* mpszName) {
        return StoreString(_dsCorrelationSyncFile, mpszName, "SetCorrelationSyncFile");
    }
    const std::string& GetRunTimeViewer() const { return _dsRunTimeViewer; }
    bool SetRunTimeViewer(const char* mpszText) { return StoreString(_dsRunTimeViewer, mpszText, "SetRunTimeViewer"); }
    bool GetEndOfIterationHandling() const { return _bEndOfIterationHandling; }
    void SetEndOfIterationHandling(bool mbOn) { _bEndOfIterationHandling = mbOn; }

    // ---- By name ----
    // Sets one setting from its text form. Booleans take on/off, true/false, yes/no, 1/0; enumerations their
    // number or word; numbers are decimal. On failure *mpdsError (when given) says why, naming the setting, the
    // setting keeps its value and the result is false.
    bool SetByName(const char* mpszName, const char* mpszValue, std::string* mpdsError);
    // The current value of a named setting in the text form SetByName accepts; false for an unknown name.
    bool GetByName(const char* mpszName, std::string* mpdsValue) const;

    // Reads name=value lines; blank lines and lines whose first non-blank character is '#' are skipped, and a
    // text value may be put in double quotes to keep blanks at its ends. Every bad line is reported in
    // *mpdsError (one per line, each naming its line number and setting); when any line is bad, no setting
    // changes and the result is false.
    bool LoadFromText(const char* mpszText, size_t mnLen, std::string* mpdsError);
    bool LoadFromFile(const char* mpszPath, std::string* mpdsError);

    // Every setting in table order: its name, its current value as text, the values it allows and a help line.
    using SettingVisitor = std::function<void(const char* mpszName, const std::string& mdsValue,
                                              const char* mpszAllowed, const char* mpszHelp)>;
    void ForEachSetting(const SettingVisitor& mtVisitor) const;
    static size_t GetSettingCount();
    // All settings as name=value lines that LoadFromText reads back to the same values.
    std::string ToText() const;

private:
    friend struct KxwiRunTimeSettingsTable;

    bool StoreInt(int32_t& mriMember, int64_t mllValue, int64_t mllMin, int64_t mllMax, const char* mpszSetter);
    bool StoreUint(uint32_t& mruMember, uint64_t mullValue, uint64_t mullMin, uint64_t mullMax, const char* mpszSetter);
    bool StoreString(std::string& mrdsMember, const char* mpszText, const char* mpszSetter);

    // Enumerations are kept as fixed-width integers so that the by-name table can reach them like numbers.
    int32_t _iBrowserMajorType;
    std::string _dsBrowserIdString;
    std::string _dsBrowserLanguage;
    std::string _dsSystemLanguage;
    std::string _dsUserLanguage;
    std::string _dsHomePageUrl;

    int32_t _iHistorySupport;
    int32_t _iHistorySize;
    int32_t _iReparseWhenMetaChangesCharset;

    bool _bFailOnJavaScriptError;
    int32_t _iJavaScriptErrorSevLvl;
    bool _bScriptStyleProperties;
    bool _bFireKeyUpAfterTextChange;
    bool _bOracleWebApplications;
    bool _bSapWebApplications;
    bool _bAsyncClickAndScript;

    uint32_t _uMemBlockSize;
    uint32_t _uMemBlockCount;
    uint32_t _uStrMemBlockSize;
    bool _bUseMemMgrAllocation;
    bool _bRootScriptObjects;

    bool _bUseVirtualTimerTimeout;
    uint32_t _uScriptTimeLimitMs;
    uint32_t _uConnectTimeoutMs;
    uint32_t _uDownloadTimeoutMs;
    bool _bTlsVerifyPeer;
    std::string _dsTlsCaFile;
    std::string _dsDownloadHosts;
    uint32_t _uMaximumTimeout;
    uint32_t _uMaximumAccumulativeTimeout;
    int32_t _iReestablishSetIntervalAtEndOfStep;

    uint32_t _uMaxMetaRefreshDelay;
    bool _bMetaRefreshImmediately;

    int32_t _iDefaultClientWidth;
    int32_t _iDefaultClientHeight;
    int32_t _iDefaultOffsetWidth;
    int32_t _iDefaultOffsetHeight;
    std::string _dsDefaultDivStyleHeight;
    std::string _dsDefaultStyleHeight;

    int32_t _iScreenWidth;
    int32_t _iScreenHeight;
    int32_t _iScreenAvailWidth;
    int32_t _iScreenAvailHeight;
    int32_t _iScreenBufferDepth;
    int32_t _iScreenColorDepth;
    bool _bScreenFontSmoothingEnabled;
    int32_t _iScreenUpdateInterval;

    bool _bJavaAppletsEnabled;
    bool _bJavaBuiltinRuntime;
    int32_t _iJavaDebugLevel;
    std::string _dsJavaVmLibrary;
    bool _bJavaGlobalInitSwitch1;
    bool _bJavaGlobalInitSwitch2;
    int32_t _iJavaGlobalInitNumber;

    bool _bActiveXEnabled;
    bool _bActiveXCreateControls;

    bool _bSnapshotOnError;
    bool _bDomSnapshotMode;
    bool _bSnapshotResources;
    bool _bSnapshotEachIteration;
    bool _bSnapshotResourcesEachIteration;
    bool _bAlertSnapshots;
    bool _bSnapshotHighlight;
    std::string _dsCorrelationSyncFile;
    std::string _dsRunTimeViewer;
    bool _bEndOfIterationHandling;
};
