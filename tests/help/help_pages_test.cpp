// The help centre's pages as the program folder holds them: every topic has
// its page, each page is HTML the help browser renders as written (known
// tags, properly nested, text escaped), and every link between pages lands
// on a page that exists, with the letter case the file system needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace talvane {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

// The page of every topic of the help centre's tree, in tree order.
const std::vector<std::string> kTopicPages = {
    "Welcome",           "WhyUse",                "SysReq",           "HelpUse",
    "InterfaceMain",     "ConfigurationOverview", "ConfigurationMain", "ConfigurationTest",
    "ConfigurationScript", "ChecklistAssignments", "ChecklistModification", "ScriptingOverview",
    "Scripting",         "Tutorials",             "TutorialsNewChecklist", "UseOverview",
    "ChecklistUseInFSX", "GenericUseInFSX",       "SpecialUseInFSX",  "TechRef",
    "Microphone",        "Legal",                 "EULA",             "Credits",
    "CompanyInfo"};

// What the help browser renders; anything else in angle brackets is either a
// typo or text that should have been escaped (a list name such as <ALT>).
const std::set<std::string> kKnownTags = {
    "html", "head", "title", "meta", "style", "body", "h1", "h2", "h3", "p",  "br",    "hr",
    "a",    "ul",   "ol",    "li",   "table", "tr",  "td", "th", "pre", "code", "b", "i",
    "em",   "strong", "div", "span", "kbd",  "small", "dl", "dt", "dd", "blockquote", "sub", "sup"};
const std::set<std::string> kVoidTags = {"meta", "br", "hr"};

fs::path HelpFolder() { return fs::path(TALVANE_PROGRAM_DIR) / "Help"; }

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

struct Tag {
  std::string name;  // lower case
  bool closing = false;
  std::string attributes;
};

// A page split into its tags and its visible text, with the faults that
// would make the browser show something other than what was written.
struct ParsedPage {
  std::vector<Tag> tags;
  std::string text;  // visible text: no tags, no style sheet, no title
  std::vector<std::string> faults;
};

bool IsEntity(const std::string& html, std::size_t amp) {
  const std::size_t semi = html.find(';', amp);
  if (semi == std::string::npos || semi - amp < 3 || semi - amp > 10) return false;
  const std::string body = html.substr(amp + 1, semi - amp - 1);
  if (body[0] == '#') {
    const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
    const std::string digits = body.substr(hex ? 2 : 1);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [hex](unsigned char c) {
      return hex ? std::isxdigit(c) : std::isdigit(c);
    });
  }
  return std::all_of(body.begin(), body.end(), [](unsigned char c) { return std::isalnum(c); });
}

ParsedPage Parse(const std::string& html) {
  ParsedPage page;
  std::vector<std::string> open;
  std::size_t at = 0;
  auto text_until = [&](std::size_t end, bool visible) {
    for (std::size_t i = at; i < end; ++i) {
      if (html[i] == '&' && !IsEntity(html, i))
        page.faults.push_back("bare '&' near: " + html.substr(i, 20));
      if (html[i] == '>') page.faults.push_back("bare '>' near: " + html.substr(i > 20 ? i - 20 : 0, 30));
    }
    if (visible) page.text += html.substr(at, end - at) + " ";
  };
  while (at < html.size()) {
    const std::size_t lt = html.find('<', at);
    const bool in_title = !open.empty() && open.back() == "title";
    if (lt == std::string::npos) {
      text_until(html.size(), !in_title);
      break;
    }
    text_until(lt, !in_title);
    if (html.compare(lt, 4, "<!--") == 0) {
      const std::size_t end = html.find("-->", lt);
      if (end == std::string::npos) {
        page.faults.push_back("unterminated comment");
        break;
      }
      at = end + 3;
      continue;
    }
    const std::size_t gt = html.find('>', lt);
    if (gt == std::string::npos) {
      page.faults.push_back("unterminated tag");
      break;
    }
    std::string inside = html.substr(lt + 1, gt - lt - 1);
    at = gt + 1;
    if (!inside.empty() && inside[0] == '!') continue;  // <!DOCTYPE html>
    Tag tag;
    tag.closing = !inside.empty() && inside[0] == '/';
    if (tag.closing) inside.erase(0, 1);
    const std::size_t name_end = inside.find_first_of(" \t\r\n/");
    tag.name = Lower(inside.substr(0, name_end));
    tag.attributes = name_end == std::string::npos ? "" : inside.substr(name_end);
    if (!kKnownTags.count(tag.name)) {
      page.faults.push_back("unknown tag <" + inside.substr(0, 30) + ">");
      continue;
    }
    page.tags.push_back(tag);
    if (kVoidTags.count(tag.name)) continue;
    if (!tag.closing) {
      open.push_back(tag.name);
      if (tag.name == "style") {  // the style sheet is not text
        const std::size_t end = Lower(html).find("</style>", at);
        if (end == std::string::npos) {
          page.faults.push_back("unterminated <style>");
          break;
        }
        at = end;
      }
    } else if (open.empty() || open.back() != tag.name) {
      page.faults.push_back("</" + tag.name + "> closes <" + (open.empty() ? std::string("nothing") : open.back()) +
                            ">");
    } else {
      open.pop_back();
    }
  }
  for (const auto& name : open) page.faults.push_back("<" + name + "> never closed");
  return page;
}

