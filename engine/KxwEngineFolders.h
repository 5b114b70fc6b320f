// Folders the engine and the player write into (log files, snapshots).
#pragma once

#include <string>

// Makes a folder and its parents; false with the reason (naming the folder) when it cannot be made or is not one.
bool xfbKxwEngineMakeFolders(const std::string& mdsPath, std::string* mpdsError);
