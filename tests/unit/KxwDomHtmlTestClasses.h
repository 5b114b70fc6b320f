// What the HTML document and element tests share: a small tree builder that plays the engine's parser (the
// platform tokenizer, an open-element stack, implied HTML, HEAD and BODY) and builds only through the exported
// building interface; a virtual user with an object manager whose notifications are recorded, the markup of
// notifications 7 and 18 parsed into their subject as the engine does; and the fixture with a document on a memory
// manager of its own, the global "document" of the test's script engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KxwDomHtmlDocument.h"
#include "KxwDomHtmlElement.h"
#include "KxwDomTestClasses.h"
#include "KxwMemMgr.h"
#include "kxw/KxwDomCommonEnums.h"
#include "kxw/KxwObjMgr.h"
#include "kxw/KxwVUserVars.h"

// Builds markup into a document (with the implied elements) or into an element.
class KxwTestPageBuilder {
public:
    static void Build(KxwDomNodeBase* mptTarget, const std::string& mdsHtml);
};

// Notifications as the object manager would receive them.
class KxwTestNotificationRecorder {
public:
    struct Notification {
        KXW_DOM_COMMON_NOTIFICATION_ENUM _eType;
        void* _pvSubject;
        std::string _dsText;  // the markup or cookie of 7, 14 and 18
    };

    // A virtual user bound to the thread with an object manager whose notifications come here, for the
    // recorder's life; with mbParse the markup of 7 and 18 is built into the subject.
    explicit KxwTestNotificationRecorder(bool mbParse = true);
    ~KxwTestNotificationRecorder();
    KxwTestNotificationRecorder(const KxwTestNotificationRecorder&) = delete;
    KxwTestNotificationRecorder& operator=(const KxwTestNotificationRecorder&) = delete;

    std::vector<Notification> _tNotifications;
    bool _bParse;
    // What a document.cookie read is answered with (notification 13).
    std::string _dsCookie;
    // The texts of the notifications of one type, in order.
    std::vector<std::string> Texts(KXW_DOM_COMMON_NOTIFICATION_ENUM meType) const;

private:
    static void Receive(KXW_DOM_COMMON_NOTIFICATION_ENUM meType, void* mpvSubject, void* mpvObject);
    static KxwTestNotificationRecorder*& Current();

    KxwVUserVars _tVUserVars;
    std::unique_ptr<KxwVUserVarsThreadBinding> _ptBinding;
    std::unique_ptr<KxwObjMgr> _ptObjMgr;
    KxwTestNotificationRecorder* _ptPrevious = nullptr;
};

class KxwDomHtmlTest : public KxwDomScriptTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds a page into the document as the engine's parser would (parsing on, then off).
    void BuildPage(const std::string& mdsHtml);
    KxwDomHtmlElement* NewElement(const char* mpszTag, KxwDomHtmlDocument* mptDocument = nullptr);
    // The first element of the document with that id.
    KxwDomHtmlElement* ById(const char* mpszId);

    KxwMemBlkMgr _tBlkMgr;
    KxwMemMgrGeneric* _ptMemMgr = nullptr;
    KxwDomHtmlDocument* _ptDocument = nullptr;
    KxwTestNotificationRecorder* _ptRecorder = nullptr;
};
