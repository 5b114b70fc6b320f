#include "KxwDomUserRegistration.h"

#include <utility>

#include "KxwU16nHandler.h"
#include "KxwUtilReport.h"

namespace {

// The precisions of the log lines: texts and function names are cut there, between two characters.
constexpr size_t knMaxLogText = 1900;
constexpr size_t knMaxLogFunctionName = 200;

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// With a message

KxwDomUserRegistrationWithMsg::KxwDomUserRegistrationWithMsg(const char* mpsfMessage, unsigned muMessageLen,
                                                             bool mbIsRegExp)
    : _tStrEnv(xfptKxwU16nHandlerGetUtf8()), _tMessage(_tStrEnv) {
    if (mpsfMessage || muMessageLen > 0) _tMessage.Set(mpsfMessage, muMessageLen, mbIsRegExp);
}

KxwDomUserRegistrationWithMsg::~KxwDomUserRegistrationWithMsg() = default;

bool KxwDomUserRegistrationWithMsg::MatchesMessage(const KxwDomStr& mrtMessage) const {
    return _tMessage.Matches(mrtMessage);
}

std::string KxwDomUserRegistrationWithMsg::CutForLog(const KxwDomStr& mrtText) const {
    return xfdsKxwU16nCutDcsAtCharBoundary(mrtText.GetU16nHandler(), mrtText.GetDcsStr(), mrtText.GetDcsLenInBytes(),
                                           knMaxLogText);
}

void KxwDomUserRegistrationWithMsg::PrintLine(const char* mpszType, const std::string& mdsLast) const {
    // An answer for any message is written without one, as its step was.
    if (!_tMessage.IsGiven()) {
        xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "\t\"Type=%s\", %s", mpszType, mdsLast.c_str());
        return;
    }
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "\t\"Type=%s\", \"Message%s=%.1900s\", %s", mpszType,
                             _tMessage.IsRegExp() ? "/RE" : "", CutForLog(_tMessage).c_str(), mdsLast.c_str());
}

// ---------------------------------------------------------------------------------------------------------------
// Prompts and confirms

KxwDomUserRegistrationPromptOK::KxwDomUserRegistrationPromptOK(const char* mpsfMessage, unsigned muMessageLen,
                                                               bool mbIsRegExp, const char* mpsfSetText,
                                                               unsigned muSetTextLen)
    : KxwDomUserRegistrationPrompt(mpsfMessage, muMessageLen, mbIsRegExp),
      _tSetTextEnv(xfptKxwU16nHandlerGetUtf8()),
      _tSetText(_tSetTextEnv),
      _bHasSetText(mpsfSetText != nullptr) {
    if (mpsfSetText) _tSetText.AssignDcs(mpsfSetText, muSetTextLen);
}

KxwDomUserRegistrationPromptOK::~KxwDomUserRegistrationPromptOK() = default;

void KxwDomUserRegistrationPromptOK::PrintMe() const {
    if (!_bHasSetText) {
        PrintLine("Prompt", "\"Click=OK\"");
        return;
    }
    PrintLine("Prompt", "\"SetText=" + CutForLog(_tSetText) + "\"");
}

void KxwDomUserRegistrationPromptCancel::PrintMe() const {
    PrintLine("Prompt", "\"Click=Cancel\"");
}

void KxwDomUserRegistrationConfirm::PrintMe() const {
    PrintLine("Confirm", _bConfirmed ? "\"Click=OK\"" : "\"Click=Cancel\"");
}

// ---------------------------------------------------------------------------------------------------------------
// Modal dialogs

bool KxwDomUserRegistrationModal::SetFunction(const char* mpszName, KxwDomModalAnswerFunction mtFunction) {
    if (!mpszName || !*mpszName || !mtFunction) {
        xfvKxwUtilReportInternalErrorBySevLvl(KXW_WTL_SEV_LVL_ENUM_INTERNAL_ERROR,
                                              "Invalid mpszName=%p / function (%d) in "
                                              "KxwDomUserRegistrationModal::SetFunction for this=%p",
                                              static_cast<const void*>(mpszName), mtFunction ? 1 : 0,
                                              static_cast<void*>(this));
        return false;
    }
    _dsName = mpszName;
    _tFunction = std::move(mtFunction);
    return true;
}

bool KxwDomUserRegistrationModal::InvokeFunction(KxwVUserVars*, KxwDomHtmlWindow* mptDialog, long& mrlResult,
                                                 bool& mrbFlag) {
    mrlResult = 0;
    mrbFlag = false;
    if (!_tFunction) return false;
    // The function may run scripts that end this registration's level; a copy keeps it alive while it runs.
    KxwDomModalAnswerFunction tFunction = _tFunction;
    bool bOK = tFunction(mptDialog);
    mrlResult = bOK ? 1 : 0;
    mrbFlag = bOK;
    return bOK;
}

void KxwDomUserRegistrationModal::PrintMe() const {
    std::string dsName = xfdsKxwU16nCutDcsAtCharBoundary(xfptKxwU16nHandlerGetUtf8(), _dsName.data(), _dsName.size(),
                                                         knMaxLogFunctionName);
    xfvKxwUtilReportBySevLvl(KXW_WTL_SEV_LVL_ENUM_NOTICE, "\t\"Type=Modal\", \"Call=%.200s\"", dsName.c_str());
}
