#pragma once
// The replace question (template 103): asked by the tree copy on the worker thread, owned by the
// progress dialog, when a file it is about to copy is already in the destination.

#include <string>

#include "copy/TreeCopy.h"
#include "framework/Dialog.h"

class CReplaceDialog : public Dialog {
public:
    // The first size and time are those of the file on the CD, the second those of the file already in
    // the destination; times are universal file times.
    CReplaceDialog(std::string fileName, unsigned long long firstSize, unsigned long long secondSize,
                   unsigned long long firstTime, unsigned long long secondTime);

    // Runs the dialog, owned by `owner` (the progress dialog; none: the backdrop), and reads its result
    // and flags together.
    ReplaceAnswer Ask(HWND owner = nullptr);

    bool yesToAllPressed = false;
    bool noPressed = false;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    std::string fileName_;
    unsigned long long firstSize_;
    unsigned long long secondSize_;
    unsigned long long firstTime_;
    unsigned long long secondTime_;
};

// "Tuesday,  January 5, 1999,  3:07:09  PM" for a universal file time, in the local time in force now.
std::string FormatUniversalFileTime(unsigned long long fileTime);
