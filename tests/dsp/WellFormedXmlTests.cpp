#include "WellFormedXml.h"

#include <gtest/gtest.h>

#include <string>

using selvane::isWellFormedXml;

namespace
{
struct XmlCase
{
    const char* text;
    bool wellFormed;
};

class XmlTexts : public ::testing::TestWithParam<XmlCase> {};

TEST_P (XmlTexts, AreJudgedWellFormedOrNot)
{
    EXPECT_EQ (isWellFormedXml (GetParam().text, 16), GetParam().wellFormed) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P (
    Accepted, XmlTexts,
    ::testing::Values (
        XmlCase { "<Root><Gain>0.9</Gain><idxGUI>0</idxGUI></Root>", true },
        XmlCase { "<Root/>", true },
        XmlCase { "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<Root><Gain>1</Gain></Root>", true },
        XmlCase { " <!-- a note --> <?pi x?>\t<Root ></Root >", true },
        XmlCase { "<Root a=\"1\" b = '&lt;&amp;&gt;&quot;&apos;'><x-y.z:w/></Root>", true },
        XmlCase { "<Root><Gain>&#48;.&#x35;</Gain><m><![CDATA[<<&>>]]><!-- <a> -->x</m></Root>", true },
        XmlCase { "<Root>text with > and ] and ? and \x01 and 'quotes\"</Root>", true },
        XmlCase { "<Root></Root><!-- whatever follows the root is not read: <a &x", true },
        XmlCase { "<Root>&#9;&#x10FFFF;&#000000000065;&#x0000ffFd;</Root>", true }));

INSTANTIATE_TEST_SUITE_P (
    Refused, XmlTexts,
    ::testing::Values (
        XmlCase { "", false },
        XmlCase { "   ", false },
        XmlCase { "Gain=0.1", false },
        XmlCase { "<Root><Gain>0.9</Gain><Mode>1</M", false },            // cut inside a closing tag
        XmlCase { "<Root><Gain>0.9</Gain>", false },                       // root never closed
        XmlCase { "<Root><Gain>0.9</Mode></Root>", false },                // tags that do not match
        XmlCase { "<Root><De?.&#x6", false },                              // broken tag, then an entity cut short
        XmlCase { "<Root><Gain>&#x3</Gain></Root>", false },               // reference without ';'
        XmlCase { "<Root><Gain>a & b</Gain></Root>", false },
        XmlCase { "<Root><Gain>&nbsp;</Gain></Root>", false },             // entity of a DTD
        XmlCase { "<Root><Gain>&AMP;</Gain></Root>", false },
        XmlCase { "<Root>&#0;</Root>", false },                            // not a character XML allows
        XmlCase { "<Root>&#x110000;</Root>", false },
        XmlCase { "<Root>&#xD800;</Root>", false },
        XmlCase { "<Root>&#X41;</Root>", false },
        XmlCase { "<Root>&#0000000000065;</Root>", false },                // more digits than the reader takes
        XmlCase { "<Root>&#x000000041;</Root>", false },
        XmlCase { "<Root>&#;</Root>", false },
        XmlCase { "<Root><!-- open </Root>", false },
        XmlCase { "<Root><![CDATA[ open </Root>", false },
        XmlCase { "<Root><?pi open </Root>", false },
        XmlCase { "<Root><Gain><?pi x?>0.5</Gain></Root>", false },      // the reader loops on it
        XmlCase { "<Root><?pi x?><Gain>0.5</Gain></Root>", false },
        XmlCase { "<?xml version=\"1.0\"", false },
        XmlCase { "<!DOCTYPE r [<!ENTITY e \"<a/>\">]><Root>&e;</Root>", false },
        XmlCase { "<Root><!ELEMENT x></Root>", false },
        XmlCase { "< Root></Root>", false },                               // a gap after '<'
        XmlCase { "<Root a=1></Root>", false },                            // unquoted value
        XmlCase { "<Root a></Root>", false },
        XmlCase { "<Root a=\"<\"></Root>", false },
        XmlCase { "<Root a=\"open></Root>", false },
        XmlCase { "<Root a=\"1\"b=\"2\"></Root>", false },                 // no space between attributes
        XmlCase { "<Root><Gain/ ></Root>", false },
        XmlCase { "<Root><?></Root>", false },
        XmlCase { "<Root><!--></Root>", false }));

TEST (WellFormedXml, NestingDeeperThanTheLimitIsRefused)
{
    auto nested = [] (int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += "<a x=\"/>\">";       // a quoted "/>" does not close the element
        for (int i = 0; i < depth; ++i)
            text += "</a>";
        return text;
    };
    EXPECT_TRUE (isWellFormedXml (nested (16), 16));
    EXPECT_FALSE (isWellFormedXml (nested (17), 16));
    EXPECT_TRUE (isWellFormedXml (nested (2), 2));
    EXPECT_FALSE (isWellFormedXml (nested (1), 0));
    EXPECT_FALSE (isWellFormedXml (nested (100000), 16));
    // Empty elements add no depth.
    EXPECT_TRUE (isWellFormedXml ("<a><b/><b/><b/></a>", 2));
}
} // namespace
