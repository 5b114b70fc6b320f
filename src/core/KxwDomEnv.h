// The environment of a DOM object: the memory manager its memory comes from and the U16n handler its strings
// convert with. Strings and attribute values reach both through the KxwDomStrEnvApi interface.
#pragma once

#include "KxwDomStrEnv.h"

class KxwDomBase;
class KxwMemMgr;
class KxwU16nHandler;

class KxwDomEnv : public KxwDomStrEnvApi {
public:
    // A root environment: nothing to inherit from.
    KxwDomEnv(KxwMemMgr* mptMemMgr, KxwU16nHandler* mptU16nHandler);
    // Inherits the U16n handler of mptParent's environment (none when mptParent is null).
    KxwDomEnv(KxwMemMgr* mptMemMgr, KxwDomBase* mptParent);
    // Inherits the U16n handler of mrtDomEnv and lives on its memory manager. This is not a copy: the new
    // environment is a child of the given one.
    explicit KxwDomEnv(KxwDomEnv& mrtDomEnv);
    ~KxwDomEnv() override;
    KxwDomEnv& operator=(const KxwDomEnv&) = delete;

    // The memory manager given at construction; null means the process heap.
    KxwMemMgr* GetMemMgr() override;
    // The handler set, or else the parent's, asked for once and kept (a later change in the parent is not seen).
    KxwU16nHandler* GetU16nHandler() override;
    void SetU16nHandler(KxwU16nHandler* mptU16nHandler) { _ptU16nHandler = mptU16nHandler; }

private:
    void LinkToParent(KxwDomEnv* mptParentEnv);
    void UnlinkFromParent();

    KxwDomEnv* _ptParentEnv = nullptr;
    KxwMemMgr* _ptMemMgr;
    KxwU16nHandler* _ptU16nHandler = nullptr;
    // A child that has not taken its parent's handler yet is linked to the parent, so that a parent dying first
    // hands its handler down instead of leaving the child a dangling parent.
    KxwDomEnv* _ptFirstWaitingChild = nullptr;
    KxwDomEnv* _ptNextWaitingSibling = nullptr;
    KxwDomEnv** _pptPrevWaitingLink = nullptr;
};
