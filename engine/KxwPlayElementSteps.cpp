#include "KxwPlayElementSteps.h"

#include <climits>
#include <functional>

#include "KxwEngineVUser.h"
#include "KxwPlaySteps.h"
#include "KxwPlayVUser.h"
#include "KxwPlayVerbs.h"
#include "kxw/KxwDomBrowsing.h"
#include "kxw/KxwDomFind.h"
#include "kxw/KxwDomForms.h"
#include "kxw/KxwObjMgr.h"

namespace {

// ---- From a step to a description ----

// The text a key of the step gives to a field of the description.
struct KxwPlayFieldKey {
    const char* _pszKey;
    KxwDomFindText KxwDomFindDescription::*_ptField;
};

constexpr KxwPlayFieldKey katFieldKeys[] = {
    {"id", &KxwDomFindDescription::_tId},         {"name", &KxwDomFindDescription::_tName},
    {"text", &KxwDomFindDescription::_tText},     {"href", &KxwDomFindDescription::_tHref},
    {"alt", &KxwDomFindDescription::_tAlt},       {"src", &KxwDomFindDescription::_tSrc},
    {"value", &KxwDomFindDescription::_tValue},   {"tag", &KxwDomFindDescription::_tTag},
    {"target", &KxwDomFindDescription::_tTarget},
};

int32_t OrdinalValue(KxwPlayVUser& mrtVUser, const KxwPlayArg* mptOrdinal) {
    if (!mptOrdinal) return 1;
    if (mptOrdinal->_dsValue == "random") {
        mrtVUser.NoteRandomPick();
        return KxwDomFindDescription::kOrdinalRandom;
    }
    unsigned long long ullValue = 0;
    // The steps check refused anything else; a value that slipped through is a bad ordinal the library reports.
    if (!xfbKxwPlayParseNumber(mptOrdinal->_dsValue, false, &ullValue) || ullValue > INT_MAX) return 0;
    return static_cast<int32_t>(ullValue);
}

// The description of the keys the verb names (and every @ entry): only these keys describe the element.
KxwDomFindDescription Describe(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, KXW_DOM_FIND_KIND_ENUM meKind,
                               std::initializer_list<const char*> mtKeys) {
    KxwDomFindDescription tDescription;
    tDescription._eKind = meKind;
    for (const char* pszKey : mtKeys)
        if (const KxwPlayArg* ptArg = mrtStep.FindPair(pszKey))
            for (const KxwPlayFieldKey& rtField : katFieldKeys)
                if (std::string(rtField._pszKey) == pszKey)
                    (tDescription.*rtField._ptField).Set(ptArg->_dsValue, ptArg->_bIsRegExp);
    for (const KxwPlayArg& rtArg : mrtStep._tArgs)
        if (rtArg._bIsPair && rtArg._dsKey.size() > 1 && rtArg._dsKey[0] == '@')
            tDescription._tCustom.push_back({rtArg._dsKey.substr(1), rtArg._dsValue, rtArg._bIsRegExp});
    tDescription._iOrdinal = OrdinalValue(mrtVUser, mrtStep.FindPair("ordinal"));
    return tDescription;
}

// The step's description as it was written, for the reason of a step that found nothing.
std::string WrittenDescription(const KxwPlayStep& mrtStep) {
    std::string dsDescription;
    for (const KxwPlayArg& rtArg : mrtStep._tArgs) {
        if (rtArg._dsKey == "event" || rtArg._dsKey == "x" || rtArg._dsKey == "y") continue;
        dsDescription += dsDescription.empty() ? "" : " ";
        dsDescription += rtArg._dsKey.empty()
                             ? "\"" + rtArg._dsValue + "\""
                             : rtArg._dsKey + (rtArg._bIsRegExp ? "~" : "=") + "\"" + rtArg._dsValue + "\"";
    }
    return dsDescription;
}

// Where the step searches: the frame= frame only, or the current window and its frames.
KxwDomHtmlWindow* SearchWindow(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, bool* mpbThisWindowOnly,
                               std::string* mpdsReason) {
    KxwEngineVUser* ptEngine = mrtVUser.GetEngine();
    KxwDomHtmlWindow* ptWindow = ptEngine ? ptEngine->GetCurrentWindow() : nullptr;
    *mpbThisWindowOnly = false;
    if (!ptWindow) {
        *mpdsReason = mrtStep._dsVerb + ": no window is open";
        return nullptr;
    }
    if (const KxwPlayArg* ptFrame = mrtStep.FindPair("frame")) {
        ptWindow = xfptKxwPlayFindFrame(xfptKxwDomWindowGetTop(ptWindow), ptFrame, 1);
        if (!ptWindow) {
            *mpdsReason = mrtStep._dsVerb + ": no frame named \"" + ptFrame->_dsValue + "\"";
            return nullptr;
        }
        *mpbThisWindowOnly = true;
    }
    return ptWindow;
}

// The first of the descriptions that finds an element, tried in order; the reason names what was looked for.
KxwDomNodeBase* FindFirst(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep,
                          const std::vector<KxwDomFindDescription>& mrtDescriptions, const char* mpszWhat,
                          std::string* mpdsReason, size_t* mpnWhich = nullptr) {
    bool bThisWindowOnly = false;
    KxwDomHtmlWindow* ptWindow = SearchWindow(mrtVUser, mrtStep, &bThisWindowOnly, mpdsReason);
    if (!ptWindow) return nullptr;
    for (size_t n = 0; n < mrtDescriptions.size(); ++n)
        if (KxwDomNodeBase* ptFound = xfptKxwDomFindElement(ptWindow, mrtDescriptions[n], bThisWindowOnly)) {
            if (mpnWhich) *mpnWhich = n;
            // The last snapshot shows the page the step acts on: it marks the element.
            mrtVUser.GetEngine()->GetObjMgr()->WriteDomSnapshotHighlightIfNeeded(ptFound);
            return ptFound;
        }
    *mpdsReason = mrtStep._dsVerb + ": no " + mpszWhat + " " + WrittenDescription(mrtStep);
    return nullptr;
}

// Runs a user action of the library, then lets what it caused load, as a click does.
bool Act(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, const std::function<bool(std::string*)>& mrfAction,
         std::string* mpdsReason) {
    std::string dsReason;
    if (mrtVUser.GetEngine()->RunUserAction(mrfAction, &dsReason)) return true;
    *mpdsReason = mrtStep._dsVerb + ": " + dsReason;
    return false;
}

bool Click(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, KxwDomNodeBase* mptElement, const std::string& mdsEvent,
           int miX, int miY, std::string* mpdsReason) {
    std::string dsReason;
    if (mrtVUser.GetEngine()->FireUserEventAt(mptElement, mdsEvent, miX, miY, &dsReason)) return true;
    *mpdsReason = mrtStep._dsVerb + ": " + dsReason;
    return false;
}

// x= and y=; a coordinate that is not given is 0 when the other one is, and both -1 (the library's default
// position) when neither is.
void Coordinates(const KxwPlayStep& mrtStep, int* mpiX, int* mpiY) {
    int aiXY[2] = {-1, -1};
    const char* const kapszCoordinates[] = {"x", "y"};
    for (int n = 0; n < 2; ++n)
        if (const KxwPlayArg* ptCoordinate = mrtStep.FindPair(kapszCoordinates[n])) {
            unsigned long long ullValue = 0;
            xfbKxwPlayParseNumber(ptCoordinate->_dsValue, false, &ullValue);
            aiXY[n] = static_cast<int>(ullValue > INT_MAX ? INT_MAX : ullValue);
        }
    if (aiXY[0] >= 0 || aiXY[1] >= 0)
        for (int& riCoordinate : aiXY) riCoordinate = riCoordinate < 0 ? 0 : riCoordinate;
    *mpiX = aiXY[0];
    *mpiY = aiXY[1];
}

// The first word, when the step gives one, stands for a key.
void WordAs(const KxwPlayStep& mrtStep, KxwDomFindText KxwDomFindDescription::*mptField,
            KxwDomFindDescription& mrtDescription) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    if (!tWords.empty() && !(mrtDescription.*mptField)._bGiven)
        (mrtDescription.*mptField).Set(tWords[0]->_dsValue, false);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// The verbs

bool xfbKxwPlayRunLink(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tLink = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_ANCHOR, {"text", "id", "name", "href"});
    WordAs(mrtStep, &KxwDomFindDescription::_tText, tLink);
    KxwDomNodeBase* ptLink = FindFirst(mrtVUser, mrtStep, {tLink}, "link", mpdsReason);
    return ptLink && Click(mrtVUser, mrtStep, ptLink, "click", -1, -1, mpdsReason);
}

