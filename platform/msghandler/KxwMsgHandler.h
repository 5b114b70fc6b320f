// The message handler: turns a catalogued message number and the caller's arguments into the finished text of a
// message meant for the author of a page script. The numbers and their formats live in the catalogue
// (KxwMsgCatalogue.cpp); every caller passes exactly the arguments that the number's format asks for.
#pragma once

#include <cstdarg>

#include "kxw/KxwExport.h"

// Results of FormatGenericMessage; anything but OK leaves no text to free.
enum KXW_MSG_HANDLER_STATUS_ENUM {
    KXW_MSG_HANDLER_STATUS_OK = 0,
    KXW_MSG_HANDLER_STATUS_UNKNOWN_MSG_ID = 1,  // the number is not in the catalogue
    KXW_MSG_HANDLER_STATUS_NULL_OUTPUT = 2,     // no place to put the text was given
    KXW_MSG_HANDLER_STATUS_FORMAT_FAILED = 3,   // the C library could not format the arguments
};

// The direct message: its format is "%s", so the caller passes a finished text, which is never read as a format.
constexpr int KXW_MSG_ID_DIRECT_MESSAGE = -26000;

// Formats catalogued message miMsgId with the caller's printf-style arguments into a new text (*mppszText), which the
// caller releases with FreeGenericMessage. Returns 0 on success; a non-zero status and *mppszText = nullptr when the
// number is not in the catalogue (then also reports it once as an internal error) or mppszText is null.
// The module name, the index and the flags select nothing: one catalogue serves every caller.
KXW_API int FormatGenericMessage(const char* mpszModule, int miIndex, unsigned long mulFlags, int miMsgId,
                                 va_list mtArgs, char** mppszText);
int FormatGenericMessageEx(const char* mpszModule, int miIndex, unsigned long mulFlags, int miMsgId, char** mppszText,
                           ...);
KXW_API void FreeGenericMessage(char* mpszText);

// The raw format of a number (nullptr when absent), and how many printf arguments it takes (-1 when absent).
const char* xfpszKxwMsgCatalogueGetFormat(int miMsgId);
int xfiKxwMsgCatalogueGetArgCount(int miMsgId);
