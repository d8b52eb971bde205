#include "NativeApiTestBase.h"

#include "util/StringUtil.h"

namespace {

// A user's text as the movie handles it: blanks at both ends, line breaks,
// markup characters, and letters of several scripts (Polish, the euro sign,
// a typographic apostrophe, Cyrillic, Chinese).
const std::wstring USER_TEXT = L"  \u0141\u00f3d\u017a: 5 \u20ac, it\u2019s <b>&</b> \"fine\"\n"
                               L"\t\u041c\u043e\u0441\u043a\u0432\u0430 \u5317\u4eac\n ";
// The same text as a string element's content.
const std::wstring USER_TEXT_ESCAPED = L"  \u0141\u00f3d\u017a: 5 \u20ac, it\u2019s &lt;b&gt;&amp;&lt;/b&gt; \"fine\"\n"
                                       L"\t\u041c\u043e\u0441\u043a\u0432\u0430 \u5317\u4eac\n ";

class UsersDataTest : public test::NativeApiTestBase {
protected:
    // A folder whose name is not Latin either.
    std::wstring fileInFolder(const std::wstring& name)
    {
        const std::wstring sub = folder.file(L"\u017ar\u00f3d\u0142o");
        CreateDirectoryW(sub.c_str(), nullptr);
        return sub + L"\\" + name;
    }

    // The content of a string element as the movie's parser reads it.
    static std::wstring stringContent(const std::wstring& answer)
    {
        IXMLDOMDocument2Ptr document = par::createXmlDocument();
        document->put_preserveWhiteSpace(VARIANT_TRUE);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        document->loadXML(_bstr_t(answer.c_str()), &loaded);
        IXMLDOMNodePtr text;
        if (loaded != VARIANT_TRUE || FAILED(document->selectSingleNode(_bstr_t(L"/string/text()"), &text)) || !text)
            return L"(not a string element: " + answer + L")";
        _variant_t value;
        text->get_nodeValue(&value);
        return value.vt == VT_BSTR ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : L"";
    }

    test::TempDir folder;
};

TEST_F(UsersDataTest, SavedTextLoadsBackUnchanged)
{
    const std::wstring path = fileInFolder(L"notes.txt");
    EXPECT_EQ(text(L"true"), fireCall(L"saveText", {path, USER_TEXT}));
    EXPECT_EQ(L"<string>" + USER_TEXT_ESCAPED + L"</string>", fireCall(L"loadText", {path}));
    EXPECT_EQ(USER_TEXT, stringContent(fireCall(L"loadText", {path}).value_or(L"")));

    EXPECT_EQ(text(L"false"), fireCall(L"saveText", {folder.file(L"missing\\notes.txt"), USER_TEXT}));
}

TEST_F(UsersDataTest, XmlSavedByTheMovieLoadsBackAndParses)
{
    for (const wchar_t* autoformat : {L"false", L"true"}) {
        std::wstring path = fileInFolder(std::wstring(L"options-") + autoformat + L".xml");
        par::replaceAll(path, L"\\", L"/");
        fireFsCommand(L"xmlRequest", L"<request id=\"saveXml\" uin=\"7\" autoformat=\"" + std::wstring(autoformat) +
                                         L"\" path=\"" + path + L"\"><options city=\"Z\u00fcrich &amp; \u0141\u00f3d\u017a\">"
                                         L"<note>  two\n lines </note></options></request>");
        ASSERT_FALSE(variableValues(L"xmlResponse").empty());
        EXPECT_NE(std::wstring::npos, variableValues(L"xmlResponse").back().find(L"result=\"true\"")) << autoformat;

        const std::wstring saved = stringContent(fireCall(L"loadText", {path}).value_or(L""));
        IXMLDOMDocument2Ptr options = par::createXmlDocument();
        options->put_preserveWhiteSpace(VARIANT_TRUE);
        VARIANT_BOOL loaded = VARIANT_FALSE;
        options->loadXML(_bstr_t(saved.c_str()), &loaded);
        ASSERT_EQ(VARIANT_TRUE, loaded) << saved;
        EXPECT_EQ(L"Z\u00fcrich & \u0141\u00f3d\u017a", par::getXmlAttributeByPath(options, L"options/city"))
            << autoformat;
        IXMLDOMNodePtr note;
        options->selectSingleNode(_bstr_t(L"/options/note/text()"), &note);
        ASSERT_TRUE(note) << saved;
        _variant_t value;
        note->get_nodeValue(&value);
        EXPECT_EQ(L"  two\n lines ", std::wstring(value.bstrVal)) << autoformat;
    }
}

TEST_F(UsersDataTest, TextsReachTheMovieAndComeBackUnchanged)
{
    EXPECT_EQ(0, window->setVariable(std::wstring(L"file"), USER_TEXT));
    EXPECT_EQ(std::vector<std::wstring>{USER_TEXT}, variableValues(L"file"));

    IXMLDOMDocument2Ptr command = par::createXmlDocument("root");
    IXMLDOMElementPtr root;
    command->get_documentElement(&root);
    par::setXmlAttributeByPath(root, L"path", L"C:\\\u0141\u00f3d\u017a\\\u017ar\u00f3d\u0142o.txt");
    window->sendXmlCommand(command);
    ASSERT_EQ(1u, variableValues(L"xmlCommand").size());
    EXPECT_NE(std::wstring::npos,
              variableValues(L"xmlCommand")[0].find(L"C:\\\u0141\u00f3d\u017a\\\u017ar\u00f3d\u0142o.txt"));

    standIn->SetFunctionAnswer(_bstr_t(L"echo"), _bstr_t((L"<string>" + USER_TEXT_ESCAPED + L"</string>").c_str()));
    const wchar_t* const args[] = {USER_TEXT.c_str(), L" "};
    std::wstring result;
    ASSERT_TRUE(window->callFunctionString(result, L"echo", args, 2));
    EXPECT_EQ(USER_TEXT, result);
    EXPECT_EQ(L"<invoke name=\"echo\" returntype=\"string\"><arguments><string>" + USER_TEXT_ESCAPED +
                  L"</string><string> </string></arguments></invoke>",
              functionRequests().back());

    fireCall(L"remember", {USER_TEXT, L" ", L"line\n"});
    ASSERT_FALSE(listener.calls.empty());
    EXPECT_EQ(L"call remember [" + USER_TEXT + L"] [ ] [line\n]", listener.calls.back());
}

} // namespace
