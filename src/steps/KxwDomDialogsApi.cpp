// The dialog answers of kxw/KxwDomDialogs.h: each one becomes a registration of the object manager's current level.
#include <new>

#include "KxwDomUserRegistration.h"
#include "kxw/KxwDomDialogs.h"
#include "kxw/KxwObjMgr.h"

namespace {

bool Refuse(std::string* mpdsReason, const std::string& mdsReason) {
    if (mpdsReason) *mpdsReason = mdsReason;
    return false;
}

// A message that is given must be an expression that compiles, or it would silently answer nothing.
bool CheckMessage(const KxwDomUserRegistrationWithMsg& mrtRegistration, const std::string* mpdsMessage,
                  std::string* mpdsReason) {
    if (!mpdsMessage || !mrtRegistration.GetMessageA().IsRegExp() || mrtRegistration.GetMessageA().IsPatternValid())
        return true;
    return Refuse(mpdsReason, "the message is not a valid regular expression: \"" + *mpdsMessage + "\"");
}

const char* TextOf(const std::string* mpdsText) {
    return mpdsText ? mpdsText->data() : nullptr;
}
unsigned LenOf(const std::string* mpdsText) {
    return mpdsText ? static_cast<unsigned>(mpdsText->size()) : 0;
}

bool Add(KxwObjMgr* mptObjMgr, KxwDomUserRegistrationWithMsg* mptRegistration, const std::string* mpdsMessage,
         std::string* mpdsReason) {
    if (!CheckMessage(*mptRegistration, mpdsMessage, mpdsReason)) {
        delete mptRegistration;
        return false;
    }
    mptObjMgr->AddUserRegistration(mptRegistration);
    return true;
}

}  // namespace

bool xfbKxwObjMgrAddConfirmAnswer(KxwObjMgr* mptObjMgr, const std::string* mpdsMessage, bool mbIsRegExp, bool mbOK,
                                  std::string* mpdsReason) {
    if (!mptObjMgr) return Refuse(mpdsReason, "the virtual user has no object manager");
    return Add(mptObjMgr, new KxwDomUserRegistrationConfirm(TextOf(mpdsMessage), LenOf(mpdsMessage), mbIsRegExp, mbOK),
               mpdsMessage, mpdsReason);
}

bool xfbKxwObjMgrAddPromptAnswer(KxwObjMgr* mptObjMgr, const std::string* mpdsMessage, bool mbIsRegExp, bool mbOK,
                                 const std::string* mpdsSetText, std::string* mpdsReason) {
    if (!mptObjMgr) return Refuse(mpdsReason, "the virtual user has no object manager");
    if (!mbOK && mpdsSetText) return Refuse(mpdsReason, "a text is typed only with OK");
    KxwDomUserRegistrationWithMsg* ptRegistration =
        mbOK ? static_cast<KxwDomUserRegistrationWithMsg*>(new KxwDomUserRegistrationPromptOK(
                   TextOf(mpdsMessage), LenOf(mpdsMessage), mbIsRegExp, TextOf(mpdsSetText), LenOf(mpdsSetText)))
             : new KxwDomUserRegistrationPromptCancel(TextOf(mpdsMessage), LenOf(mpdsMessage), mbIsRegExp);
    return Add(mptObjMgr, ptRegistration, mpdsMessage, mpdsReason);
}

bool xfbKxwObjMgrAddModalAnswer(KxwObjMgr* mptObjMgr, const std::string& mdsName, KxwDomModalAnswerFunction mtFunction,
                                std::string* mpdsReason) {
    if (!mptObjMgr) return Refuse(mpdsReason, "the virtual user has no object manager");
    auto* ptRegistration = new KxwDomUserRegistrationModal;
    if (!ptRegistration->SetFunction(mdsName.c_str(), std::move(mtFunction))) {
        delete ptRegistration;
        return Refuse(mpdsReason, "a modal answer needs a name and a function");
    }
    mptObjMgr->AddUserRegistration(ptRegistration);
    return true;
}
