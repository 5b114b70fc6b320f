// The element verbs of steps files: each turns its arguments into the library's description of an element, has the
// library find it in the current window (and its frames, or in the frame= frame only), and acts on it as a user
// would, through the library's user actions; the step then waits for what the action loaded.
#pragma once

#include <string>

class KxwPlayVUser;
struct KxwPlayStep;

bool xfbKxwPlayRunLink(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunImage(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunButton(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunEdit(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunCheck(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunRadio(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunList(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunArea(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunElement(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
bool xfbKxwPlayRunSubmit(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
