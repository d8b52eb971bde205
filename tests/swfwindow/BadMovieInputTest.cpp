#include "NativeApiTestBase.h"

#include "LogCapture.h"

#include "util/Scoped.h"

#include <thread>

namespace {

// Calls and requests that the built-in interface cannot carry out as asked:
// each gets its answer, none a crash.
class BadMovieInputTest : public test::NativeApiTestBase {
protected:
    bool exists(const std::wstring& name) const
    {
        return GetFileAttributesW(folder.file(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    test::TempDir folder;
};

TEST_F(BadMovieInputTest, WrongArgumentCountsAreIgnoredOrPassedOnAsEachCommandTakesThem)
{
    const std::wstring path = folder.file(L"new");
    for (const std::vector<std::wstring>& call : std::vector<std::vector<std::wstring>>{
             {L"createDir", path, L"extra"}, {L"saveAsPng", path}, {L"saveText", path},
             {L"loadText"}, {L"setApplicationWindowBounds", L"1", L"2", L"3"}, {L"sleep"}})
        EXPECT_EQ(L"", fireCall(call[0], {call.begin() + 1, call.end()})) << call[0];
    EXPECT_FALSE(exists(L"new"));
    EXPECT_TRUE(listener.calls.empty());

    listener.answer = [](const std::wstring&, const std::vector<std::wstring>&) { return L"<string>l</string>"; };
    fireCall(L"skyvanePrint");
    fireCall(L"addServerWatcher", {L"http://127.0.0.1:1/", L"two"});
    fireCall(L"removeServerWatcher");
    EXPECT_EQ(L"<string>l</string>", fireCall(L"getServerConnectionState", {L"a", L"b"}));
    EXPECT_EQ(L"<string>l</string>", fireCall(L"IsMac"));
    const std::vector<std::wstring> passedOn = {
        L"call skyvanePrint", L"call addServerWatcher [http://127.0.0.1:1/] [two]", L"call removeServerWatcher",
        L"call getServerConnectionState [a] [b]", L"call IsMac"};
    EXPECT_EQ(passedOn, listener.calls);
}

TEST_F(BadMovieInputTest, MissingPathsAnswerFalseNothingOrTheSystemsErrorCode)
{
    const std::wstring missing = folder.file(L"none\\file.txt");
    EXPECT_EQ(L"<undefined/>", fireCall(L"loadText", {missing}));
    EXPECT_EQ(text(L"false"), fireCall(L"saveText", {missing, L"text"}));
    EXPECT_EQ(text(L"false"), fireCall(L"isSwfFile", {missing}));
    EXPECT_EQ(text(L"false"), fireCall(L"fileExist", {missing}));
    EXPECT_EQ(text(L"<files></files>"), fireCall(L"findFiles", {folder.file(L"none"), L"*.*", L"true"}));
    EXPECT_EQ(L"3", errorCodeOf(L"createDir", {folder.file(L"none\\deeper")}));
    EXPECT_EQ(L"3", errorCodeOf(L"deleteFile", {missing}));
    EXPECT_EQ(L"2", errorCodeOf(L"saveAsPng", {folder.file(L"none.bmp"), folder.file(L"out.png")}));
    EXPECT_EQ(L"IDS_PICTURE_LOAD_ERROR", askedTexts().at(4));
}

TEST_F(BadMovieInputTest, NamesThatNoFileCanHaveAreRefused)
{
    writeBitmapFile(folder.file(L"in.bmp"), 2, 2);
    EXPECT_EQ(L"123", errorCodeOf(L"createDir", {folder.file(L"a<b")}));
    EXPECT_EQ(L"123", errorCodeOf(L"deleteFile", {folder.file(L"a|b")}));
    EXPECT_EQ(L"123", errorCodeOf(L"openDir", {folder.file(L"a?b")}));
    EXPECT_EQ(L"123", errorCodeOf(L"saveAsPng", {folder.file(L"in.bmp"), folder.file(L"a<b.png")}));
    EXPECT_EQ(L"IDS_LANDSCAPE_IMAGE_SAVE_ERROR", askedTexts().at(5));
    EXPECT_EQ(text(L"false"), fireCall(L"saveText", {folder.file(L"a\"b"), L"text"}));
}

TEST_F(BadMovieInputTest, FileThatIsNoPictureIsReportedAsALoadFailure)
{
    test::writeFile(folder.file(L"text.png"), "not a picture at all");
    EXPECT_EQ(std::to_wstring(ERROR_INVALID_DATA),
              errorCodeOf(L"saveAsPng", {folder.file(L"text.png"), folder.file(L"out.png")}));
    EXPECT_EQ(L"IDS_PICTURE_LOAD_ERROR", askedTexts().at(0));
    EXPECT_FALSE(exists(L"out.png"));
}

TEST_F(BadMovieInputTest, PipesAreNotReadAsFiles)
{
    // Pipes whose server never writes, as the program's own pipe is while its
    // UI thread waits: a read would wait for ever, so the test breaks reads
    // off after a while.
    const std::wstring pipe = L"\\\\.\\pipe\\partest-silent-" + std::to_wstring(GetCurrentProcessId());
    std::vector<par::ScopedHandle> instances;
    for (int i = 0; i < 3; ++i)
        instances.emplace_back(CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX,
                                                PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                                PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr));
    const par::ScopedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread breaker([&] {
        if (WaitForSingleObject(done.get(), 3000) == WAIT_TIMEOUT) {
            for (par::ScopedHandle& instance : instances)
                instance.reset();
        }
    });

    const DWORD start = GetTickCount();
    EXPECT_EQ(L"<undefined/>", fireCall(L"loadText", {pipe}));
    EXPECT_EQ(text(L"false"), fireCall(L"isSwfFile", {pipe}));
    EXPECT_EQ(std::to_wstring(ERROR_ACCESS_DENIED), errorCodeOf(L"saveAsPng", {pipe, folder.file(L"out.png")}));
    EXPECT_LT(GetTickCount() - start, 2000u);
    SetEvent(done.get());
    breaker.join();
}

TEST_F(BadMovieInputTest, CharactersThatXmlCannotCarryAreReplacedAndTheCallIsAnswered)
{
    EXPECT_EQ(L"<undefined/>", fireFlashCall(L"<invoke name=\"getServerConnectionState\" returntype=\"xml\">"
                                             L"<arguments><string>\x01</string></arguments></invoke>"));
    listener.answer = [](const std::wstring&, const std::vector<std::wstring>&) { return L"<string>l</string>"; };
    EXPECT_EQ(L"<string>l</string>",
              fireFlashCall(L"<invoke name=\"echo\" returntype=\"xml\"><arguments>"
                            L"<string>a\x01" L"b&#1;c&#xFFFE;d&#65;\xD83D\xDE00</string></arguments></invoke>"));
    EXPECT_EQ(std::vector<std::wstring>{L"call echo [a\uFFFDb\uFFFDc\uFFFDdA\xD83D\xDE00]"}, listener.calls);
}

TEST_F(BadMovieInputTest, UnparsableNumbersAndFlagsChangeNothing)
{
    fireCall(L"setApplicationWindowBounds", {L"10", L"20", L"300", L"180"});
    test::LogCapture log{"app"};
    fireCall(L"setApplicationWindowBounds", {L"1", L"x", L"3", L"4"});
    fireCall(L"setApplicationWindowContentSize", {L"wide", L"5"});
    fireCall(L"setApplicationWindowResizable", {L"maybe"});
    EXPECT_EQ("setApplicationWindowBounds, parsing failure\nsetApplicationWindowContentSize, parsing failure\n",
              log.text());
    EXPECT_EQ(text(L"<bounds x=\"10\" y=\"20\" width=\"300\" height=\"180\"/>"),
              fireCall(L"getApplicationWindowBounds"));
    EXPECT_TRUE(app->getMainWindow()->isResizable());

    const DWORD start = GetTickCount();
    EXPECT_EQ(L"", fireCall(L"sleep", {L"soon"}));
    EXPECT_EQ(L"<undefined/>", fireCall(L"sleep", {L"-1"})) << "a negative time does not block for ever";
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(BadMovieInputTest, BrokenRequestsGetNoAnswerAndSaveXmlWithoutContentOrPathAnswersFalse)
{
    const std::wstring path = folder.file(L"out.xml");
    fireFsCommand(L"xmlRequest", L"");
    fireFsCommand(L"xmlRequest", L"<r id=\"saveXml\" path=\"" + path + L"\"><data/>");
    fireFsCommand(L"xmlRequest", L"<r id=\"unknown\" uin=\"1\"/>");
    EXPECT_TRUE(variableValues(L"xmlResponse").empty());

    fireFsCommand(L"xmlRequest", L"<r id=\"saveXml\" uin=\"1\" path=\"" + path + L"\"/>");
    fireFsCommand(L"xmlRequest", L"<r id=\"saveXml\" uin=\"2\"><data/></r>");
    std::vector<std::wstring> responses;
    for (const std::wstring& response : variableValues(L"xmlResponse"))
        responses.push_back(test::withoutLayout(response));
    const std::vector<std::wstring> expected = {L"<asyncResponse id=\"saveXml\" uin=\"1\" result=\"false\"/>",
                                                L"<asyncResponse id=\"saveXml\" uin=\"2\" result=\"false\"/>"};
    EXPECT_EQ(expected, responses);
    EXPECT_FALSE(exists(L"out.xml"));
    EXPECT_EQ(std::vector<std::wstring>{L"xmlRequest <r id=\"unknown\" uin=\"1\"/>"}, listener.calls);
}

} // namespace
