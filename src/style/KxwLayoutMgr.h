// The recorded layout: sizes and positions that a recording browser laid out, kept per step in the file
// layout.dat of the virtual users' folder. The library renders nothing, so where the file has an answer for a
// style or geometry property, scripts read the recorded value.
//
// One layout manager serves the process: it reads the file at global initialisation and is only read afterwards.
// A key's uses are counted per virtual user and step (the object manager keeps the counts): the n-th read of a key
// within a step is answered by the attribute "KEY.n" of the step's section. Without a file, or with an empty one,
// IsEmpty is true and callers skip the whole path.
#pragma once

#include <string>

#include "KxwConfig.h"

struct KxwEnvCfg;

class KxwLayoutMgr {
public:
    // Reads "<kx_usr_dir>/layout.dat" (the folder the engine names for the virtual users); a missing folder or
    // file leaves the manager empty. Replaces what an earlier initialisation read.
    static void Init(const KxwEnvCfg& mrtEnvCfg);
    static void Term();
    static bool IsEmpty() { return Instance()._bEmpty; }
    // The recorded value of the key's next use in the current step, or null; reported at level 2 either way.
    static const char* GetLayoutValue(const std::string& mrdsKey);
    // The path read by the last Init (empty without a folder).
    static const std::string& GetPath() { return Instance()._dsPath; }

private:
    static KxwLayoutMgr& Instance();

    config* _ptConfig = nullptr;
    std::string _dsPath;
    bool _bEmpty = true;
};
