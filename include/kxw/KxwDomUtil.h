// Free functions through which any code, in the library or in the engine, reaches the current virtual user's
// object manager and settings, plus the small parsers that follow the emulated browser.
#pragma once

#include <cstdint>

#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwExport.h"
#include "kxw/KxwSevLvl.h"

class KxwObjMgr;
struct KxwPostNotificationInfo;
class KxwiRunTimeSettings;
class KxwHswApi;
class KxwDomHtmlCollectionGeneral;

// Major browser types of the run-time settings.
constexpr int KXW_BROWSER_MAJOR_TYPE_IE = 2;
constexpr int KXW_BROWSER_MAJOR_TYPE_NS = 3;

// "No number" of the HTML attribute parser.
constexpr int32_t KXW_HTML_NUMBER_NONE = 0x7FFFFFFF;

// The current virtual user's object manager, or null (reported at level 7 when mpszCaller is a name).
KXW_API KxwObjMgr* xfptKxwDomUtilGetObjMgr(const char* mpszCaller);
// Whether the calling virtual user's object manager is generating markup for a snapshot (false without one).
bool xfbKxwDomUtilIsDomSnapshotsBeingGenerated();
// Writes the current virtual user's whole hierarchy to the log at the informative level (KxwObjMgr::
// DebugPrintHierarchy, mulMask of KXW_DOM_PRINT_MASK_ENUM bits); false, writing nothing, when there is no virtual
// user, no object manager or no window.
KXW_API bool xfbKxwObjMgrDebugPrint(const char* mpszTitle, unsigned long mulMask);

// Hands a notification to the current virtual user's object manager, which passes what it does not handle itself
// to the engine (a text to parse, a navigation, a cookie). Without one it is reported and dropped.
KXW_API void xfvKxwDomUtilNotifyObjMgr(KXW_DOM_COMMON_NOTIFICATION_ENUM meNotificationType,
                                       void* mpvNotificationSubject, void* mpvNotificationObject);
// A POST was issued (notification 21): the engine gives its post id; true when it did (an id of 4 or more).
KXW_API bool xfbKxwDomUtilNotifyPostIssuedOK(KxwPostNotificationInfo* mptPostInfo);

KXW_API bool xfbKxwDomUtilIsIE();
KXW_API bool xfbKxwDomUtilIsNS();
KXW_API int xfeKxwDomUtilGetMajorBrowserType();

// A non-negative integer attribute value as the emulated browser reads it; KXW_HTML_NUMBER_NONE when invalid.
KXW_API int32_t xfliKxwDomUtilGetHtmlNumberOrLongMax(const char* mpsfDcsStr, unsigned muDcsLenInBytes);
// The same for a given major browser type.
KXW_API int32_t xfliKxwDomUtilGetHtmlNumberOrLongMaxFor(int miMajorBrowserType, const char* mpsfDcsStr,
                                                        unsigned muDcsLenInBytes);
// A script-style integer of UTF-16 text; 0 when invalid.
KXW_API int32_t xfliKxwDomUtilGetJsNumber(const char16_t* mpwsfU16nStr, unsigned muU16nLenInChars);

KXW_API bool xfbKxwDomUtilFailOnJavaScriptError();
KXW_API KXW_WTL_SEV_LVL_ENUM xfeKxwDomUtilJavaScriptErrorSevLvl();
KXW_API bool xfbKxwDomUtilIsOracle();
KXW_API bool xfbKxwDomUtilIsSap();
KXW_API bool xfbKxwDomUtilIsAsyncClickAndScript();
KXW_API bool xfbKxwDomUtilIsProcessAllItemsEnded();
KXW_API KxwiRunTimeSettings* xfptKxwDomUtilGetRTS();
KXW_API const char* xpszKxwDomUtilGetHomePageDcsStr();
KXW_API KxwHswApi* xfptKxwDomUtilGetHswApi();
KXW_API KxwDomHtmlCollectionGeneral** xfpptKxwDomUtilGetCollectionPtr();

KXW_API bool xfbIsAboutBlank(const char16_t* mpwsfU16nStr, int miU16nLenInChars);
KXW_API bool xfbIsHash(const char* mpsfDcsStr, unsigned muDcsLenInBytes);

// Catalogued messages for the script's author. The first form asks the severity filter first; the second issues
// at the caller's level without asking. The variable arguments are those of the message's catalogue text.
KXW_API void xfvKxwDomUtilReportCatalogedMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszFunction,
                                                 int miLine, ...);
KXW_API void xfvKxwDomUtilIssueCatalogedMessage(KXW_WTL_SEV_LVL_ENUM meSevLvl, int miMsgId, const char* mpszFunction,
                                                int miLine, ...);
