#include "KxwMsgHandler.h"

#include <cstdio>

#include "KxwMsgCatalogue.h"
#include "KxwUtilReport.h"
#include "maw_alloc.h"

int FormatGenericMessage(const char* mpszModule, int miIndex, unsigned long mulFlags, int miMsgId, va_list mtArgs,
                         char** mppszText) {
    if (!mppszText) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "mppszText is NULL in FormatGenericMessage for miMsgId=%d", miMsgId);
        return KXW_MSG_HANDLER_STATUS_NULL_OUTPUT;
    }
    *mppszText = nullptr;

    const KxwMsgCatalogueEntry* ptEntry = xfptKxwMsgCatalogueFind(miMsgId);
    if (!ptEntry) {
        xfvKxwUtilReportInternalErrorBySevLvl(
            KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
            "Message number %d is not in the message catalogue in FormatGenericMessage (module=\"%.100s\", "
            "index=%d, flags=0x%lx)",
            miMsgId, mpszModule ? mpszModule : "[NULL]", miIndex, mulFlags);
        return KXW_MSG_HANDLER_STATUS_UNKNOWN_MSG_ID;
    }

    // A first pass measures, so that the text is never cut however long the caller's arguments are.
    va_list tMeasureArgs;
    va_copy(tMeasureArgs, mtArgs);
    int iLen = std::vsnprintf(nullptr, 0, ptEntry->_pszFormat, tMeasureArgs);
    va_end(tMeasureArgs);
    if (iLen < 0) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "vsnprintf failed for message number %d in FormatGenericMessage",
                                              miMsgId);
        return KXW_MSG_HANDLER_STATUS_FORMAT_FAILED;
    }

    size_t nSize = static_cast<size_t>(iLen) + 1;
    char* pszText = static_cast<char*>(maw_malloc(nSize));
    if (!pszText) KxwUtilOutOfMemoryAbort(static_cast<long>(nSize), "the text of a catalogued message");
    std::vsnprintf(pszText, nSize, ptEntry->_pszFormat, mtArgs);
    *mppszText = pszText;
    return KXW_MSG_HANDLER_STATUS_OK;
}

int FormatGenericMessageEx(const char* mpszModule, int miIndex, unsigned long mulFlags, int miMsgId, char** mppszText,
                           ...) {
    va_list tArgs;
    va_start(tArgs, mppszText);
    int iStatus = FormatGenericMessage(mpszModule, miIndex, mulFlags, miMsgId, tArgs, mppszText);
    va_end(tArgs);
    return iStatus;
}

void FreeGenericMessage(char* mpszText) {
    maw_free(mpszText);
}

const char* xfpszKxwMsgCatalogueGetFormat(int miMsgId) {
    const KxwMsgCatalogueEntry* ptEntry = xfptKxwMsgCatalogueFind(miMsgId);
    return ptEntry ? ptEntry->_pszFormat : nullptr;
}

int xfiKxwMsgCatalogueGetArgCount(int miMsgId) {
    const KxwMsgCatalogueEntry* ptEntry = xfptKxwMsgCatalogueFind(miMsgId);
    return ptEntry ? ptEntry->_iArgCount : -1;
}
