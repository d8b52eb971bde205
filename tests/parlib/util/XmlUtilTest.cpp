#include "util/XmlUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace par;

namespace {

class XmlUtil : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

IXMLDOMDocument2Ptr load(const wchar_t* text)
{
    IXMLDOMDocument2Ptr document = createXmlDocument();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(_bstr_t(text), &loaded);
    return document;
}

// The markup without the line breaks and tabs that MSXML indents with.
std::wstring markup(const IXMLDOMNodePtr& node)
{
    BSTR text = nullptr;
    node->get_xml(&text);
    std::wstring result;
    for (const wchar_t* c = text; c && *c; ++c) {
        if (*c != L'\r' && *c != L'\n' && *c != L'\t')
            result += *c;
    }
    SysFreeString(text);
    return result;
}

std::wstring nameOf(const IXMLDOMNodePtr& node)
{
    BSTR name = nullptr;
    node->get_nodeName(&name);
    std::wstring result(name ? name : L"");
    SysFreeString(name);
    return result;
}

} // namespace

TEST_F(XmlUtil, CreatedDocumentHasTheRootOnlyWhenNamed)
{
    EXPECT_EQ(L"<root/>", markup(createXmlDocument("root")));
    EXPECT_EQ(L"", markup(createXmlDocument()));
}

TEST_F(XmlUtil, WalkWithCreationMakesEveryMissingLevelInOrderAndReturnsTheDeepest)
{
    IXMLDOMDocument2Ptr document = createXmlDocument("root");
    IXMLDOMElementPtr root;
    document->get_documentElement(&root);
    IXMLDOMNodePtr deepest = selectNode(root, "a/b/c", true);
    ASSERT_TRUE(deepest);
    EXPECT_EQ(L"c", nameOf(deepest));
    EXPECT_EQ(L"c", nameOf(selectNodeByPath(root, L"a/b/c", true)));
    EXPECT_EQ(L"<root><a><b><c/></b></a></root>", markup(document));
}

TEST_F(XmlUtil, WalkWithoutCreationFindsTheFirstMatchOrGivesNull)
{
    IXMLDOMDocument2Ptr document = load(L"<root><a n='1'><b/></a><a n='2'/></root>");
    EXPECT_EQ(L"<a n=\"1\"><b/></a>", markup(findNode(document, "root/a")));
    EXPECT_FALSE(findNodeByPath(document, L"root/a/missing"));
    EXPECT_FALSE(selectNode(document, "root/missing/b", false));
    EXPECT_FALSE(findNode(nullptr, "root"));
    EXPECT_EQ(L"<root><a n=\"1\"><b/></a><a n=\"2\"/></root>", markup(document));
}

TEST_F(XmlUtil, EmptyNamesInAPathAreSkipped)
{
    IXMLDOMDocument2Ptr document = load(L"<root><a><b/></a></root>");
    EXPECT_EQ(L"b", nameOf(findNode(document, "/root//a/b/")));
    EXPECT_EQ(L"#document", nameOf(findNode(document, "")));
}

TEST_F(XmlUtil, CreationFromAnEmptyDocumentMakesItsRoot)
{
    IXMLDOMDocument2Ptr document = createXmlDocument();
    selectNode(document, "root/a", true);
    EXPECT_EQ(L"<root><a/></root>", markup(document));
}

TEST_F(XmlUtil, AttributeByPathIsEmptyForAMissingElementOrAttribute)
{
    IXMLDOMDocument2Ptr document = load(L"<root id='7'><a x='1'/></root>");
    IXMLDOMNodePtr root = findNode(document, "root");
    EXPECT_EQ(L"1", getXmlAttributeByPath(root, L"a/x"));
    EXPECT_EQ("7", getXmlAttribute(root, "id"));
    EXPECT_EQ("", getXmlAttribute(root, "missing/x"));
    EXPECT_EQ("", getXmlAttribute(root, "a/missing"));
    EXPECT_EQ("", getXmlAttribute(document, "id"));
}

TEST_F(XmlUtil, SetAttributeReplacesAnExistingOneAndLeavesAMissingElementAlone)
{
    IXMLDOMDocument2Ptr document = load(L"<root><a x='old'/></root>");
    IXMLDOMNodePtr root = findNode(document, "root");
    IXMLDOMAttributePtr attribute = setXmlAttributeByPath(root, L"a/x", L"new");
    ASSERT_TRUE(attribute);
    EXPECT_EQ(L"x", nameOf(attribute));
    setXmlAttribute(root, "id", "ping");
    EXPECT_FALSE(setXmlAttribute(root, "missing/x", "v"));
    EXPECT_EQ(L"<root id=\"ping\"><a x=\"new\"/></root>", markup(document));
}

TEST_F(XmlUtil, NarrowFormsConvertCharacterByCharacter)
{
    IXMLDOMDocument2Ptr document = createXmlDocument("root");
    setXmlAttribute(findNode(document, "root"), "v", "caf\xE9");
    EXPECT_EQ(std::wstring(L"caf") + static_cast<wchar_t>(static_cast<signed char>('\xE9')),
              getXmlAttributeByPath(document, L"root/v"));
    EXPECT_EQ("caf\xE9", getXmlAttribute(document, "root/v"));
    EXPECT_EQ("", bstrToString(nullptr));
    _bstr_t text(L"abc");
    EXPECT_EQ("abc", bstrToString(text));
}

TEST_F(XmlUtil, FormattingKeepsElementsAttributesAndTextAndIndents)
{
    const wchar_t* sources[] = {
        L"<root a='1'><b c='2'>text</b><d/><!--note--></root>",
        L"<?xml version='1.0' encoding='UTF-8'?><root a='1'><b c='2'>text</b><d/><!--note--></root>",
    };
    for (const wchar_t* source : sources) {
        IXMLDOMDocument2Ptr formatted = formatXmlDocument(load(source));
        EXPECT_NE(std::wstring::npos, markup(formatted).find(
            L"<root a=\"1\"><b c=\"2\">text</b><d/><!--note--></root>")) << source;
        BSTR text = nullptr;
        formatted->get_xml(&text);
        EXPECT_NE(nullptr, wcsstr(text, L"\n\t<b")) << source;
        SysFreeString(text);
    }
}

TEST_F(XmlUtil, TextThatDoesNotParseLeavesADocumentTheHelpersFindNothingIn)
{
    IXMLDOMDocument2Ptr document = load(L"<root><a>");
    EXPECT_FALSE(findNode(document, "root"));
    EXPECT_EQ("", getXmlAttribute(document, "root/x"));
    EXPECT_EQ(L"", markup(formatXmlDocument(document)));
}

TEST_F(XmlUtil, FailedCallsThrowComErrors)
{
    EXPECT_THROW(appendChildElement(nullptr, L"a"), _com_error);
    EXPECT_THROW(formatXmlDocument(nullptr), _com_error);
    EXPECT_THROW(appendChildElement(createXmlDocument("root"), L""), _com_error);
}

// Documents come from a class factory kept for the thread's COM
// initialisation: once the apartment has ended none is served from the
// factory it handed out, and a new initialisation gets a factory again.
TEST_F(XmlUtil, DocumentsComeOnlyWhileTheThreadHasCom)
{
    EXPECT_TRUE(createXmlDocument("first") != nullptr);
    CoUninitialize();
    EXPECT_THROW(createXmlDocument(), _com_error);
    // TearDown ends this one.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    EXPECT_TRUE(createXmlDocument("again") != nullptr);
}
