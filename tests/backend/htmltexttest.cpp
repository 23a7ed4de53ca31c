#include "htmltext.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

struct Case {
    const char* what;
    std::string html;
    std::string text;
};

TEST(HtmlText, ReadsMarkupAsText) {
    const std::vector<Case> cases = {
        {"entities", "<p>Caf&eacute; &amp; cr&egrave;me &lt;b&gt; it&#8217;s &#x2019; &quot;&apos;",
         "Caf\xC3\xA9 & cr\xC3\xA8me <b> it\xE2\x80\x99s \xE2\x80\x99 \"'\n"},
        {"no-break spaces separate words", "<p>Done.&nbsp; Next&nbsp;one.</p>",
         "Done. Next one.\n"},
        {"white space collapses", "<p>  one\n   two\tthree </p>\n<p> four</p>",
         "one two three\n\nfour\n"},
        {"blocks are paragraphs",
         "<div>Hi Ann,</div><div><br></div><div>Note</div><h2>Title</h2>"
         "<ul><li>one<li>two</ul>",
         "Hi Ann,\n\nNote\n\nTitle\n\none\n\ntwo\n"},
        {"line breaks", "Kind regards,<br>Dana<br><br>PS", "Kind regards,\nDana\n\nPS\n"},
        {"table cells", "<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>",
         "a b\n\nc\n"},
        {"hidden parts",
         "<html><head><title>T</title><style>p{color:red}</style></head><body>"
         "<!-- width > 600 --><script>var x = '<p>no</p>';</script><p>Kept.</p></body></html>",
         "Kept.\n"},
        {"quotes",
         "<p>Yes.</p><blockquote>Old <p>one</p><blockquote>older</blockquote></blockquote>"
         "<p>End.</p>",
         "Yes.\n\n> Old\n\n> one\n\n>> older\n\nEnd.\n"},
        {"preformatted", "<pre>a  b\nc</pre>after", "a  b\nc\n\nafter\n"},
        {"a meta charset does not override UTF-8",
         "<meta charset=\"iso-8859-1\"><p>M\xC3\xBCnchen</p>", "M\xC3\xBCnchen\n"},
        {"unclosed tags", "<p>open <b>bold <i>both</p> tail", "open bold both\n\ntail\n"},
        {"stray brackets", "a < b and c > d &unknown;", "a < b and c > d &unknown;\n"},
        {"invalid UTF-8 and NUL",
         std::string("<p>a\xFF"
                     "b\0c</p>",
                     10),
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"
         "c\n"},
        {"empty", "", ""},
        {"markup only", "<html><head><style>x</style></head><body><br></body></html>", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(htmlText(c.html), c.text) << c.what;
    }
}

// The parser stops at its depth limit and keeps the text read so far.
TEST(HtmlText, HostileMarkupEndsInTextNotInACrash) {
    std::string deep = "<p>Before.</p>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<div><b>";
    }
    EXPECT_EQ(htmlText(deep + "bottom"), "Before.\n");
    EXPECT_EQ(htmlText("&#99999999;&#0;&#xD800;<!-- open"), "");
}

} // namespace