// An image link, or else an image input; "map" clicks a server-side image map at x=, y=.
bool xfbKxwPlayRunImage(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    bool bMap = !mrtStep.GetWords().empty();
    KxwDomFindDescription tImageLink =
        Describe(mrtVUser, mrtStep, KXW_DOM_FIND_IMAGE_LINK, {"alt", "src", "id", "name"});
    std::vector<KxwDomFindDescription> tDescriptions;
    if (bMap) {
        tImageLink._eIsMap = 1;
        tDescriptions.push_back(tImageLink);
    } else {
        KxwDomFindDescription tImageInput =
            Describe(mrtVUser, mrtStep, KXW_DOM_FIND_INPUT, {"alt", "src", "id", "name"});
        tImageInput._dsInputType = "image";
        tDescriptions = {tImageLink, tImageInput};
    }
    KxwDomNodeBase* ptImage = FindFirst(mrtVUser, mrtStep, tDescriptions, "image", mpdsReason);
    if (!ptImage) return false;
    int iX = -1, iY = -1;
    Coordinates(mrtStep, &iX, &iY);
    return Click(mrtVUser, mrtStep, ptImage, "click", iX, iY, mpdsReason);
}

// An INPUT button (submit, reset, button, image, or the type= type) by its value, else a BUTTON by its value or
// its text; a word is the value of an INPUT and the value or the text of a BUTTON.
bool xfbKxwPlayRunButton(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    std::vector<const KxwPlayArg*> tWords = mrtStep.GetWords();
    const KxwPlayArg* ptType = mrtStep.FindPair("type");
    std::vector<KxwDomFindDescription> tDescriptions;
    // An INPUT button has no text apart from its value: text= looks for BUTTON elements only.
    for (const char* pszType : {"submit", "reset", "button", "image"}) {
        if ((ptType && !ptType->_bIsRegExp && ptType->_dsValue != pszType) || mrtStep.FindPair("text")) continue;
        KxwDomFindDescription tInput = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_INPUT, {"value", "id", "name"});
        WordAs(mrtStep, &KxwDomFindDescription::_tValue, tInput);
        tInput._dsInputType = pszType;
        tDescriptions.push_back(tInput);
    }
    KxwDomFindDescription tButton = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_BUTTON, {"value", "text", "id", "name"});
    if (ptType) tButton._tCustom.push_back({"type", ptType->_dsValue, ptType->_bIsRegExp});
    if (!tWords.empty()) {
        KxwDomFindDescription tByValue = tButton;
        tByValue._tValue.Set(tWords[0]->_dsValue, false);
        tButton._tText.Set(tWords[0]->_dsValue, false);
        tDescriptions.push_back(tByValue);
    }
    tDescriptions.push_back(tButton);
    KxwDomNodeBase* ptButton = FindFirst(mrtVUser, mrtStep, tDescriptions, "button", mpdsReason);
    if (!ptButton) return false;
    int iX = -1, iY = -1;
    Coordinates(mrtStep, &iX, &iY);
    return Click(mrtVUser, mrtStep, ptButton, "click", iX, iY, mpdsReason);
}

