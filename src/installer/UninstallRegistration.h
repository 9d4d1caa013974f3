#pragma once
// Registers the section addressed by currentSection for removal: copies TOVRADE.EXE from the start
// folder into the Windows folder and writes the section's uninstall entry.

void RegisterSectionForUninstall();
