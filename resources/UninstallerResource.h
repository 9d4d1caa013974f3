#pragma once
// Resource identifiers of TOVRADE.EXE.

#define IDD_REMOVAL_PROBLEM 102
#define IDI_APP 128
#define IDC_PROBLEM_TEXT 1000