// A text, password or file input, or a text area (type= names one of them: text, password, file, textarea).
bool xfbKxwPlayRunEdit(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    const KxwPlayArg* ptType = mrtStep.FindPair("type");
    std::vector<KxwDomFindDescription> tDescriptions;
    for (const char* pszType : {"text", "password", "file"}) {
        if (ptType && ptType->_dsValue != pszType) continue;
        KxwDomFindDescription tInput = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_INPUT, {"id", "name"});
        tInput._dsInputType = pszType;
        tDescriptions.push_back(tInput);
    }
    if (!ptType || ptType->_dsValue == "textarea")
        tDescriptions.push_back(Describe(mrtVUser, mrtStep, KXW_DOM_FIND_TEXTAREA, {"id", "name"}));
    size_t nWhich = 0;
    KxwDomNodeBase* ptControl = FindFirst(mrtVUser, mrtStep, tDescriptions, "edit field", mpdsReason, &nWhich);
    if (!ptControl) return false;
    std::string dsValue = mrtStep.GetWords()[0]->_dsValue;
    // A file to upload is named relative to the steps file, like the pages.
    if (tDescriptions[nWhich]._dsInputType == "file" && !dsValue.empty() && dsValue[0] != '/') {
        const std::string& rdsSteps = mrtVUser.GetSteps().GetFileName();
        size_t nSlash = rdsSteps.find_last_of('/');
        if (nSlash != std::string::npos) dsValue = rdsSteps.substr(0, nSlash + 1) + dsValue;
    }
    return Act(
        mrtVUser, mrtStep, [&](std::string* mpdsWhy) { return xfbKxwDomUserSetText(ptControl, dsValue, mpdsWhy); },
        mpdsReason);
}

