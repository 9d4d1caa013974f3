// The portable profile reader against GetPrivateProfileStringA on the same files: the checker reads
// SETUP.INI and SETUP.TXT with the reader, setup with the system's functions.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>

#include "framework/WideText.h"
#include "settings/ProfileText.h"
#include "settings/SettingsWin.h"

namespace {
struct TrickyFile {
    const char* what;
    const char* text;
};

const TrickyFile kFiles[] = {
    {"CR LF, lone CR and lone LF", "[Setup]\r\nA=1\rB=2\nC=3\r\n\r\n\n[Other]\nA=4"},
    {"case of sections and keys", "[sEtUp]\r\nmainprodname=Book\r\n[SETUP]\r\nMainProdName=Second\r\n"},
    {"blanks around names and values", "  [Setup]  \r\n\t Key One \t=\t value one \t\r\nKey Two=  \r\n"},
    {"blanks inside the brackets", "[ Setup ]\r\nA=inner\r\n[Setup]\r\nA=outer\r\n"},
    {"first of two equal keys", "[Setup]\r\nA=first\r\na=second\r\nA=third\r\n"},
    {"first of two equal sections", "[Setup]\r\nA=1\r\n[Other]\r\nB=2\r\n[setup]\r\nA=3\r\nC=4\r\n"},
    {"quotes",
     "[Setup]\r\nA=\"quoted value\"\r\nB='single'\r\nC=\"open\r\nD=\"mixed'\r\nE=\"\"\r\nF=\"\r\nG=a \"b\" c\r\n"},
    {"a line without =", "[Setup]\r\nA\r\nB=2\r\n"},
    {"= in the value and empty names", "[Setup]\r\nA=b=c\r\n=empty name\r\nB==\r\n"},
    {"keys before any section", "A=outside\r\n[Setup]\r\nB=inside\r\n"},
    {"comment-like lines", "[Setup]\r\n;A=commented\r\n#B=hashed\r\nC=1 ; not a comment\r\n"},
    {"broken section headers", "[Setup\r\nA=1\r\n[Setup]x]\r\nB=2\r\n[]\r\nC=3\r\n"},
    {"Ctrl+Z and form feeds", "[Setup]\r\nA=v\x1a\r\n\x0c B=w\r\n\x1a"},
    {"UTF-8 mark in front", "\xEF\xBB\xBF[Setup]\r\nA=1\r\n"},
    {"tab and high bytes in values", "[Setup]\r\nA=a\tb\r\nB=\xE9t\xE9\r\n"},
};

const char* const kSections[] = {"Setup", "setup", " Setup ", "Other", "Setup]x", "", "Missing"};
const char* const kKeys[] = {
    "A", "B", "C", "D", "E", "F", "G", "Key One", "Key Two", "KEY ONE", "MainProdName", " A ", ";A", "#B", "Missing"};
}  // namespace

TEST(ProfileTextWin, ReadsEveryTrickyFileAsTheSystemDoes)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    int n = 0;
    for (const TrickyFile& file : kFiles) {
        // A file of its own per case: the system keeps the last profile file it read.
        const std::string path = std::string(temp) + "tricky" + std::to_string(n++) + ".ini";
        std::ofstream(path, std::ios::binary) << file.text;
        PrivateProfileFile system(path);
        ProfileText portable(file.text);
        for (const char* section : kSections) {
            for (const char* key : kKeys) {
                // The programs hold the system's reading as UTF-8.
                EXPECT_EQ(Utf8FromAnsi(portable.Read(section, key, "Error")), system.Read(section, key, "Error"))
                    << file.what << ": [" << section << "] " << key;
            }
        }
    }
}
