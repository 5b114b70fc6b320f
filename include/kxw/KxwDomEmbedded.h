// What the replay engine asks of embedded content (applets): the loads it needs.
//
// Threads: every call is made on the thread of the virtual user that owns the element.
#pragma once

#include <string>

#include "kxw/KxwExport.h"

class KxwDomNodeBase;

// What an applet asks for with notification 34: the URL of an archive or class, and whether its Java code waits
// for it during the notification (a class its class loader needs now: load it before returning) or not (an
// archive: load it in turn). Empty for another node.
KXW_API std::string xfdsKxwDomAppletGetUrlToDownload(KxwDomNodeBase* mptApplet, bool* mpbNeededNow);
