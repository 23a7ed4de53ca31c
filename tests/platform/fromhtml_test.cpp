#include "fromhtml.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using plaintext::fromHtml;

namespace {

TEST(FromHtml, ReadsMarkupAsTextAndHostileMarkupWithoutACrash) {
    const std::string bad = "\xEF\xBF\xBD"; // U+FFFD for each byte that is not UTF-8
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<p>Caf&eacute; &amp; cr&egrave;me &lt;b&gt; it&#8217;s &#x2019; &quot;&apos;",
         "Caf\xC3\xA9 & cr\xC3\xA8me <b> it\xE2\x80\x99s \xE2\x80\x99 \"'\n"},
        {"<p>  one\n   two\tthree&nbsp; four</p>\n<p> five</p>", "one two three four\n\nfive\n"},
        {"<div>Hi Ann,</div><div><br></div><h2>Title</h2><ul><li>one<li>two</ul>Kind,<br>Dana",
         "Hi Ann,\n\nTitle\n\none\n\ntwo\n\nKind,\nDana\n"},
        {"<html><head><title>T</title><style>p{color:red}</style></head><body>"
         "<!-- width > 600 --><script>var x = '<p>no</p>';</script><p>Kept.</p></body></html>",
         "Kept.\n"},
        {"<p>Yes.</p><blockquote>Old <p>one</p><blockquote>older</blockquote></blockquote>"
         "<p>End.</p>",
         "Yes.\n\n> Old\n\n> one\n\n>> older\n\nEnd.\n"},
        {"a < b and c > d &unknown;", "a < b and c > d &unknown;\n"},
        {std::string("<p>a\377b\0c</p>", 10), "a" + bad + "b" + bad + "c\n"},
        // A NUL alone is valid UTF-8 and is replaced all the same.
        {std::string("<p>a\0b</p>", 10), "a" + bad + "b\n"},
        // An encoded surrogate and an overlong '/' are not UTF-8 either: a byte each.
        {"<p>x\xED\xA0\x80y\xC0\xAFz</p>", "x" + bad + bad + bad + "y" + bad + bad + "z\n"},
    };
    for (const auto& [html, text] : cases) {
        EXPECT_EQ(fromHtml(html), text) << html;
    }
    // The parser stops at its depth limit and keeps the text read so far.
    std::string deep = "<p>Before.</p>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<div><b>";
    }
    EXPECT_EQ(fromHtml(deep + "bottom"), "Before.\n");
    EXPECT_EQ(fromHtml("&#99999999;&#0;&#xD800;<!-- open"), "");
}

} // namespace
