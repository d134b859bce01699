// A folder of sheets several machines share: no two machines' names are
// ever the same, conflict copies are told apart, each machine's record
// files are put in order with what is missing named, and what is old found.
#include "model/synced.h"
#include "model/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

TEST(Synced, TheSheetAndRecordNamesAcrossTwoMachines)
{
    // One machine with two etc directories, and another machine.
    const struct {
        const char *pszMachine, *pszEtc;
    } machines[] = {{"4c4c4544004a\n", "/home/pilot/zarv/etc"},
                    {"4c4c4544004a", "/home/pilot/zarv2/etc"},
                    {"dispatch-pc", "/home/pilot/zarv/etc"}};
    std::vector<std::string> ids, names;
    for (const auto& m : machines) {
        const std::string strId = synMachineId(m.pszMachine, m.pszEtc);
        EXPECT_TRUE(strId.size() == SYN_ID_DIGITS && strId.find_first_not_of("0123456789abcdef") == std::string::npos)
            << strId;
        ids.push_back(strId);
        // The same sheet at the same second with the same random part.
        names.push_back(synSheetName("G-ZARV 2026-12-07 1435", strId, "k7q2"));
        names.push_back(synRecordName(strId, 4, 1796654100, "k7q2"));
        _synRecordName read;
        ASSERT_TRUE(synReadRecordName(names.back(), &read)) << names.back();
        EXPECT_EQ(read.strMachine + " " + std::to_string(read.nSequence) + " " + read.strTime + " " + read.strRandom,
                  strId + " 4 20261207T143500Z k7q2");
    }
    EXPECT_EQ(synMachineId("4c4c4544004a\n", "/e"), synMachineId(" 4c4c4544004a", "/e"));
    EXPECT_EQ(names[0], "G-ZARV 2026-12-07 1435 " + ids[0] + " k7q2");
    EXPECT_EQ(names[1], "Record " + ids[0] + " 000004 20261207T143500Z k7q2.jsonl");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    _synRecordName read;
    for (const char* psz : {"Record.jsonl", "Record 3f2a9c0d41be 4 20261207T143500Z k7q2.jsonl",
                            "Record 3F2A9C0D41BE 000004 20261207T143500Z k7q2.jsonl",
                            "Record 3f2a9c0d41be 000000 20261207T143500Z k7q2.jsonl",
                            "Record 3f2a9c0d41be 000004 20261207T143500Z k7q2.sync-conflict-20261208-101500-ABC.jsonl"})
        EXPECT_FALSE(synReadRecordName(psz, &read)) << psz;
}