bool xfbKxwPlayRunCheck(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tCheckBox = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_INPUT, {"id", "name", "value"});
    tCheckBox._dsInputType = "checkbox";
    KxwDomNodeBase* ptCheckBox = FindFirst(mrtVUser, mrtStep, {tCheckBox}, "check box", mpdsReason);
    if (!ptCheckBox) return false;
    bool bOn = mrtStep.GetWords()[0]->_dsValue == "on";
    return Act(
        mrtVUser, mrtStep, [&](std::string* mpdsWhy) { return xfbKxwDomUserSetChecked(ptCheckBox, bOn, mpdsWhy); },
        mpdsReason);
}

// name= is the group's, group= which group of that name; value= or ordinal= the button within the group.
bool xfbKxwPlayRunRadio(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tRadio = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_INPUT, {"name", "value"});
    tRadio._dsInputType = "radio";
    if (const KxwPlayArg* ptGroup = mrtStep.FindPair("group")) tRadio._iGroupOrdinal = OrdinalValue(mrtVUser, ptGroup);
    KxwDomNodeBase* ptRadio = FindFirst(mrtVUser, mrtStep, {tRadio}, "radio button", mpdsReason);
    if (!ptRadio) return false;
    return Act(
        mrtVUser, mrtStep, [&](std::string* mpdsWhy) { return xfbKxwDomUserSetChecked(ptRadio, true, mpdsWhy); },
        mpdsReason);
}

