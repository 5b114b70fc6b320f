#include "KxwMsgCatalogue.h"

#include <algorithm>
#include <iterator>

namespace {

// Every text argument carries a precision, so that a runaway URL or script never makes a message of megabytes;
// only the direct message passes its text whole, because its caller has already shaped it.
constexpr KxwMsgCatalogueEntry gatEntries[] = {
    // A script assigned inner HTML to an element that cannot have content (tag name).
    {-35998, "Cannot set the inner HTML of a <%.100s> element: this element has no content", 1},
    // A timer's delay is above the maximum timeout, so no timer is made (delay ms, maximum s, timer id, code).
    {-35997,
     "The delay of %ld ms exceeds the maximum timeout of %ld s: timer %d is not created and will not run. "
     "Code: %.1000s",
     4},
    // A timer would expire after the step's accumulated time limit and waits for the next step (timer id,
    // maximum accumulated timeout s, delay ms, code).
    {-35996,
     "Timer %d is frozen until the next step: it would expire beyond the maximum accumulative timeout of %ld s "
     "(delay %ld ms). Code: %.1000s",
     4},
    // A timer was requested (timer id, delay ms, effective time ms, run clock ms, code).
    {-35995, "Timer %d requested with a delay of %ld ms at %lu ms (run clock %lu ms). Code: %.1000s", 5},
    // A timer was handed to the timer service on the effective clock (timer id, now ms, expiration ms, delay ms).
    {-35994, "Timer %d registered at %lu ms, due at %lu ms (in %lu ms)", 4},
    // A timer's registration with the timer service was withdrawn (timer id).
    {-35993, "Timer %d unregistered", 1},
    // A timer is about to run (timer id, effective time ms, expiration ms, run clock ms, code).
    {-35992, "Running timer %d at %lu ms, due at %lu ms (run clock %lu ms). Code: %.1000s", 5},
    // A timer came due while another timer of the same window was running (this timer id, running timer id).
    {-35991, "Timer %d cannot run while timer %d of the same window is still running", 2},
    // clearTimeout or clearInterval named no known timer (timer id).
    {-35990, "clearTimeout/clearInterval: there is no timer with the identifier %d", 1},
    // A VALUE attribute in the HTML of a file input is ignored (value, control name).
    {-35989, "The value \"%.200s\" given in the HTML of the file input \"%.100s\" is ignored", 2},
    // A script tried to set the value of a file input (control name).
    {-35988, "A script cannot set the value of the file input \"%.100s\"; the value is unchanged", 1},
    // A script assigned something other than a function, a string or null to an event handler property.
    {-35986, "An event handler property accepts only a function, a string or null; the assignment is ignored", 0},
    // A second handler attribute for the same event on one element is ignored (handler name).
    {-35985, "The event handler attribute \"%.100s\" is given more than once; only the first one is used", 1},
    // An event handler name that is not known was passed to a script method (handler name, target description).
    {-35984, "\"%.100s\" is not a known event handler name for %.100s", 2},
    // A property is stored but has no effect on the replay (property name).
    {-35983, "The property \"%.100s\" is stored but has no effect", 1},
    // A user action asked for more than one selected option in a single-selection list.
    {-35979, "Only one option can be selected in a single-selection list; the action is ignored", 0},
    // A click on a link with no address and no click handler has nothing to do.
    {-35974, "The clicked link has no address to follow and no click handler to run", 0},
    // An interval timer was set up again after its run (timer id).
    {-35973, "Interval timer %d re-established", 1},
    // An interval timer ran after the step's processing ended and waits, frozen, for the next step (timer id).
    {-35972, "Interval timer %d is frozen until the next step", 1},
    // A user typed more characters than a text control's maximum length allows (length, control name, maximum).
    {-35968, "A value of %ld characters was typed into \"%.100s\", whose maxLength is %ld; the whole value is kept", 3},
    // The controller synchronisation file could not be opened (path, errno).
    {-35967, "Cannot open the controller synchronisation file \"%.1000s\" (errno %d)", 2},
    // The correlation synchronisation file could not be created.
    {-35966, "Cannot create the correlation synchronisation file", 0},
    // The run-time viewer failed and the page was not shown in it (name of the failing step).
    {-35965, "The run-time viewer failed in \"%.100s\"; the page is not displayed", 1},
    // A form is submitted again after its previous submission was aimed at the frame that holds it (action).
    {-35963,
     "The form is submitted to \"%.2000s\" again, although its previous submission was aimed at the frame that "
     "holds it",
     1},
    // A property was asked of an element that does not have it (tag name, property name).
    {-35961, "A <%.100s> element has no \"%.100s\" property", 2},
    // A script tried to change the type of an INPUT whose type is already set (new type, current type).
    {-35960, "Cannot change the type of this INPUT element to \"%.100s\": its type is already \"%.100s\"", 2},
    // An index passed to a script method is out of range (method name).
    {-35958, "%.100s: the index is out of range", 1},
    // A script method could not be carried out (method name).
    {-35956, "%.100s: the method could not be carried out", 1},
    // A script method's argument could not be converted (method name, value, argument index, type).
    {-35953, "%.100s: cannot convert the value %p of argument %d to type %d", 4},
    // Browser windows were added so that a step's ordinal finds its window (windows added, title, ordinal).
    {-35949, "Added %d browser windows titled \"%.200s\" so that ordinal %u can be matched", 3},
    // A script assigned a property that cannot be set on this element (property name, tag name).
    {-35948, "No browser window titled \"%.200s\" (ordinal %u) has a frame \"%.200s\" with ordinal %u", 4},
    {-35947, "The browser window titled \"%.200s\" (ordinal %u) exists, but no frame name was given to tell the "
             "window wanted", 2},
    {-35946, "History %.20s: there are not %d page(s) to go to", 2},
    {-35945, "History %.20s: history support is off for this virtual user", 1},
    {-35944, "The property \"%.100s\" cannot be set on a <%.100s> element", 2},
    // An event was fired at a target that cannot respond to it (target description, handler name).
    {-35943, "%.100s does not respond to the event \"%.100s\"", 2},
    // setAttribute named a read-only property (attribute name).
    {-35942, "The attribute \"%.100s\" is read-only", 1},
    // After the step's processing ended, an interval timer is set up to run once more (timer id).
    {-35940, "history.go(0) reloads \"%.2000s\"", 1},
    {-35937, "Interval timer %d re-established to run once more after the end of the step", 1},
    // A random ordinal was chosen among the matching elements (ordinal, number of matches, argument name).
    {-35934, "Ordinal %d chosen at random among %d matching elements for %.100s", 3},
    // The window was closed or replaced while an event handler ran.
    {-35933, "The window was closed or replaced while an event handler was running", 0},
    // A script in a language other than JavaScript is not run (type, language).
    {-35932, "The script with type \"%.100s\" and language \"%.100s\" is not JavaScript and is not run", 2},
    // A timer was handed to the timer service on the run clock (timer id, now ms, expiration ms, delay ms).
    {-35931, "Timer %d registered on the run clock at %lu ms, due at %lu ms (in %lu ms)", 4},
    // Registered dialog answers were left unused, reported as an error (number left).
    {-35929, "%d registered dialog answer(s) were never used", 1},
    // Registered dialog answers were left unused, reported for diagnosis (number left).
    {-35928, "%d registered dialog answer(s) were not used and are discarded", 1},
    // A page's confirm or prompt was answered by an answer registered for it (dialog kind, message).
    {-35927, "The %.20s dialog \"%.1900s\" was answered as registered", 2},
    // A script's last line, a bare HTML comment close, is dropped (the dropped line).
    {-35926, "The last line of the script closes an HTML comment and is dropped: \"%.200s\"", 1},
    // A page's confirm matched no registered answer, so OK was clicked (message).
    {-35925, "No answer was registered for the confirm dialog \"%.1900s\": OK is clicked", 1},
    // A page's prompt matched no registered answer, so the empty text was returned (message).
    {-35924, "No answer was registered for the prompt dialog \"%.1900s\": the empty text is returned", 1},
    // The script of a javascript: URL failed (URL).
    {-35923, "The script of the javascript: URL \"%.2000s\" failed", 1},
    // The window was navigated while its javascript: URL ran, so the result is discarded.
    {-35922, "The window was navigated while its javascript: URL was running; the result is discarded", 0},
    // The document was replaced while its javascript: URL ran (window description, URL).
    {-35921,
     "The document of %.100s was replaced while the javascript: URL \"%.2000s\" was running; the result is "
     "discarded",
     2},
    // The node that started a javascript: URL was deleted while it ran (node type name).
    {-35920, "The %.100s that started a javascript: URL was deleted while the URL was running; the result is discarded",
     1},
    // A javascript: URL gave undefined, so nothing is written.
    {-35918, "The javascript: URL returned undefined; nothing is written", 0},
    // A javascript: URL gave a value that is not a string, so nothing is written.
    {-35917, "The javascript: URL returned a value that is not a string; nothing is written", 0},
    // A javascript: URL gave an empty string, so nothing is written.
    {-35916, "The javascript: URL returned an empty string; nothing is written", 0},
    // The value of a javascript: URL is ignored for an object that cannot take it (node description, URL).
    {-35915, "The value returned by a javascript: URL is ignored for %.100s (URL \"%.2000s\")", 2},
    // A script element's text was taken from its javascript: URL (node description, URL, text).
    {-35913, "The text of %.100s is taken from the javascript: URL \"%.2000s\": %.1000s", 3},
    // A script element's javascript: URL gave no text, so the script is empty.
    {-35912, "The javascript: URL of the script gave no text; the script is empty", 0},
    // An OBJECT names a control while creating controls is switched off (class id).
    {-35911, "The control \"%.200s\" of an OBJECT element is not created: creating controls is switched off", 1},
    // A script used an OBJECT whose control is not available (class id).
    {-35910, "The control \"%.200s\" of an OBJECT element is not available; the call does nothing", 1},
    // A script asked for a control while controls are switched off (class name).
    {-35909, "new ActiveXObject(\"%.200s\") is refused: ActiveX controls are switched off", 1},
    // The direct message: the caller passes the finished text.
    {-26000, "%s", 1},
};

constexpr bool IsStrictlyAscending() {
    for (size_t n = 1; n < std::size(gatEntries); ++n) {
        if (gatEntries[n - 1]._iMsgId >= gatEntries[n]._iMsgId) return false;
    }
    return true;
}
static_assert(IsStrictlyAscending(), "the catalogue must stay in ascending order of number, without repeats");

}  // namespace

const KxwMsgCatalogueEntry* xfptKxwMsgCatalogueFind(int miMsgId) {
    const KxwMsgCatalogueEntry* ptEnd = std::end(gatEntries);
    const KxwMsgCatalogueEntry* ptFound =
        std::lower_bound(std::begin(gatEntries), ptEnd, miMsgId,
                         [](const KxwMsgCatalogueEntry& mrtEntry, int miId) { return mrtEntry._iMsgId < miId; });
    return ptFound != ptEnd && ptFound->_iMsgId == miMsgId ? ptFound : nullptr;
}

const KxwMsgCatalogueEntry* xfptKxwMsgCatalogueGetEntries(size_t* mpnCount) {
    if (mpnCount) *mpnCount = std::size(gatEntries);
    return gatEntries;
}