TEST(Synced, ConflictCopiesAreToldApart)
{
    const struct {
        const char* pszName;
        bool bCopy;
    } cases[] = {
        {"Record 3f2a9c0d41be 000004 20261207T143500Z k7q2.sync-conflict-20261208-101500-ABCDEFG.jsonl", true},
        {"Record.sync-conflict-20261208-101500-ABCDEFG.jsonl", true},
        {"G-ZARV 2026-12-07 1435 3f2a9c0d41be k7q2 (conflicted copy 2026-12-08 101500).pdf", true},
        {"G-ZARV 2026-12-07 1435 3f2a9c0d41be k7q2 (Pilot's Conflicted Copy).pdf", true},
        {"Record_conflict-20261208-101500.jsonl", true},
        {"G-ZARV 2026-12-07 1435 3f2a9c0d41be k7q2.pdf", false},
        {"G-CONFLICT 2026-12-07 1435 3f2a9c0d41be k7q2.pdf", false},
        {"X_conflict-1 2026-12-07 1435.pdf", false},
        {"Record.jsonl", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(synIsConflictCopy(c.pszName), c.bCopy) << c.pszName;
}

TEST(Synced, EachMachinesRecordFilesAreOrderedAndTheirGapsNamed)
{
    const struct {
        const char* pszName;
        std::vector<std::pair<const char*, long long>> files; // machine, sequence
        std::vector<std::string> said;                        // problems, then notes
        int nMissing, nTwice;
        std::vector<bool> follows; // of every file kept, in order
    } cases[] = {
        {"two whole machines", {{"b", 2}, {"a", 1}, {"b", 1}}, {}, 0, 0, {true, true, true}},
        {"a middle one deleted",
         {{"a", 1}, {"a", 2}, {"a", 4}, {"b", 1}},
         {"machine a: record 3 is missing (between a2 and a4)"},
         1,
         0,
         {true, true, false, true}},
        {"three missing",
         {{"a", 1}, {"a", 5}},
         {"machine a: records 2 to 4 are missing (between a1 and a5)"},
         3,
         0,
         {true, false}},
        {"the first ones removed as old",
         {{"a", 4}, {"a", 5}, {"b", 2}},
         {"machine a: records 1 to 3 are not here: removed after the retention period?",
          "machine b: record 1 is not here: removed after the retention period?"},
         0,
         0,
         {false, true, false}},
        {"one there twice", {{"a", 1}, {"a", 1}}, {"machine a: record 1 is there twice (a1 and a1)"}, 0, 1, {true}},
    };
    for (const auto& c : cases) {
        std::vector<_synRecordFile> files;
        for (const auto& [pszMachine, nSequence] : c.files)
            files.push_back({pszMachine + std::to_string(nSequence), pszMachine, nSequence});
        const _synOrdering o = synOrder(files);
        std::vector<std::string> said = o.problems;
        said.insert(said.end(), o.notes.begin(), o.notes.end());
        EXPECT_EQ(said, c.said) << c.pszName;
        EXPECT_EQ(o.nMissing, c.nMissing) << c.pszName;
        EXPECT_EQ(o.nTwice, c.nTwice) << c.pszName;
        std::vector<bool> follows;
        for (const _synMachine& m : o.machines)
            for (size_t n = 0; n < m.files.size(); n++) {
                EXPECT_TRUE(n == 0 || m.files[n - 1].nSequence < m.files[n].nSequence) << c.pszName;
                follows.push_back(synFollows(m, n));
            }
        EXPECT_EQ(follows, c.follows) << c.pszName;
    }
}

TEST(Synced, WhatIsOlderThanTheMonthsKept)
{
    for (const auto& [pszText, nMonths] : std::vector<std::pair<const char*, int>>{
             {"", 3}, {"6", 6}, {" 12 ", 12}, {"0", 3}, {"-2", 3}, {"2.5", 3}, {"six", 3}, {"241", 3}, {"240", 240}})
        EXPECT_EQ(synKeepMonths(pszText), nMonths) << pszText;
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_dmy(&today, 31, G_DATE_MAY, 2027);
    const struct {
        const char* pszWhen;
        int nMonths;
        bool bOlder;
    } cases[] = {
        {"2027-02-28T10:00:00+01:00", 3, true}, // due on 28 May
        {"2027-03-01", 3, false},
        {"2027-02-28", 4, false},
        {"2026-11-30T23:59:59-05:00", 6, true}, // the day as the line was written
        {"2027-05-31", 1, false},
        {"no date", 3, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(synOlderThan(c.pszWhen, today, c.nMonths), c.bOlder) << c.pszWhen << " " << c.nMonths;
}

TEST(Synced, ANameFromTheFolderIsShownWithNothingHiddenOrForged)
{
    using namespace std::string_literals;
    const struct {
        std::string strName, strShown;
    } cases[] = {
        {"G-ZARV.aircraft", "G-ZARV.aircraft"},
        {"Gr\xc3\xbc\xc3\x9f Gott \xd7\x90", "Gr\xc3\xbc\xc3\x9f Gott \xd7\x90"},
        {"x\n3 sheets, all match", "x\\n3 sheets, all match"},
        {"\x1b[2K\x1b[1A\r\t", "\\x1b[2K\\x1b[1A\\r\\t"},
        {"nul\0del\x7f"s, "nul\\x00del\\x7f"},
        {"c1 \xc2\x9b"
         "31m",
         "c1 \\u009b31m"},
        {"evil\xe2\x80\xae"
         "fdp.exe",
         "evil\\u202efdp.exe"},
        {"\xe2\x80\xaa\xe2\x80\xac\xe2\x81\xa6\xe2\x81\xa9\xe2\x80\xa8", "\\u202a\\u202c\\u2066\\u2069\\u2028"},
        {"bad \xff \xc3 \xed\xa0\x80 \xc0\xaf", "bad \\xff \\xc3 \\xed\\xa0\\x80 \\xc0\\xaf"},
        {"already \\x1b", "already \\\\x1b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(txtEscaped(c.strName), c.strShown) << c.strShown;
}

} // namespace
