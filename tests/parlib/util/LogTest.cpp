#include "util/Log.h"
#include "util/LogManager.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using par::getLog;
using par::Log;

namespace {

// Points the root log at a string stream for the test and puts it back after.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Log* root = getLog("");
        mySavedStream = root->getStream();
        mySavedLevel = root->getLevel();
        root->setStream(&myOut);
    }
    void TearDown() override
    {
        Log* root = getLog("");
        root->setStream(mySavedStream);
        root->setLevel(mySavedLevel);
    }

    std::ostringstream myOut;

private:
    std::ostream* mySavedStream = nullptr;
    int mySavedLevel = 0;
};

} // namespace

TEST_F(LogTest, RootStartsAtInfoSoInfoIsWrittenAndDebugIsNot)
{
    EXPECT_EQ("Root", getLog("")->getName());
    EXPECT_EQ(Log::LEVEL_INFO, getLog("")->getLevel());
    getLog("app")->info("shown");
    getLog("app")->debug("hidden");
    EXPECT_EQ("shown\n", myOut.str());
}

TEST_F(LogTest, ShortcutsWriteToTheAppLog)
{
    par::logInfo("one");
    par::logSevere("two");
    EXPECT_EQ("one\ntwo\n", myOut.str());
}

TEST_F(LogTest, LevelIsInheritedThroughDottedNamesOnly)
{
    getLog("p")->setLevel(Log::LEVEL_DEBUG);
    getLog("p.q.r")->debug("child of p");
    getLog("px")->debug("not a child of p");
    EXPECT_EQ("child of p\n", myOut.str());
    EXPECT_TRUE(getLog("p.q.r")->isEnabled(Log::LEVEL_DEBUG));
    EXPECT_FALSE(getLog("px")->isEnabled(Log::LEVEL_DEBUG));
}

TEST_F(LogTest, ParentRequestedAfterItsChildBecomesItsParent)
{
    getLog("x")->setLevel(Log::LEVEL_DEBUG);
    Log* child = getLog("x.y.z");
    EXPECT_EQ(Log::LEVEL_DEBUG, child->getLevel()) << "inherits from x while x.y does not exist";

    getLog("x.y")->setLevel(Log::LEVEL_SEVERE);
    EXPECT_EQ(Log::LEVEL_SEVERE, child->getLevel()) << "x.y, requested later, is the nearer parent";
    child->info("hidden by x.y");
    child->severe("shown");
    EXPECT_EQ("shown\n", myOut.str());
}

TEST_F(LogTest, DisplayNamePrefixesTheLogsOwnName)
{
    getLog("shown.name")->setDisplayName(true);
    getLog("shown.name")->info("text");
    getLog("shown.name.child")->info("inherited");
    getLog("plain")->info("alone");
    EXPECT_EQ("[shown.name] text\n[shown.name.child] inherited\nalone\n", myOut.str());
}

TEST_F(LogTest, DisplayNameSetToFalseStopsInheritance)
{
    getLog("dn")->setDisplayName(true);
    getLog("dn.off")->setDisplayName(false);
    getLog("dn.off.leaf")->info("text");
    EXPECT_EQ("text\n", myOut.str());
}

TEST_F(LogTest, LevelZeroWritesNothingNotEvenSevere)
{
    getLog("silent")->setLevel(Log::LEVEL_OFF);
    getLog("silent")->severe("no");
    getLog("silent.child")->severe("no");
    EXPECT_EQ("", myOut.str());
}

TEST_F(LogTest, OwnStreamTakesTheLogsLinesAndThoseOfItsChildren)
{
    std::ostringstream own;
    getLog("own")->setStream(&own);
    getLog("own.child")->info("to own");
    getLog("other")->info("to root");
    EXPECT_EQ("to own\n", own.str());
    EXPECT_EQ("to root\n", myOut.str());
    getLog("own")->setStream(nullptr);
}

TEST_F(LogTest, SameNameGivesTheSameLog)
{
    EXPECT_EQ(getLog("same.name"), getLog("same.name"));
    EXPECT_EQ(getLog(""), getLog(""));
    EXPECT_NE(getLog("same"), getLog("same.name"));
}

TEST(TeeStream, EveryCharacterReachesBothTargets)
{
    std::ostringstream first;
    std::ostringstream second;
    par::teeostream tee(first, second);
    tee << "line " << 42 << "\n";
    tee.flush();
    EXPECT_TRUE(tee.good());
    EXPECT_EQ("line 42\n", first.str());
    EXPECT_EQ("line 42\n", second.str());
}

TEST(TeeStream, FileThatCouldNotBeOpenedIsSkipped)
{
    test::TempDir dir;
    std::ofstream closed{std::filesystem::path(dir.file(L"missing\\log.txt"))};
    ASSERT_FALSE(closed.is_open());
    std::ostringstream second;
    par::teeostream tee(closed, second);
    tee << "still here\n";
    EXPECT_EQ("still here\n", second.str());
}

TEST(LogFile, RootWritesToTheFileThroughTheTeeAndASecondOpenIsRefused)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"log.txt");
    ASSERT_TRUE(test::writeFile(path, "old content\n"));

    std::ostream* tee = par::LogManager::instance().openLogFile(path);
    ASSERT_NE(nullptr, tee);
    EXPECT_EQ(tee, getLog("")->getStream());
    EXPECT_EQ(nullptr, par::LogManager::instance().openLogFile(dir.file(L"second.txt")));

    getLog("file.test")->info("into the file");
    // Flushed per line, and readable while the program still writes it.
    EXPECT_EQ("into the file\r\n", test::readFile(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.file(L"second.txt").c_str()));

    // Keep the rest of the run away from the file so the folder can go.
    getLog("")->setStream(&std::cout);
}

TEST(LogConcurrency, LinesFromManyThreadsArriveWholeAndNoneIsLost)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"threads.txt");
    const int threads = 8;
    const int linesPerThread = 10000;
    {
        std::ofstream file{std::filesystem::path(path)};
        getLog("mt")->setStream(&file);
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([t] {
                for (int i = 0; i < linesPerThread; ++i) {
                    // New names from several threads at once, too.
                    const std::string name = "mt.t" + std::to_string(t) + "." + std::to_string(i % 50);
                    getLog(name)->info("thread " + std::to_string(t) + " line " + std::to_string(i) +
                                       " padding-padding-padding-padding");
                }
            });
        }
        for (std::thread& worker : workers)
            worker.join();
        getLog("mt")->setStream(nullptr);
    }

    std::istringstream lines(test::readFile(path));
    std::set<std::string> seen;
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string tail = " padding-padding-padding-padding";
        ASSERT_TRUE(line.rfind("thread ", 0) == 0 && line.size() > tail.size() &&
                    line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
            << "torn line: " << line;
        seen.insert(line);
    }
    EXPECT_EQ(threads * linesPerThread, count);
    EXPECT_EQ(static_cast<size_t>(threads * linesPerThread), seen.size());
}
