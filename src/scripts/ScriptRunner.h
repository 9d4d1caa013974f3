#pragma once
// Install scripts: run one section's script file, and the path placeholders shared with start-up.

#include <string>

#include "scripts/ScriptText.h"

// The fields of the script line being executed.
extern ScriptFieldTable ScriptFields;

// Runs the script file `fileName` (relative to `startFolder`, which becomes the current folder) for
// the section addressed by currentSection.
void RunScriptFile(const std::string& fileName, const std::string& startFolder);

// Cuts one line into ScriptFields, expands every field and executes the command.
void RunScriptLine(const std::string& line);

// Executes the command that ScriptFields holds.
void DispatchScriptCommand();

// The placeholder values of the running installer: the special folders and the DestDir of the
// section addressed by currentSection.
PlaceholderValues CurrentPlaceholderValues();

// Expands a leading path placeholder (%PROGRAMS%\Book and the like) in place, with the special
// folders and the DestDir of the section addressed by currentSection.
void ExpandPathPlaceholder(std::string& field);
