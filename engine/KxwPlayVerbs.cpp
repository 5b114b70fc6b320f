#include "KxwPlayVerbs.h"

#include <regex.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "KxwDomStrRegExp.h"
#include "KxwEngineFetch.h"
#include "KxwPlayElementSteps.h"
#include "KxwPlayReport.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVUser.h"
#include "KxwTransaction.h"
#include "KxwUtilReport.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomDialogs.h"
#include "kxw/KxwDomEvents.h"
#include "kxw/KxwDomUtil.h"
#include "kxw/KxwObjMgr.h"

namespace {

// ---- Key tables: every element verb also takes ordinal= and frame= ----

constexpr KxwPlayKeySpec katLinkKeys[] = {
    {"text", KXW_PLAY_VALUE_PATTERN}, {"id", KXW_PLAY_VALUE_PATTERN},      {"name", KXW_PLAY_VALUE_PATTERN},
    {"href", KXW_PLAY_VALUE_PATTERN}, {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {"frame", KXW_PLAY_VALUE_TEXT},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katImageKeys[] = {
    {"alt", KXW_PLAY_VALUE_PATTERN},  {"src", KXW_PLAY_VALUE_PATTERN},     {"id", KXW_PLAY_VALUE_PATTERN},
    {"name", KXW_PLAY_VALUE_PATTERN}, {"x", KXW_PLAY_VALUE_COORD},         {"y", KXW_PLAY_VALUE_COORD},
    {"frame", KXW_PLAY_VALUE_TEXT},   {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katButtonKeys[] = {
    {"value", KXW_PLAY_VALUE_PATTERN},   {"text", KXW_PLAY_VALUE_PATTERN}, {"id", KXW_PLAY_VALUE_PATTERN},
    {"name", KXW_PLAY_VALUE_PATTERN},    {"type", KXW_PLAY_VALUE_PATTERN}, {"frame", KXW_PLAY_VALUE_TEXT},
    {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katEditKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN}, {"id", KXW_PLAY_VALUE_PATTERN},      {"type", KXW_PLAY_VALUE_PATTERN},
    {"frame", KXW_PLAY_VALUE_TEXT},   {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katCheckKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN}, {"id", KXW_PLAY_VALUE_PATTERN},      {"value", KXW_PLAY_VALUE_PATTERN},
    {"frame", KXW_PLAY_VALUE_TEXT},   {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
// ordinal= of a radio button counts within its group; group= picks among groups of the same name.
constexpr KxwPlayKeySpec katRadioKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN},   {"value", KXW_PLAY_VALUE_PATTERN}, {"ordinal", KXW_PLAY_VALUE_ORDINAL},
    {"group", KXW_PLAY_VALUE_POSITIVE}, {"frame", KXW_PLAY_VALUE_TEXT},    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katListKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN},   {"id", KXW_PLAY_VALUE_PATTERN},
    {"select", KXW_PLAY_VALUE_PATTERN}, {"select-ordinal", KXW_PLAY_VALUE_POSITIVE},
    {"extend", KXW_PLAY_VALUE_PATTERN}, {"deextend", KXW_PLAY_VALUE_PATTERN},
    {"frame", KXW_PLAY_VALUE_TEXT},     {"ordinal", KXW_PLAY_VALUE_ORDINAL},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katAreaKeys[] = {
    {"alt", KXW_PLAY_VALUE_PATTERN},  {"href", KXW_PLAY_VALUE_PATTERN},    {"id", KXW_PLAY_VALUE_PATTERN},
    {"name", KXW_PLAY_VALUE_PATTERN}, {"target", KXW_PLAY_VALUE_PATTERN},  {"map", KXW_PLAY_VALUE_PATTERN},
    {"frame", KXW_PLAY_VALUE_TEXT},   {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
// x= and y= place the pointer over the element (a click on a server-side image map sends them).
constexpr KxwPlayKeySpec katElementKeys[] = {
    {"tag", KXW_PLAY_VALUE_PATTERN},     {"text", KXW_PLAY_VALUE_PATTERN}, {"id", KXW_PLAY_VALUE_PATTERN},
    {"name", KXW_PLAY_VALUE_PATTERN},    {"event", KXW_PLAY_VALUE_EVENT},  {"frame", KXW_PLAY_VALUE_TEXT},
    {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {"x", KXW_PLAY_VALUE_COORD},      {"y", KXW_PLAY_VALUE_COORD},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katSubmitKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN},    {"id", KXW_PLAY_VALUE_PATTERN}, {"frame", KXW_PLAY_VALUE_TEXT},
    {"ordinal", KXW_PLAY_VALUE_ORDINAL}, {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katAnswerKeys[] = {
    {"message", KXW_PLAY_VALUE_PATTERN},
    {"text", KXW_PLAY_VALUE_TEXT},
    {"eval", KXW_PLAY_VALUE_TEXT},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katGotoKeys[] = {
    {"post", KXW_PLAY_VALUE_TEXT},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katWindowKeys[] = {
    {"title", KXW_PLAY_VALUE_PATTERN},
    {"ordinal", KXW_PLAY_VALUE_POSITIVE},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};
constexpr KxwPlayKeySpec katFrameKeys[] = {
    {"name", KXW_PLAY_VALUE_PATTERN},
    {"ordinal", KXW_PLAY_VALUE_POSITIVE},
    {nullptr, KXW_PLAY_VALUE_TEXT},
};

// ---- Rules between arguments ----

bool Fail(const KxwPlayStep& mrtStep, const std::string& mdsReason, std::string* mpdsError) {
    *mpdsError = mrtStep._dsVerb + ": " + mdsReason;
    return false;
}

// Whether any of the keys is given; a custom description (@NAME=) describes an element as well as they do.
bool HasAny(const KxwPlayStep& mrtStep, std::initializer_list<const char*> mtKeys) {
    for (const char* pszKey : mtKeys)
        if (mrtStep.FindPair(pszKey)) return true;
    for (const KxwPlayArg& rtArg : mrtStep._tArgs)
        if (rtArg._bIsPair && rtArg._dsKey.size() > 1 && rtArg._dsKey[0] == '@') return true;
    return false;
}

int CountGiven(const KxwPlayStep& mrtStep, std::initializer_list<const char*> mtKeys) {
    int iCount = 0;
    for (const char* pszKey : mtKeys)
        if (mrtStep.FindPair(pszKey)) ++iCount;
    return iCount;
}

// A word that must be one of a few; a word naming a data column is checked once it has its value.
bool CheckWord(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, const KxwPlayArg* mptWord,
               std::initializer_list<const char*> mtAllowed, std::string* mpdsError) {
    if (mrtContext.IsDeferred(mptWord->_dsValue)) return true;
    std::string dsList;
    for (const char* pszAllowed : mtAllowed) {
        if (mptWord->_dsValue == pszAllowed) return true;
        dsList += dsList.empty() ? "" : " or ";
        dsList += pszAllowed;
    }
    return Fail(mrtStep, "\"" + mptWord->_dsValue + "\" where " + dsList + " is expected", mpdsError);
}

// link and button: the text as a word, or the describing keys.
bool CheckTextOrKeys(const KxwPlayStep& mrtStep, std::initializer_list<const char*> mtKeys, std::string* mpdsError) {
    bool bWord = !mrtStep.GetWords().empty();
    if (bWord && mrtStep.FindPair("text"))
        return Fail(mrtStep, "give the text as a word or as text=, not both", mpdsError);
    if (!bWord && !HasAny(mrtStep, mtKeys))
        return Fail(mrtStep, "say which one: a text, or a describing key", mpdsError);
    return true;
}

bool CheckLink(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    return CheckTextOrKeys(mrtStep, {"text", "id", "name", "href"}, mpdsError);
}

bool CheckButton(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    return CheckTextOrKeys(mrtStep, {"value", "text", "id", "name", "type"}, mpdsError);
}

bool CheckImage(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    bool bMap = !tWords.empty();
    if (bMap && !CheckWord(mrtStep, mrtContext, tWords[0], {"map"}, mpdsError)) return false;
    if (!HasAny(mrtStep, {"alt", "src", "id", "name"}))
        return Fail(mrtStep, "say which image: alt=, src=, id= or name=", mpdsError);
    int iCoords = CountGiven(mrtStep, {"x", "y"});
    if (bMap && iCoords != 2) return Fail(mrtStep, "an image map click needs x= and y=", mpdsError);
    if (!bMap && iCoords != 0) return Fail(mrtStep, "x= and y= go with the word map", mpdsError);
    return true;
}

bool CheckEdit(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!HasAny(mrtStep, {"name", "id", "type"}))
        return Fail(mrtStep, "say which input: name=, id= or type=", mpdsError);
    return true;
}

bool CheckCheck(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    if (!CheckWord(mrtStep, mrtContext, mrtStep.GetWords()[0], {"on", "off"}, mpdsError)) return false;
    if (!HasAny(mrtStep, {"name", "id"})) return Fail(mrtStep, "say which check box: name= or id=", mpdsError);
    return true;
}

bool CheckRadio(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!mrtStep.FindPair("name")) return Fail(mrtStep, "name= (the group) is required", mpdsError);
    if (CountGiven(mrtStep, {"value", "ordinal"}) != 1)
        return Fail(mrtStep, "say which button of the group: value= or ordinal=", mpdsError);
    return true;
}

bool CheckList(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!HasAny(mrtStep, {"name", "id"})) return Fail(mrtStep, "say which list: name= or id=", mpdsError);
    if (CountGiven(mrtStep, {"select", "select-ordinal", "extend", "deextend"}) != 1)
        return Fail(mrtStep, "give one of select=, select-ordinal=, extend= and deextend=", mpdsError);
    return true;
}

bool CheckArea(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!HasAny(mrtStep, {"alt", "href", "id", "name", "target", "map"}))
        return Fail(mrtStep, "say which area: alt=, href=, id=, name=, target= or map=", mpdsError);
    return true;
}

bool CheckSubmit(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!HasAny(mrtStep, {"name", "id"})) return Fail(mrtStep, "say which form: name= or id=", mpdsError);
    return true;
}

bool CheckElement(const KxwPlayStep& mrtStep, const KxwPlayCheckContext&, std::string* mpdsError) {
    if (!HasAny(mrtStep, {"tag", "text", "id", "name"}))
        return Fail(mrtStep, "say which element: tag=, text=, id= or name=", mpdsError);
    return true;
}

// answer confirm ok|cancel, answer prompt ok [text=T] | cancel, answer modal eval=JS; each with message=.
bool CheckAnswer(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    if (mrtContext.IsDeferred(tWords[0]->_dsValue))
        return Fail(mrtStep, "the kind of dialog must be written out, not taken from the data", mpdsError);
    const std::string& rdsKind = tWords[0]->_dsValue;
    if (rdsKind == "modal") {
        if (tWords.size() != 1) return Fail(mrtStep, "a modal answer is given with eval=, not a word", mpdsError);
        if (!mrtStep.FindPair("eval")) return Fail(mrtStep, "a modal answer needs eval=", mpdsError);
        if (mrtStep.FindPair("text")) return Fail(mrtStep, "text= goes with prompt", mpdsError);
        return true;
    }
    if (rdsKind != "confirm" && rdsKind != "prompt")
        return Fail(mrtStep, "\"" + rdsKind + "\" where confirm, prompt or modal is expected", mpdsError);
    if (tWords.size() != 2) return Fail(mrtStep, rdsKind + " needs ok or cancel", mpdsError);
    if (!CheckWord(mrtStep, mrtContext, tWords[1], {"ok", "cancel"}, mpdsError)) return false;
    if (mrtStep.FindPair("eval")) return Fail(mrtStep, "eval= goes with modal", mpdsError);
    if (mrtStep.FindPair("text") && (rdsKind != "prompt" || tWords[1]->_dsValue == "cancel"))
        return Fail(mrtStep, "text= goes with prompt ok", mpdsError);
    return true;
}

bool CheckWindow(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    if (tWords.empty()) {
        if (!HasAny(mrtStep, {"title", "ordinal"}))
            return Fail(mrtStep, "say which window: title=, ordinal=, modal, modeless or popup", mpdsError);
        return true;
    }
    if (!CheckWord(mrtStep, mrtContext, tWords[0], {"modal", "modeless", "popup"}, mpdsError)) return false;
    if (tWords[0]->_dsValue == "popup" && HasAny(mrtStep, {"title", "ordinal"}))
        return Fail(mrtStep, "popup takes no title= or ordinal= (one pop-up is shown at a time)", mpdsError);
    return true;
}

bool CheckFrame(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    bool bKeys = HasAny(mrtStep, {"name", "ordinal"});
    if (tWords.empty()) {
        if (!bKeys) return Fail(mrtStep, "say which frame: name=, ordinal= or top", mpdsError);
        return true;
    }
    if (!CheckWord(mrtStep, mrtContext, tWords[0], {"top"}, mpdsError)) return false;
    if (bKeys) return Fail(mrtStep, "top takes no name= or ordinal=", mpdsError);
    return true;
}

// ---- Handlers ----

// Navigates the current top window to the page and waits until it, its frames and what they load are done;
// each redirect is a REDIRECT line ("302 FROM -> TO"). post= sends the page a POST with that body.
bool RunGoto(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    if (!ptEngine) {
        *mpdsReason = "goto: the virtual user has no script engine";
        return false;
    }
    const KxwPlayArg* ptPost = mrtStep.FindPair("post");
    std::string dsReason;
    if (ptEngine->Navigate(mrtStep.GetWords()[0]->_dsValue, ptPost ? &ptPost->_dsValue : nullptr, &dsReason))
        return true;
    *mpdsReason = "goto: " + dsReason;
    return false;
}

bool RunEval(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwPlayScriptResult tResult;
    mrtVUser.EvaluateStepScript(mrtStep, mrtStep._dsText, &tResult);
    if (tResult._eOutcome == KXW_PLAY_SCRIPT_STOPPED || tResult._eOutcome == KXW_PLAY_SCRIPT_NO_ENGINE) {
        *mpdsReason = tResult._dsError;
        return false;
    }
    // A script error was reported as it happened; whether it fails the step is the virtual user's setting.
    if (tResult._eOutcome == KXW_PLAY_SCRIPT_OK) mrtVUser.GetOutput().Line("EVAL", tResult._dsValue);
    return true;
}

bool RunExpect(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwPlayScriptResult tResult;
    mrtVUser.EvaluateStepScript(mrtStep, mrtStep._dsText, &tResult);
    if (tResult._eOutcome != KXW_PLAY_SCRIPT_OK) {
        *mpdsReason = tResult._dsError;
        return false;
    }
    if (tResult._bTruthy) return true;
    *mpdsReason = mrtStep._dsText + " gave " + (tResult._bIsString ? "\"" + tResult._dsValue + "\"" : tResult._dsValue);
    return false;
}

bool RunThink(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    unsigned long long ullMs = 0;
    xfbKxwPlayParseNumber(mrtStep.GetWords()[0]->_dsValue, false, &ullMs);
    if (Transaction_ThinkTime(static_cast<double>(ullMs)) != 0) {
        *mpdsReason = "think: the think time could not be recorded";
        return false;
    }
    // The user thinks while the page lives on: its timers that fall due meanwhile run, as in a wait.
    if (KxwEngineVUser* ptEngine = mrtVUser.GetEngine())
        ptEngine->Wait(static_cast<double>(ullMs));
    else
        mrtVUser.AdvanceVirtualClock(static_cast<double>(ullMs));
    return true;
}

// The timers that fall due in that time run at their time, with what they load.
bool RunWait(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string*) {
    unsigned long long ullMs = 0;
    xfbKxwPlayParseNumber(mrtStep.GetWords()[0]->_dsValue, false, &ullMs);
    if (KxwEngineVUser* ptEngine = mrtVUser.GetEngine())
        ptEngine->Wait(static_cast<double>(ullMs));
    else
        mrtVUser.AdvanceVirtualClock(static_cast<double>(ullMs));
    return true;
}

// Whether a text matches a step's value: equal, or for ~= the value's POSIX extended regular expression.
bool Matches(const KxwPlayArg& mrtArg, const std::string& mdsText) {
    if (!mrtArg._bIsRegExp) return mdsText == mrtArg._dsValue;
    regex_t tRegex;
    if (regcomp(&tRegex, mrtArg._dsValue.c_str(), REG_EXTENDED | REG_NOSUB) != 0) return false;
    bool bMatch = regexec(&tRegex, mdsText.c_str(), 0, nullptr, 0) == 0;
    regfree(&tRegex);
    return bMatch;
}

unsigned OrdinalOf(const KxwPlayStep& mrtStep) {
    unsigned long long ullOrdinal = 1;
    if (const KxwPlayArg* ptOrdinal = mrtStep.FindPair("ordinal"))
        xfbKxwPlayParseNumber(ptOrdinal->_dsValue, false, &ullOrdinal);
    return static_cast<unsigned>(ullOrdinal ? ullOrdinal : 1);
}

// The ordinal-th top window whose title matches (any title without title=), in the order they were opened; with
// modal or modeless, that window's dialog; with popup, the pop-up shown now.
bool RunWindow(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    const std::string dsKind = tWords.empty() ? std::string() : tWords[0]->_dsValue;
    if (dsKind == "popup") {
        KxwDomHtmlWindow* ptPopup = ptEngine ? ptEngine->GetObjMgr()->GetVisiblePopupWindow() : nullptr;
        if (!ptPopup) {
            *mpdsReason = "window: no pop-up is shown";
            return false;
        }
        ptEngine->SetCurrentWindow(ptPopup);
        return true;
    }
    const KxwPlayArg* ptTitle = mrtStep.FindPair("title");
    unsigned uWanted = OrdinalOf(mrtStep), uSeen = 0;
    for (unsigned n = 0; ptEngine; ++n) {
        KxwDomHtmlWindow* ptWindow = xfptKxwObjMgrGetTopWindow(ptEngine->GetObjMgr(), n);
        if (!ptWindow) break;
        if (ptTitle && !Matches(*ptTitle, xfdsKxwDomWindowGetTitle(ptWindow))) continue;
        if (++uSeen < uWanted) continue;
        if (!dsKind.empty()) {
            ptWindow = xfptKxwDomWindowGetDialog(ptWindow, dsKind == "modal");
            if (!ptWindow) {
                *mpdsReason = "window: the window has no " + dsKind + " dialog open";
                return false;
            }
        }
        ptEngine->SetCurrentWindow(ptWindow);
        return true;
    }
    *mpdsReason = "window: no open window" +
                  (ptTitle ? " titled " + (ptTitle->_bIsRegExp ? "~" : std::string()) + "\"" + ptTitle->_dsValue + "\""
                           : std::string()) +
                  (uWanted > 1 ? " of ordinal " + std::to_string(uWanted) : std::string()) + " (" +
                  std::to_string(uSeen) + " found)";
    return false;
}

// Frames in document order, depth first: the ordinal-th whose name matches.
KxwDomHtmlWindow* FindFrame(KxwDomHtmlWindow* mptWindow, const KxwPlayArg* mptName, unsigned muWanted,
                            unsigned& mruSeen, int miDepth) {
    if (miDepth > 8) return nullptr;
    unsigned uCount = xfuKxwDomWindowGetFrameCount(mptWindow);
    for (unsigned n = 0; n < uCount; ++n) {
        KxwDomHtmlWindow* ptFrame = xfptKxwDomWindowGetFrame(mptWindow, n);
        if (!ptFrame) continue;
        if ((!mptName || Matches(*mptName, xfdsKxwDomWindowGetName(ptFrame))) && ++mruSeen == muWanted) return ptFrame;
        if (KxwDomHtmlWindow* ptFound = FindFrame(ptFrame, mptName, muWanted, mruSeen, miDepth + 1)) return ptFound;
    }
    return nullptr;
}

// A frame of the current window's top window (top: the top window itself).
bool RunFrame(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    KxwDomHtmlWindow* ptCurrent = ptEngine ? ptEngine->GetCurrentWindow() : nullptr;
    KxwDomHtmlWindow* ptTop = ptCurrent ? xfptKxwDomWindowGetTop(ptCurrent) : nullptr;
    if (!ptTop) {
        *mpdsReason = "frame: no window is open";
        return false;
    }
    if (!mrtStep.GetWords().empty()) {
        ptEngine->SetCurrentWindow(ptTop);
        return true;
    }
    const KxwPlayArg* ptName = mrtStep.FindPair("name");
    unsigned uSeen = 0;
    if (KxwDomHtmlWindow* ptFrame = FindFrame(ptTop, ptName, OrdinalOf(mrtStep), uSeen, 0)) {
        ptEngine->SetCurrentWindow(ptFrame);
        return true;
    }
    *mpdsReason = "frame: no frame" +
                  (ptName ? " named " + (ptName->_bIsRegExp ? "~" : std::string()) + "\"" + ptName->_dsValue + "\""
                          : std::string()) +
                  " of ordinal " + std::to_string(OrdinalOf(mrtStep)) + " in the window (" + std::to_string(uSeen) +
                  " found)";
    return false;
}

// The hierarchy of the virtual user's windows as DUMP lines.
bool RunDump(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    unsigned long long ullMask = 0;
    xfbKxwPlayParseNumber(mrtStep.GetWords()[0]->_dsValue, true, &ullMask);
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    mrtVUser.GetOutput().SetMessageKind("DUMP");
    bool bDumped = ptEngine && ptEngine->DumpHierarchy("step " + std::to_string(mrtStep._iNumber),
                                                       static_cast<unsigned long>(ullMask));
    mrtVUser.GetOutput().SetMessageKind(nullptr);
    if (!bDumped) *mpdsReason = "dump: no window is open";
    return bDumped;
}

// An answer waits for the next step that is not one, which registers it in its own level.
bool RunAnswer(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string*) {
    mrtVUser.AddPendingAnswer(mrtStep);
    return true;
}

// ---- The table ----

const KxwPlayVerb katVerbs[] = {
    {"goto", KXW_PLAY_ARGS_TOKENS, katGotoKeys, 1, 1, KXW_PLAY_VALUE_URL, nullptr, &RunGoto},
    {"eval", KXW_PLAY_ARGS_SCRIPT, nullptr, 0, 0, KXW_PLAY_VALUE_TEXT, nullptr, &RunEval},
    {"expect", KXW_PLAY_ARGS_SCRIPT, nullptr, 0, 0, KXW_PLAY_VALUE_TEXT, nullptr, &RunExpect},
    {"link", KXW_PLAY_ARGS_TOKENS, katLinkKeys, 0, 1, KXW_PLAY_VALUE_TEXT, &CheckLink, &xfbKxwPlayRunLink},
    {"image", KXW_PLAY_ARGS_TOKENS, katImageKeys, 0, 1, KXW_PLAY_VALUE_TEXT, &CheckImage, &xfbKxwPlayRunImage},
    {"button", KXW_PLAY_ARGS_TOKENS, katButtonKeys, 0, 1, KXW_PLAY_VALUE_TEXT, &CheckButton, &xfbKxwPlayRunButton},
    {"edit", KXW_PLAY_ARGS_TOKENS, katEditKeys, 1, 1, KXW_PLAY_VALUE_TEXT, &CheckEdit, &xfbKxwPlayRunEdit},
    {"check", KXW_PLAY_ARGS_TOKENS, katCheckKeys, 1, 1, KXW_PLAY_VALUE_TEXT, &CheckCheck, &xfbKxwPlayRunCheck},
    {"radio", KXW_PLAY_ARGS_TOKENS, katRadioKeys, 0, 0, KXW_PLAY_VALUE_TEXT, &CheckRadio, &xfbKxwPlayRunRadio},
    {"list", KXW_PLAY_ARGS_TOKENS, katListKeys, 0, 0, KXW_PLAY_VALUE_TEXT, &CheckList, &xfbKxwPlayRunList},
    {"area", KXW_PLAY_ARGS_TOKENS, katAreaKeys, 0, 0, KXW_PLAY_VALUE_TEXT, &CheckArea, &xfbKxwPlayRunArea},
    {"element", KXW_PLAY_ARGS_TOKENS, katElementKeys, 0, 0, KXW_PLAY_VALUE_TEXT, &CheckElement, &xfbKxwPlayRunElement},
    {"submit", KXW_PLAY_ARGS_TOKENS, katSubmitKeys, 0, 0, KXW_PLAY_VALUE_TEXT, &CheckSubmit, &xfbKxwPlayRunSubmit},
    {"answer", KXW_PLAY_ARGS_TOKENS, katAnswerKeys, 1, 2, KXW_PLAY_VALUE_TEXT, &CheckAnswer, &RunAnswer},
    {"window", KXW_PLAY_ARGS_TOKENS, katWindowKeys, 0, 1, KXW_PLAY_VALUE_TEXT, &CheckWindow, &RunWindow},
    {"frame", KXW_PLAY_ARGS_TOKENS, katFrameKeys, 0, 1, KXW_PLAY_VALUE_TEXT, &CheckFrame, &RunFrame},
    {"think", KXW_PLAY_ARGS_TOKENS, nullptr, 1, 1, KXW_PLAY_VALUE_MS, nullptr, &RunThink},
    {"wait", KXW_PLAY_ARGS_TOKENS, nullptr, 1, 1, KXW_PLAY_VALUE_MS, nullptr, &RunWait},
    {"dump", KXW_PLAY_ARGS_TOKENS, nullptr, 1, 1, KXW_PLAY_VALUE_MASK, nullptr, &RunDump},
};

const KxwPlayKeySpec* FindKey(const KxwPlayVerb& mrtVerb, const std::string& mdsKey) {
    for (const KxwPlayKeySpec* ptKey = mrtVerb._patKeys; ptKey && ptKey->_pszKey; ++ptKey)
        if (mdsKey == ptKey->_pszKey) return ptKey;
    return nullptr;
}

std::string KeyList(const KxwPlayVerb& mrtVerb) {
    std::string dsList;
    for (const KxwPlayKeySpec* ptKey = mrtVerb._patKeys; ptKey && ptKey->_pszKey; ++ptKey) {
        if (!dsList.empty()) dsList += ", ";
        dsList += ptKey->_pszKey;
        dsList += '=';
    }
    return dsList;
}

std::string WordCount(int miCount) {
    return miCount == 1 ? "one word" : std::to_string(miCount) + " words";
}

}  // namespace

bool xfbKxwPlayIsAnswerStep(const KxwPlayStep& mrtStep) {
    const KxwPlayVerb* ptVerb = mrtStep._ptVerb ? mrtStep._ptVerb : xfptKxwPlayFindVerb(mrtStep._dsVerb);
    return ptVerb && ptVerb->_pfbRun == &RunAnswer;
}

bool xfbKxwPlayRegisterAnswer(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    if (!ptEngine) {
        *mpdsReason = "the virtual user has no script engine";
        return false;
    }
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    const KxwPlayArg* ptMessage = mrtStep.FindPair("message");
    const std::string* pdsMessage = ptMessage ? &ptMessage->_dsValue : nullptr;
    bool bIsRegExp = ptMessage && ptMessage->_bIsRegExp;
    const std::string& rdsKind = tWords[0]->_dsValue;
    bool bOK = tWords.size() > 1 && tWords[1]->_dsValue == "ok";
    if (rdsKind == "confirm")
        return xfbKxwObjMgrAddConfirmAnswer(ptEngine->GetObjMgr(), pdsMessage, bIsRegExp, bOK, mpdsReason);
    if (rdsKind == "prompt") {
        const KxwPlayArg* ptText = mrtStep.FindPair("text");
        return xfbKxwObjMgrAddPromptAnswer(ptEngine->GetObjMgr(), pdsMessage, bIsRegExp, bOK,
                                           ptText ? &ptText->_dsValue : nullptr, mpdsReason);
    }
    // modal: the code runs in the dialog's page; its errors are the step's script errors, and the dialog's
    // returnValue is showModalDialog's result. A modal dialog has no message: the next one takes the answer, and a
    // message= given with it is not matched.
    const KxwPlayArg* ptEval = mrtStep.FindPair("eval");
    if (!ptEval) {
        *mpdsReason = "a modal answer needs eval=";
        return false;
    }
    KxwPlayVUser* ptVUser = &mrtVUser;
    KxwPlayStep tStep = mrtStep;
    std::string dsScript = ptEval->_dsValue;
    return xfbKxwObjMgrAddModalAnswer(
        ptEngine->GetObjMgr(), xfdsKxwEngineEscapeForLog(dsScript, 200),
        [ptVUser, tStep, dsScript](KxwDomHtmlWindow* mptDialog) {
            KxwPlayScriptResult tResult;
            ptVUser->EvaluateScriptIn(mptDialog, tStep, dsScript, &tResult);
            return tResult._eOutcome == KXW_PLAY_SCRIPT_OK;
        },
        mpdsReason);
}

bool KxwPlayCheckContext::IsDeferred(const std::string& mdsValue) const {
    if (!_ptParamNames || _ptParamNames->empty()) return false;
    for (size_t nOpen = mdsValue.find('{'); nOpen != std::string::npos; nOpen = mdsValue.find('{', nOpen + 1)) {
        size_t nClose = mdsValue.find('}', nOpen + 1);
        if (nClose == std::string::npos) return false;
        if (_ptParamNames->count(mdsValue.substr(nOpen + 1, nClose - nOpen - 1))) return true;
    }
    return false;
}

const KxwPlayVerb* xfptKxwPlayFindVerb(const std::string& mdsName) {
    for (const KxwPlayVerb& rtVerb : katVerbs)
        if (mdsName == rtVerb._pszName) return &rtVerb;
    return nullptr;
}

const KxwPlayVerb* xfptKxwPlayGetVerbs(size_t* mpnCount) {
    *mpnCount = sizeof katVerbs / sizeof katVerbs[0];
    return katVerbs;
}

bool xfbKxwPlayParseNumber(const std::string& mdsText, bool mbAllowHex, unsigned long long* mpullValue) {
    *mpullValue = 0;
    const char* pszDigits = mdsText.c_str();
    int iBase = 10;
    if (mbAllowHex && mdsText.size() > 2 && mdsText[0] == '0' && (mdsText[1] == 'x' || mdsText[1] == 'X')) {
        pszDigits += 2;
        iBase = 16;
    }
    // strtoull accepts blanks, signs and an empty text; a step's number is digits only.
    if (!*pszDigits) return false;
    for (const char* p = pszDigits; *p; ++p) {
        bool bDigit =
            (*p >= '0' && *p <= '9') || (iBase == 16 && ((*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F')));
        if (!bDigit) return false;
    }
    errno = 0;
    unsigned long long ullValue = std::strtoull(pszDigits, nullptr, iBase);
    if (errno == ERANGE) return false;
    *mpullValue = ullValue;
    return true;
}

bool xfbKxwPlayCheckValue(const std::string& mdsValue, KXW_PLAY_VALUE_ENUM meValue, bool mbIsRegExp,
                          const char* mpszWhat, std::string* mpdsError) {
    unsigned long long ullValue = 0;
    auto Bad = [&](const std::string& mdsWhy) {
        *mpdsError = std::string(mpszWhat) + " " + mdsWhy + ", not \"" + mdsValue + "\"";
        return false;
    };
    switch (meValue) {
        case KXW_PLAY_VALUE_TEXT:
            return true;
        case KXW_PLAY_VALUE_PATTERN: {
            if (!mbIsRegExp) return true;
            // The library matches descriptions as POSIX extended expressions: check with the same engine, and
            // with the library's own refusals.
            if (const char* pszRefusal = xfpszKxwDomStrRegExpRefusal(mdsValue.data(), mdsValue.size()))
                return Bad(std::string("is not accepted as a regular expression (") + pszRefusal + ")");
            regex_t tRegex;
            int iStatus = regcomp(&tRegex, mdsValue.c_str(), REG_EXTENDED | REG_NOSUB);
            if (iStatus == 0) {
                regfree(&tRegex);
                return true;
            }
            char acMessage[256];
            regerror(iStatus, &tRegex, acMessage, sizeof acMessage);
            *mpdsError =
                std::string(mpszWhat) + " is not a valid regular expression (" + acMessage + "): \"" + mdsValue + "\"";
            return false;
        }
        case KXW_PLAY_VALUE_POSITIVE:
            if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue < 1 || ullValue > INT_MAX)
                return Bad("must be a whole number from 1");
            return true;
        case KXW_PLAY_VALUE_ORDINAL:
            if (mdsValue == "random") return true;
            if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue < 1 || ullValue > INT_MAX)
                return Bad("must be a whole number from 1 or random");
            return true;
        case KXW_PLAY_VALUE_COORD:
            if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue > INT_MAX)
                return Bad("must be a whole number from 0");
            return true;
        case KXW_PLAY_VALUE_MS:
            if (!xfbKxwPlayParseNumber(mdsValue, false, &ullValue) || ullValue > INT_MAX)
                return Bad("must be a whole number of milliseconds");
            return true;
        case KXW_PLAY_VALUE_MASK:
            if (!xfbKxwPlayParseNumber(mdsValue, true, &ullValue) || ullValue > UINT_MAX)
                return Bad("must be a whole number (decimal or 0x hexadecimal)");
            return true;
        case KXW_PLAY_VALUE_EVENT:
            if (mdsValue.empty() || mdsValue.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                               "0123456789_") != std::string::npos)
                return Bad("must be an event name");
            return true;
        case KXW_PLAY_VALUE_URL:
            if (mdsValue.empty()) return Bad("must not be empty");
            return true;
    }
    return true;
}

bool xfbKxwPlayCheckStep(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError) {
    const KxwPlayVerb* ptVerb = mrtStep._ptVerb ? mrtStep._ptVerb : xfptKxwPlayFindVerb(mrtStep._dsVerb);
    if (!ptVerb) {
        *mpdsError = "unknown verb \"" + mrtStep._dsVerb + "\"";
        return false;
    }
    if (ptVerb->_eArgs == KXW_PLAY_ARGS_SCRIPT) {
        if (mrtStep._dsText.empty()) return Fail(mrtStep, "a script is required", mpdsError);
        return true;
    }
    int iWords = 0;
    for (size_t n = 0; n < mrtStep._tArgs.size(); ++n) {
        const KxwPlayArg& rtArg = mrtStep._tArgs[n];
        if (!rtArg._bIsPair) {
            ++iWords;
            if (iWords <= ptVerb->_iMaxWords && !mrtContext.IsDeferred(rtArg._dsValue) &&
                !xfbKxwPlayCheckValue(rtArg._dsValue, ptVerb->_eWordValue, false, "the argument", mpdsError))
                return Fail(mrtStep, *mpdsError, mpdsError);
            continue;
        }
        const KxwPlayKeySpec* ptKey = FindKey(*ptVerb, rtArg._dsKey);
        // @NAME= describes an element by any attribute or script property: the element verbs take it.
        static constexpr KxwPlayKeySpec ktCustomKey = {"@", KXW_PLAY_VALUE_PATTERN};
        if (!ptKey && rtArg._dsKey.size() > 1 && rtArg._dsKey[0] == '@' && FindKey(*ptVerb, "frame"))
            ptKey = &ktCustomKey;
        if (!ptKey) {
            std::string dsKeys = KeyList(*ptVerb);
            return Fail(
                mrtStep,
                "unknown key \"" + rtArg._dsKey + "\"" +
                    (dsKeys.empty() ? " (it takes none; quote a word that holds '=')" : " (it takes " + dsKeys + ")"),
                mpdsError);
        }
        for (size_t m = 0; m < n; ++m)
            if (mrtStep._tArgs[m]._bIsPair && mrtStep._tArgs[m]._dsKey == rtArg._dsKey)
                return Fail(mrtStep, rtArg._dsKey + "= is given twice", mpdsError);
        if (rtArg._bIsRegExp && ptKey->_eValue != KXW_PLAY_VALUE_PATTERN)
            return Fail(mrtStep, rtArg._dsKey + " takes = only (~= is for texts that are compared)", mpdsError);
        std::string dsWhat = rtArg._dsKey + (rtArg._bIsRegExp ? "~=" : "=");
        if (!mrtContext.IsDeferred(rtArg._dsValue) &&
            !xfbKxwPlayCheckValue(rtArg._dsValue, ptKey->_eValue, rtArg._bIsRegExp, dsWhat.c_str(), mpdsError))
            return Fail(mrtStep, *mpdsError, mpdsError);
    }
    if (iWords < ptVerb->_iMinWords)
        return Fail(mrtStep,
                    "too few arguments: takes " + (ptVerb->_iMinWords == ptVerb->_iMaxWords
                                                       ? WordCount(ptVerb->_iMinWords)
                                                       : "at least " + WordCount(ptVerb->_iMinWords)),
                    mpdsError);
    if (iWords > ptVerb->_iMaxWords)
        return Fail(mrtStep,
                    ptVerb->_iMaxWords == 0 ? std::string("takes no words, only key=value pairs (quote a value that "
                                                          "holds blanks)")
                                            : "too many arguments: takes at most " + WordCount(ptVerb->_iMaxWords) +
                                                  " (quote a text that holds blanks)",
                    mpdsError);
    return !ptVerb->_pfbCheck || ptVerb->_pfbCheck(mrtStep, mrtContext, mpdsError);
}

KxwDomHtmlWindow* xfptKxwPlayFindFrame(KxwDomHtmlWindow* mptWindow, const KxwPlayArg* mptName, unsigned muWanted) {
    unsigned uSeen = 0;
    return mptWindow ? FindFrame(mptWindow, mptName, muWanted, uSeen, 0) : nullptr;
}
