#include "NativeApiTestBase.h"
#include "PollUntil.h"

#include "util/StringUtil.h"

#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <thread>

namespace {

BOOL CALLBACK findDialog(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// From a thread of its own: records the file types of the file-open dialog
// that the UI thread shows, types each entry into its file name box and
// confirms it, and cancels the dialog if it is still open, so that no test
// stays in the modal loop.
void driveFileDialog(DWORD uiThread, std::vector<std::wstring> entries, std::vector<std::wstring>& types)
{
    HWND dialog = nullptr;
    test::pollUntil(
        [&] {
            EnumThreadWindows(uiThread, findDialog, reinterpret_cast<LPARAM>(&dialog));
            return dialog != nullptr;
        },
        5000, 10);
    const LRESULT count = SendDlgItemMessageW(dialog, cmb1, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t type[256] = {};
        SendDlgItemMessageW(dialog, cmb1, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(type));
        types.push_back(type);
    }
    for (const std::wstring& entry : entries) {
        SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(entry.c_str()));
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    test::pollUntil([&] { return entries.empty() || !IsWindow(dialog); }, 2000, 10);
    if (dialog && IsWindow(dialog))
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

class MovieRequestTest : public test::NativeApiTestBase {
protected:
    void SetUp() override
    {
        test::NativeApiTestBase::SetUp();
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"})
            test::writeFile(folder.file(name), "x");
    }

    // Sends the request while another thread works the dialog it opens.
    void requestWithDialog(const std::wstring& request, const std::vector<std::wstring>& entries)
    {
        std::thread driver(driveFileDialog, GetCurrentThreadId(), entries, std::ref(fileTypes));
        fireFsCommand(L"xmlRequest", request);
        driver.join();
    }

    std::vector<std::wstring> responses() const
    {
        std::vector<std::wstring> answers;
        for (const std::wstring& response : variableValues(L"xmlResponse"))
            answers.push_back(test::withoutLayout(response));
        return answers;
    }

    std::wstring fileElement(const wchar_t* name) { return L"<file path=\"" + folder.file(name) + L"\"/>"; }

    test::TempDir folder;
    std::vector<std::wstring> fileTypes;
};

TEST_F(MovieRequestTest, SaveXmlWritesTheContentAsUtf8OrIndentedAndAnswersAtOnce)
{
    std::wstring path = folder.file(L"saved.xml");
    par::replaceAll(path, L"\\", L"/");
    fireFsCommand(L"xmlRequest", L"<r id=\"saveXml\" uin=\"5\" path=\"" + path +
                                     L"\" autoformat=\"no\"><data a=\"1\">\u00fc</data></r>");
    EXPECT_EQ("\xef\xbb\xbf<data a=\"1\">\xc3\xbc</data>", test::readFile(folder.file(L"saved.xml")));

    fireFsCommand(L"xmlRequest", L"<r id=\"saveXml\" path=\"" + folder.file(L"indented.xml") +
                                     L"\" autoformat=\"true\"><data><a x=\"1\"/><b/></data></r>");
    const std::string indented = test::readFile(folder.file(L"indented.xml"));
    EXPECT_EQ(0u, indented.find("\xef\xbb\xbf<data>")) << indented;
    EXPECT_NE(std::string::npos, indented.find("\n\t<a x=\"1\"/>")) << indented;
    EXPECT_EQ(L"<data><a x=\"1\"/><b/></data>", test::xmlText(test::parseXml(par::toWide(indented.substr(3)))));

    const std::vector<std::wstring> expected = {L"<asyncResponse id=\"saveXml\" uin=\"5\" result=\"true\"/>",
                                                L"<asyncResponse id=\"saveXml\" uin=\"\" result=\"true\"/>"};
    EXPECT_EQ(expected, responses());
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(MovieRequestTest, OpenFileDialogOffersTheFiltersAndAnswersTheChosenFile)
{
    requestWithDialog(L"<r id=\"openFileDialog\" uin=\"7\"><filters><filter name=\"Text\" mask=\"*.txt\"/>"
                      L"<filter name=\"All\" mask=\"*.*\"/></filters></r>",
                      {folder.file(L"a.txt")});
    EXPECT_EQ(std::vector<std::wstring>{L"<asyncResponse id=\"openFileDialog\" uin=\"7\" result=\"false\"><files>" +
                                        fileElement(L"a.txt") + L"</files></asyncResponse>"},
              responses());
    EXPECT_EQ((std::vector<std::wstring>{L"Text", L"All"}), fileTypes);
    EXPECT_TRUE(listener.calls.empty());
}

TEST_F(MovieRequestTest, OpenFileDialogWithMultiselectAnswersEveryChosenFileAndNoneWhenCancelled)
{
    const std::wstring request = L"<r id=\"openFileDialog\" uin=\"8\"><flags multiselect=\"true\"/></r>";
    requestWithDialog(request, {folder.path(), L"\"a.txt\" \"b.txt\" \"c.txt\""});
    requestWithDialog(request, {folder.file(L"b.txt")});
    requestWithDialog(request, {});
    const std::wstring lead = L"<asyncResponse id=\"openFileDialog\" uin=\"8\" result=\"false\"";
    const std::vector<std::wstring> expected = {
        lead + L"><files>" + fileElement(L"a.txt") + fileElement(L"b.txt") + fileElement(L"c.txt") +
            L"</files></asyncResponse>",
        lead + L"><files>" + fileElement(L"b.txt") + L"</files></asyncResponse>", lead + L"/>"};
    EXPECT_EQ(expected, responses());
}

} // namespace