// The list by name= or id=, then its option: select= (by text) or select-ordinal=, extend= or deextend= (by text)
// for multiple lists.
bool xfbKxwPlayRunList(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tList = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_SELECT, {"id", "name"});
    KxwDomNodeBase* ptList = FindFirst(mrtVUser, mrtStep, {tList}, "list", mpdsReason);
    if (!ptList) return false;
    KxwDomFindDescription tOption;
    tOption._eKind = KXW_DOM_FIND_OPTION;
    KXW_DOM_USER_OPTION_ACTION_ENUM eAction = KXW_DOM_USER_OPTION_ACTION_SELECT;
    std::string dsWhich;
    if (const KxwPlayArg* ptSelect = mrtStep.FindPair("select")) {
        tOption._tText.Set(ptSelect->_dsValue, ptSelect->_bIsRegExp);
    } else if (const KxwPlayArg* ptOrdinal = mrtStep.FindPair("select-ordinal")) {
        tOption._iOrdinal = OrdinalValue(mrtVUser, ptOrdinal);
    } else if (const KxwPlayArg* ptExtend = mrtStep.FindPair("extend")) {
        tOption._tText.Set(ptExtend->_dsValue, ptExtend->_bIsRegExp);
        eAction = KXW_DOM_USER_OPTION_ACTION_EXTEND;
    } else if (const KxwPlayArg* ptDeextend = mrtStep.FindPair("deextend")) {
        tOption._tText.Set(ptDeextend->_dsValue, ptDeextend->_bIsRegExp);
        eAction = KXW_DOM_USER_OPTION_ACTION_DESELECT;
    }
    KxwDomNodeBase* ptOption = xfptKxwDomFindWithin(ptList, tOption);
    if (!ptOption) {
        *mpdsReason = mrtStep._dsVerb + ": no option " + WrittenDescription(mrtStep);
        return false;
    }
    return Act(
        mrtVUser, mrtStep,
        [&](std::string* mpdsWhy) { return xfbKxwDomUserChooseOption(ptList, ptOption, eAction, mpdsWhy); },
        mpdsReason);
}

// An AREA of the map= MAP, or of the page's maps in order; the ordinal counts within one map.
bool xfbKxwPlayRunArea(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    bool bThisWindowOnly = false;
    KxwDomHtmlWindow* ptWindow = SearchWindow(mrtVUser, mrtStep, &bThisWindowOnly, mpdsReason);
    if (!ptWindow) return false;
    KxwDomFindDescription tArea =
        Describe(mrtVUser, mrtStep, KXW_DOM_FIND_AREA, {"alt", "href", "id", "name", "target"});
    KxwDomFindDescription tMap;
    tMap._tTag.Set("MAP", false);
    if (const KxwPlayArg* ptMapName = mrtStep.FindPair("map"))
        tMap._tName.Set(ptMapName->_dsValue, ptMapName->_bIsRegExp);
    // Maps are few: each one in turn, in the window and then its frames.
    for (int32_t iMap = 1; iMap < 10000; ++iMap) {
        tMap._iOrdinal = iMap;
        KxwDomNodeBase* ptMap = xfptKxwDomFindElement(ptWindow, tMap, bThisWindowOnly);
        if (!ptMap) break;
        if (KxwDomNodeBase* ptFound = xfptKxwDomFindWithin(ptMap, tArea))
            return Click(mrtVUser, mrtStep, ptFound, "click", -1, -1, mpdsReason);
    }
    *mpdsReason = mrtStep._dsVerb + ": no area " + WrittenDescription(mrtStep);
    return false;
}

// Fires the event (click unless event= says otherwise) on the element the step describes, as a user would.
bool xfbKxwPlayRunElement(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tElement = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_GENERAL, {"tag", "text", "id", "name"});
    KxwDomNodeBase* ptElement = FindFirst(mrtVUser, mrtStep, {tElement}, "element", mpdsReason);
    if (!ptElement) return false;
    const KxwPlayArg* ptEvent = mrtStep.FindPair("event");
    int iX = -1, iY = -1;
    Coordinates(mrtStep, &iX, &iY);
    return Click(mrtVUser, mrtStep, ptElement, ptEvent ? ptEvent->_dsValue : "click", iX, iY, mpdsReason);
}

// Submits a FORM found by name= or id= as a test step does.
bool xfbKxwPlayRunSubmit(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason) {
    KxwDomFindDescription tForm = Describe(mrtVUser, mrtStep, KXW_DOM_FIND_GENERAL, {"id", "name"});
    tForm._tTag.Set("FORM", false);
    KxwDomNodeBase* ptForm = FindFirst(mrtVUser, mrtStep, {tForm}, "form", mpdsReason);
    if (!ptForm) return false;
    return Act(
        mrtVUser, mrtStep, [&](std::string* mpdsWhy) { return xfbKxwDomUserSubmitForm(ptForm, mpdsWhy); }, mpdsReason);
}