// The value of attribute `name` in a tag's attribute text (double quotes).
std::vector<std::string> AttributeValues(const std::vector<Tag>& tags, const std::string& tag_name,
                                         const std::string& attribute) {
  std::vector<std::string> values;
  for (const auto& t : tags) {
    if (t.closing || t.name != tag_name) continue;
    const std::string lower = Lower(t.attributes);
    for (std::size_t at = lower.find(attribute + "=\""); at != std::string::npos;
         at = lower.find(attribute + "=\"", at + 1)) {
      if (at > 0 && !std::isspace(static_cast<unsigned char>(lower[at - 1]))) continue;
      const std::size_t start = at + attribute.size() + 2;
      values.push_back(t.attributes.substr(start, t.attributes.find('"', start) - start));
    }
  }
  return values;
}

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || (extra > 0 && i + extra >= s.size())) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += extra + 1;
  }
  return true;
}

std::size_t CountWords(const std::string& text) {
  std::size_t words = 0;
  bool in_word = false;
  for (unsigned char c : text) {
    const bool letter = std::isalnum(c) || c >= 0x80;
    if (letter && !in_word) ++words;
    in_word = letter;
  }
  return words;
}

class HelpPages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pages_ = new std::map<std::string, std::string>;
    for (const auto& name : kTopicPages) {
      const fs::path p = HelpFolder() / (name + ".htm");
      if (fs::is_regular_file(p)) (*pages_)[name + ".htm"] = ReadFile(p);
    }
  }
  static void TearDownTestSuite() {
    delete pages_;
    pages_ = nullptr;
  }
  static const std::map<std::string, std::string>& Pages() { return *pages_; }

 private:
  static std::map<std::string, std::string>* pages_;
};
std::map<std::string, std::string>* HelpPages::pages_ = nullptr;

TEST_F(HelpPages, EveryTopicHasItsPageAndNoOtherPageIsShipped) {
  for (const auto& name : kTopicPages) EXPECT_TRUE(Pages().count(name + ".htm")) << name << ".htm is missing";
  // The sources are exactly the topics (a misspelt page name would never be
  // shown), and the program folder holds them as written.
  std::set<std::string> sources;
  for (const auto& e : fs::directory_iterator(fs::path(TALVANE_SOURCE_DIR) / "data/help")) {
    const std::string name = e.path().filename().string();
    sources.insert(name);
    ASSERT_TRUE(Pages().count(name)) << name << " is no topic of the help centre";
    EXPECT_EQ(ReadFile(e.path()), Pages().at(name)) << name << " in the program folder is stale";
  }
  EXPECT_EQ(sources.size(), kTopicPages.size());
}

TEST_F(HelpPages, EachPageIsAWholeUtf8DocumentWithOneHeading) {
  for (const auto& [name, html] : Pages()) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(ValidUtf8(html));
    const ParsedPage page = Parse(html);
    for (const auto& f : page.faults) ADD_FAILURE() << f;
    auto count = [&](const std::string& tag) {
      return std::count_if(page.tags.begin(), page.tags.end(),
                           [&](const Tag& t) { return t.name == tag && !t.closing; });
    };
    EXPECT_EQ(count("html"), 1);
    EXPECT_EQ(count("head"), 1);
    EXPECT_EQ(count("body"), 1);
    EXPECT_EQ(count("title"), 1);
    EXPECT_EQ(count("h1"), 1);
    EXPECT_EQ(count("style"), 1);
    const auto charsets = AttributeValues(page.tags, "meta", "charset");
    ASSERT_EQ(charsets.size(), 1u);
    EXPECT_EQ(Lower(charsets[0]), "utf-8");
    const std::size_t title = html.find("<title>");
    ASSERT_NE(title, std::string::npos);
    EXPECT_GE(CountWords(html.substr(title, html.find("</title>") - title)), 2u) << "title is empty";
  }
}

TEST_F(HelpPages, AllPagesShareOneStyleSheet) {
  std::string first_name, first_style;
  for (const auto& [name, html] : Pages()) {
    const std::size_t start = html.find("<style");
    const std::size_t end = html.find("</style>");
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << name;
    const std::string style = html.substr(start, end - start);
    if (first_name.empty()) {
      first_name = name;
      first_style = style;
    }
    EXPECT_EQ(style, first_style) << name << " looks different from " << first_name;
  }
}

