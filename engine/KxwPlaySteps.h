// A steps file: one step per line, a verb and its arguments. Arguments are bare words, double-quoted strings (\" and
// \\ escape; any other backslash stays, so that regular expressions keep theirs), and key=value or key~=value pairs
// whose value may be quoted. '#' starts a comment where an argument could start; a line whose first character that
// is not a blank is '#' is a comment whole. The script verbs (eval, expect) take the rest of the line as written, so
// that a '#' or a quote in the script is the script's. Relative URLs and paths resolve against the file's folder.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

struct KxwPlayVerb;
struct KxwPlayCheckContext;

// One argument as written, quotes removed and escapes resolved.
struct KxwPlayArg {
    std::string _dsKey;  // empty for a word or a quoted string
    std::string _dsValue;
    bool _bIsPair = false;
    bool _bIsRegExp = false;  // written key~=value
    bool _bQuoted = false;    // the value was in double quotes
};

struct KxwPlayStep {
    unsigned _uLine = 0;  // line in the steps file, from 1
    int _iNumber = 0;     // among the file's steps, from 1
    std::string _dsVerb;
    // The line after the verb with blanks at both ends removed: the script of eval and expect.
    std::string _dsText;
    std::vector<KxwPlayArg> _tArgs;
    const KxwPlayVerb* _ptVerb = nullptr;

    // The pair of that key, or null.
    const KxwPlayArg* FindPair(const char* mpszKey) const;
    // The words and quoted strings, in order.
    std::vector<const KxwPlayArg*> GetWords() const;
};

// Splits a line into its verb, its text and, for verbs that take arguments, the arguments. A blank or comment
// line gives true with an empty verb. False with the reason for a malformed line (an unknown verb, a quote not
// closed, a quote inside a bare word, text right after a closing quote).
bool xfbKxwPlayTokenizeLine(const char* mpsfLine, size_t mnLen, KxwPlayStep* mptStep, std::string* mpdsError);

// Appends a path with the bytes a URL cannot hold as they are percent-encoded ('/' and the characters a path
// segment may hold stay).
void xfvKxwPlayAppendEscapedPath(const std::string& mdsPath, std::string* mpdsUrl);
// The base URL of a folder: file:///folder/ with the bytes a URL cannot hold escaped.
std::string xfdsKxwPlayMakeFolderBaseUrl(const std::string& mdsFolder);

class KxwPlaySteps {
public:
    // Reads and parses a steps file. mptParamNames, when given, are the data's columns: a value that names one in
    // braces is checked after substitution, at run time. False with "<file>:<line>: <reason>" in *mpdsError.
    bool LoadFromFile(const std::string& mdsPath, const std::set<std::string>* mptParamNames, std::string* mpdsError);
    // Parses a text; mdsFileName names it in messages and mdsBaseUrl is what relative URLs resolve against.
    bool LoadFromText(const char* mpsfText, size_t mnLen, const std::string& mdsFileName, const std::string& mdsBaseUrl,
                      const std::set<std::string>* mptParamNames, std::string* mpdsError);

    const std::vector<KxwPlayStep>& GetSteps() const { return _tSteps; }
    // The file as named on the command line, for messages.
    const std::string& GetFileName() const { return _dsFileName; }
    // The file's last path component: the file name that script errors of steps mention.
    const std::string& GetScriptFileName() const { return _dsScriptFileName; }
    const std::string& GetBaseUrl() const { return _dsBaseUrl; }

    // A URL or path of a step resolved against the steps file's folder; absolute URLs stay as written. False (and
    // the text unchanged) when it cannot be resolved.
    bool ResolveUrl(const std::string& mdsReference, std::string* mpdsResult) const;
    // Resolves the URL word of a step whose verb takes one, except values that mptContext (when given) leaves for
    // run time; an absolute URL stays as it is, so resolving twice changes nothing. False with the reason.
    bool ResolveStepUrls(KxwPlayStep* mptStep, const KxwPlayCheckContext* mptContext, std::string* mpdsError) const;

private:
    std::vector<KxwPlayStep> _tSteps;
    std::string _dsFileName;
    std::string _dsScriptFileName;
    std::string _dsBaseUrl;
};
