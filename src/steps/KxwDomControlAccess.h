// What element location reads of an element beyond its id and name: the script-visible value of a control, a
// text or boolean property, an input's type, a source URL in its absolute form. Each reads the declared script
// property first (so a value the user typed counts, not the attribute the page was sent with) and the attribute
// as written otherwise; none runs a page's script.
#pragma once

#include <string>

class KxwDomHtmlElement;

std::u16string xfdsKxwDomControlValue(KxwDomHtmlElement* mptElement);
std::u16string xfdsKxwDomControlText(KxwDomHtmlElement* mptElement, const char* mpszName);
bool xfbKxwDomControlFlag(KxwDomHtmlElement* mptElement, const char* mpszName);
// Whether an INPUT is of the named type (ignoring case); an empty name is any type.
bool xfbKxwDomControlIsInputOfType(KxwDomHtmlElement* mptInput, const std::string& mdsType);
// An IMG's or an INPUT's src resolved against the document's base; empty without one.
std::u16string xfdsKxwDomControlAbsoluteSrc(KxwDomHtmlElement* mptElement);
