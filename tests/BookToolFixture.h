// What the book tool's tests share: a folder of their own, test books, and the shape of
// a refusal.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/testing/TestEnvironment.h"
#include "tests/ToolRunner.h"
#include "tools/PalmDatabase.h"

// A book of count records: record k holds "Reading k\nline two" unless texts has one for it.
inline std::string Book(int count = 366, const std::map<int, std::string>& texts = {})
{
    std::vector<std::string> records;
    for (int k = 0; k < count; ++k)
        records.push_back(texts.count(k) ? texts.at(k) : "Reading " + std::to_string(k) + "\nline two");
    return BuildPalmDatabase("Test", records);
}

// A refusal: the status, nothing on stdout, and "solmira-book: " with fragment on the
// first line of stderr (a refused command line adds the usage below it).
inline void ExpectRefused(const ToolOutcome& outcome, int status, const std::string& fragment = "")
{
    EXPECT_EQ(outcome.status, status) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    const std::string first = outcome.err.substr(0, outcome.err.find('\n'));
    EXPECT_EQ(first.rfind("solmira-book: ", 0), 0u) << outcome.err;
    EXPECT_NE(first.find(fragment), std::string::npos) << "\"" << fragment << "\" not in: " << outcome.err;
    EXPECT_TRUE(!outcome.err.empty() && outcome.err.back() == '\n') << outcome.err;
}

// A command done: status 0, nothing on stderr, and out on stdout.
inline void ExpectDone(const ToolOutcome& outcome, const std::string& out)
{
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, out);
}

class BookToolFixture : public ::testing::Test
{
protected:
    ToolOutcome Run(const std::vector<std::string>& args) const { return RunTool(ToolRun{args}, m_folder.Path()); }
    ToolOutcome Run(const ToolRun& run) const { return RunTool(run, m_folder.Path()); }

    std::string Put(const std::string& name, const std::string& bytes) const
    {
        m_folder.Write(name, bytes);
        return m_folder.PathOf(name);
    }

    ProgramFolder m_folder;
};
