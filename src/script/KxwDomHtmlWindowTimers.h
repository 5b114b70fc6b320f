// The window's timer methods as its page's scripts call them: setTimeout and setInterval (code text or a
// function, the delay, a language that is not used) give a timer identifier of the virtual user; clearTimeout and
// clearInterval remove a timer of either kind. Rows of the window's method table.
#pragma once

class KxwJswCallArgs;
class KxwJswUserObjBase;

namespace KxwDomHtmlWindowTimers {

bool setTimeout_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);
bool setInterval_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);
bool clearTimeout_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);
bool clearInterval_callback(KxwJswUserObjBase* mptUserObj, KxwJswCallArgs& mrtArgs);

}  // namespace KxwDomHtmlWindowTimers
