// The verbs of steps files: one table row per verb gives the shape of its arguments (the keys it takes and what
// their values must be, how many words), the rules between its arguments, and the handler that runs it for a
// virtual user. The parser checks every step against its row, so that a bad argument stops the run before it starts.
#pragma once

#include <cstddef>
#include <set>
#include <string>

class KxwPlayVUser;
struct KxwPlayStep;

// How the arguments of a verb are written.
enum KXW_PLAY_ARGS_ENUM {
    KXW_PLAY_ARGS_SCRIPT,  // the rest of the line is one script
    KXW_PLAY_ARGS_TOKENS,  // words, quoted strings and pairs
};

// What a value (of a pair or a word) must be.
enum KXW_PLAY_VALUE_ENUM {
    KXW_PLAY_VALUE_TEXT,      // any text
    KXW_PLAY_VALUE_PATTERN,   // a text, or with ~= a POSIX extended regular expression
    KXW_PLAY_VALUE_POSITIVE,  // a whole number from 1
    KXW_PLAY_VALUE_ORDINAL,   // a whole number from 1, or "random"
    KXW_PLAY_VALUE_COORD,     // a whole number from 0 (image-map coordinates)
    KXW_PLAY_VALUE_MS,        // milliseconds: a whole number from 0
    KXW_PLAY_VALUE_MASK,      // a whole number from 0, decimal or 0x hexadecimal
    KXW_PLAY_VALUE_EVENT,     // an event name: letters, digits and '_'
    KXW_PLAY_VALUE_URL,       // a URL or a path; relative ones resolve against the steps file's folder
};

struct KxwPlayKeySpec {
    const char* _pszKey;
    KXW_PLAY_VALUE_ENUM _eValue;
};

// What a check may leave for run time: values naming a data column in braces.
struct KxwPlayCheckContext {
    const std::set<std::string>* _ptParamNames = nullptr;
    bool IsDeferred(const std::string& mdsValue) const;
};

using KxwPlayCheckFunc = bool (*)(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext,
                                  std::string* mpdsError);
// Runs a step; false with the reason the step failed.
using KxwPlayRunFunc = bool (*)(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);

struct KxwPlayVerb {
    const char* _pszName;
    KXW_PLAY_ARGS_ENUM _eArgs;
    const KxwPlayKeySpec* _patKeys;  // ends with a null key; null when the verb takes no pairs
    int _iMinWords;
    int _iMaxWords;
    KXW_PLAY_VALUE_ENUM _eWordValue;  // what each word must be
    KxwPlayCheckFunc _pfbCheck;       // the rules between arguments; null when the shape says everything
    KxwPlayRunFunc _pfbRun;
};

// The verb of that name, or null.
const KxwPlayVerb* xfptKxwPlayFindVerb(const std::string& mdsName);
// Every verb, in table order.
const KxwPlayVerb* xfptKxwPlayGetVerbs(size_t* mpnCount);

// Checks a step's arguments against its verb's row; false with the reason.
bool xfbKxwPlayCheckStep(const KxwPlayStep& mrtStep, const KxwPlayCheckContext& mrtContext, std::string* mpdsError);
// Checks one value; false with the reason, naming mpszWhat.
bool xfbKxwPlayCheckValue(const std::string& mdsValue, KXW_PLAY_VALUE_ENUM meValue, bool mbIsRegExp,
                          const char* mpszWhat, std::string* mpdsError);
class KxwDomHtmlWindow;
struct KxwPlayArg;
// The muWanted-th frame (from 1) below the window, depth first in document order, whose name matches mptName (any
// name when null); null when there is none.
KxwDomHtmlWindow* xfptKxwPlayFindFrame(KxwDomHtmlWindow* mptWindow, const KxwPlayArg* mptName, unsigned muWanted);
// A whole number of the value kinds above; false when the text is not one or is out of range.
bool xfbKxwPlayParseNumber(const std::string& mdsText, bool mbAllowHex, unsigned long long* mpullValue);

// Whether the step is an answer step (it registers for the next step that is not one).
bool xfbKxwPlayIsAnswerStep(const KxwPlayStep& mrtStep);
// Registers an answer step's dialog answer in the virtual user's current level; false with the reason.
bool xfbKxwPlayRegisterAnswer(KxwPlayVUser& mrtVUser, const KxwPlayStep& mrtStep, std::string* mpdsReason);
