// Think time and wasted time of the calling virtual user, measured on the run clock and summed per user.
#pragma once

#include "kxw/KxwExport.h"

// Both return 0, or -1 for a negative time or a thread without a virtual user (reported).
KXW_API int Transaction_ThinkTime(double mdfMs);
KXW_API int Transaction_WastedTime(double mdfMs);
