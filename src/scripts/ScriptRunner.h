#pragma once
// Install scripts: run one section's script file, and the path placeholders shared with start-up.

#include <string>

// Runs the script file `fileName` (relative to `startFolder`, which becomes the current folder) for
// the section addressed by currentSection.
void RunScriptFile(const std::string& fileName, const std::string& startFolder);

// Expands a leading path placeholder (%PROGRAMS%\Book and the like) in place, with the special
// folders and the DestDir of the section addressed by currentSection.
void ExpandPathPlaceholder(std::string& field);
