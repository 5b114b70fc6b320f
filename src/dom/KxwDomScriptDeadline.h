// The time limit of the running script, as long library operations see it: parsing a script's markup, moving or
// announcing a large subtree. They ask now and then (the check reads the clock) and, once the script is past its
// limit, stop where the tree is consistent and return; the script engine then ends the script as soon as the
// operation is back in it, with the usual report. Outside a script nothing is ever past its limit.
#pragma once

class KxwDomScriptDeadline {
public:
    // Operations ask once per this many units of work (nodes, elements).
    static constexpr unsigned kAskEvery = 256;

    // True once the running script of this thread is past its limit.
    static bool IsPast();
    // IsPast, asked on every kAskEvery-th call only.
    bool IsPastNowAndThen() { return ++_uCalls % kAskEvery == 0 && IsPast(); }

private:
    unsigned _uCalls = 0;
};