TEST_F(HelpPages, LinksLandOnPagesAndAnchorsThatExist) {
  std::map<std::string, std::set<std::string>> anchors, links;
  for (const auto& [name, html] : Pages()) {
    const ParsedPage page = Parse(html);
    for (const auto* tag : {"a", "h1", "h2", "h3", "p", "div", "table", "tr", "pre", "li", "span"})
      for (const auto& id : AttributeValues(page.tags, tag, "id")) anchors[name].insert(id);
    for (const auto& id : AttributeValues(page.tags, "a", "name")) anchors[name].insert(id);
  }
  for (const auto& [name, html] : Pages()) {
    SCOPED_TRACE(name);
    const ParsedPage page = Parse(html);
    // Pages stand alone: the browser loads nothing from outside the folder.
    EXPECT_EQ(Lower(html).find("src="), std::string::npos);
    EXPECT_EQ(Lower(html).find("<script"), std::string::npos);
    EXPECT_EQ(Lower(html).find("@import"), std::string::npos);
    for (const auto& href : AttributeValues(page.tags, "a", "href")) {
      EXPECT_EQ(href.find(':'), std::string::npos) << href << " leaves the help folder";
      const std::size_t hash = href.find('#');
      const std::string file = hash == std::string::npos ? href : href.substr(0, hash);
      const std::string target = file.empty() ? name : file;
      // Exact letter case: the browser opens the file by this name.
      ASSERT_TRUE(Pages().count(target)) << "link to missing page " << href;
      if (target != name) links[name].insert(target);
      if (hash != std::string::npos) {
        EXPECT_TRUE(anchors[target].count(href.substr(hash + 1))) << "no anchor for " << href;
      }
    }
  }
  // Nobody is stranded: each page leads on, and every page can be reached
  // from the welcome page by following links.
  for (const auto& [name, html] : Pages()) EXPECT_FALSE(links[name].empty()) << name << " links nowhere";
  std::set<std::string> reached = {"Welcome.htm"};
  std::vector<std::string> todo = {"Welcome.htm"};
  while (!todo.empty()) {
    const std::string at = todo.back();
    todo.pop_back();
    for (const auto& next : links[at])
      if (reached.insert(next).second) todo.push_back(next);
  }
  for (const auto& [name, html] : Pages()) EXPECT_TRUE(reached.count(name)) << name << " cannot be reached";
}

TEST_F(HelpPages, PagesSaySomethingAndHoldNoLeftovers) {
  for (const auto& [name, html] : Pages()) {
    SCOPED_TRACE(name);
    const ParsedPage page = Parse(html);
    EXPECT_GE(CountWords(page.text), 120u);
    for (const auto* marker : {"TODO", "FIXME", "TBD", "XXX"}) EXPECT_EQ(html.find(marker), std::string::npos);
    for (const auto* marker : {"lorem", "ipsum", "placeholder"})
      EXPECT_EQ(Lower(page.text).find(marker), std::string::npos) << marker;
  }
}

// The checks above are only as good as the parser: it must see the faults
// that a hand-written page typically has.
TEST(HelpPageParser, FindsTheFaultsOfHandWrittenPages) {
  EXPECT_TRUE(Parse("<p>say <b>flaps</b> &lt;FLAP_SETTING&gt; &amp; more</p>").faults.empty());
  EXPECT_TRUE(Parse("<style>p > b { color: red }</style><p>a<br>b</p>").faults.empty());
  EXPECT_FALSE(Parse("<p>altitude <ALT> feet</p>").faults.empty());     // unescaped list name
  EXPECT_FALSE(Parse("<p>flaps & gear</p>").faults.empty());           // bare ampersand
  EXPECT_FALSE(Parse("<p>a -> b</p>").faults.empty());                 // bare '>'
  EXPECT_FALSE(Parse("<ul><li>one</ul></li>").faults.empty());         // crossed nesting
  EXPECT_FALSE(Parse("<table><tr><td>x</td></tr>").faults.empty());    // never closed
  EXPECT_FALSE(Parse("<p>x</p></p>").faults.empty());                  // closes nothing
  EXPECT_EQ(CountWords(Parse("<title>not counted</title><h1>One two</h1><p>three</p>").text), 3u);
  EXPECT_TRUE(ValidUtf8("caf\xC3\xA9 \xE2\x80\x94"));
  EXPECT_FALSE(ValidUtf8("caf\xE9"));
  EXPECT_FALSE(ValidUtf8("\xE2\x80"));
}

}  // namespace
}  // namespace talvane
