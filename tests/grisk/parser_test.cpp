// Grammar sources: what the parser reads, and every kind of error it and the
// checks refuse, each with its file, line and column.
#include <gtest/gtest.h>

#include "grisk/grammar_check.h"
#include "grisk_support.h"

namespace talvane::grisk {
namespace {

using test::Parse;
using test::Utf16File;

// The worked example of a category grammar, imports cut to the one it uses.
constexpr const char* kAutopilot =
    "!grammar \"Autopilot\";\n"
    "\n"
    "!import<ALT>;\n"
    "\n"
    "!start<AP_ALT_SET>;\n"
    "\n"
    "<AP_ALT_SET>:\n"
    "\t!action(\"|65:\")\n"
    "\t!ignore(\n"
    "\t\t(\n"
    "\t\tset altitude !optional(to) <ALT>\n"
    "\t\t| altitude <ALT> (feet|foot)\n"
    "\t\t)\n"
    "\t)\n"
    ";\n";

// The errors of one source: "line:column: text".
std::vector<std::string> Errors(const Diagnostics& d) {
  std::vector<std::string> out;
  for (const auto& e : d.all())
    if (e.error) out.push_back(std::to_string(e.pos.line) + ":" + std::to_string(e.pos.column) + ": " + e.text);
  return out;
}

std::vector<std::string> ParseErrors(const std::string& source) {
  Diagnostics d;
  Parse(source, d);
  return Errors(d);
}

// Checks a set of sources (name, text) and returns the errors as
// "file line:column: text".
std::vector<std::string> CheckErrors(const std::vector<std::pair<std::string, std::string>>& sources) {
  Diagnostics d;
  GrammarSet set;
  for (const auto& [file, text] : sources) set.grammars.push_back(Parse(text, d, file));
  CheckGrammars(set, d);
  std::vector<std::string> out;
  for (const auto& e : d.all())
    if (e.error)
      out.push_back(e.file + " " + std::to_string(e.pos.line) + ":" + std::to_string(e.pos.column) + ": " + e.text);
  return out;
}

const std::string kLists = "!grammar \"L\";\n!export<ALT>;\n<ALT>: one | two;\n";

TEST(grisk_GrammarParser, ReadsTheWorkedExample) {
  Diagnostics d;
  SourceGrammar g = Parse(kAutopilot, d, "Autopilot.bnf");
  ASSERT_EQ(d.all().size(), 0u) << Diagnostics::Format(d.all()[0]);
  EXPECT_EQ(g.name, "Autopilot");
  ASSERT_EQ(g.imports.size(), 1u);
  EXPECT_EQ(g.imports[0].name, "ALT");
  EXPECT_EQ(g.imports[0].pos.line, 3);
  ASSERT_EQ(g.rules.size(), 1u);
  const auto& body = g.rules[0].body;
  ASSERT_EQ(body.size(), 1u);
  ASSERT_EQ(body[0].size(), 2u);
  EXPECT_EQ(body[0][0].kind, ItemKind::kAction);
  EXPECT_EQ(body[0][0].text, "|65:");
  EXPECT_EQ(body[0][1].kind, ItemKind::kIgnore);
  const auto& group = body[0][1].body[0][0];
  ASSERT_EQ(group.kind, ItemKind::kGroup);
  ASSERT_EQ(group.body.size(), 2u);  // two phrases
  EXPECT_EQ(group.body[0].size(), 4u);
  EXPECT_EQ(group.body[0][2].kind, ItemKind::kOptional);
  EXPECT_EQ(group.body[1][2].body.size(), 2u);  // (feet|foot)
  EXPECT_EQ(group.body[1][2].pos.line, 12);
  EXPECT_EQ(group.body[1][2].pos.column, 20);  // a TAB counts one column
}

TEST(grisk_GrammarParser, LexicalDetails) {
  Diagnostics d;
  SourceGrammar g = Parse("// comment\n!grammar \"G\"; // trailing\n!activatable <A> <b c> ;\n!start<a>; !start<B C>;\n"
                          "<a>: i'll x-ray st. caf\xC3\xA9 a//b (up|) !action(\"x // y\");\n<B  C>: !optional ( on );\n",
                          d);
  ASSERT_EQ(Errors(d), std::vector<std::string>{});
  ASSERT_EQ(g.rules.size(), 2u);
  EXPECT_EQ(g.rules[0].name, "A");  // names compare without regard to case
  EXPECT_EQ(g.rules[1].name, "B C");  // response words with spaces; runs of spaces are one
  EXPECT_EQ(g.activatable[1].name, "B C");
  const auto& seq = g.rules[0].body[0];
  ASSERT_EQ(seq.size(), 7u);
  EXPECT_EQ(seq[0].text, "i'll");
  EXPECT_EQ(seq[3].text, "caf\xC3\xA9");
  EXPECT_EQ(seq[4].text, "a//b");
  EXPECT_EQ(seq[5].body.size(), 2u);
  EXPECT_TRUE(seq[5].body[1].empty());
  EXPECT_EQ(seq[6].text, "x // y");
  EXPECT_EQ(LowerWord("CAF\xC3\x89 X\xC3\x97Y"), "caf\xC3\xA9 x\xC3\x97y");
}

TEST(grisk_GrammarParser, EncodingErrors) {
  auto decode = [](const std::string& bytes) {
    Diagnostics d;
    auto t = DecodeSource(bytes, "F.bnf", d);
    return t ? std::string() : Diagnostics::Format(d.all().at(0));
  };
  EXPECT_EQ(decode("!grammar \"G\";"),
            "F.bnf: error: the file is not UTF-16LE text beginning with the byte-order mark FF FE");
  EXPECT_NE(decode(Utf16File("!grammar \"G\";") + "x").find("odd number of bytes"), std::string::npos);
  std::string lone = Utf16File("!grammar \"G\";\nab");
  lone += std::string("\x00\xD8", 2);  // a high surrogate with nothing after it
  EXPECT_EQ(decode(lone), "F.bnf, line 2, column 3: error: the text holds a broken UTF-16 character (U+D800)");
  EXPECT_EQ(decode(Utf16File("!grammar \"G\";\n<A>: \xF0\x9F\x98\x80;")), "");  // a pair is fine
}

TEST(grisk_GrammarParser, SyntaxErrorsWithPositions) {
  const std::string head = "!grammar \"G\";\n";
  EXPECT_EQ(ParseErrors(head + "<A>: (one | two;\n<B>: three;\n"),
            std::vector<std::string>{"2:6: the group opened here is not closed: a \")\" is missing"});
  EXPECT_EQ(ParseErrors(head + "<A>: one) two;\n"), std::vector<std::string>{"2:9: \")\" closes no group"});
  EXPECT_EQ(ParseErrors(head + "<A>: one\n<B>: two;\n"),
            std::vector<std::string>{"3:1: expected \";\" before the definition of <B>"});
  EXPECT_EQ(ParseErrors(head + "<A>: one !start<A>;\n"),
            std::vector<std::string>{"2:10: !start cannot appear inside a rule: is the \";\" before it missing?"});
  EXPECT_EQ(ParseErrors(head + "<A>: !repeat(one);\n"),
            (std::vector<std::string>{"2:6: unknown directive !repeat"}));
  EXPECT_EQ(ParseErrors(head + "<A>: one <B;\n"),
            std::vector<std::string>{"2:10: a \"<\" must begin a rule name written <NAME>, closed by \">\" on the same line"});
  EXPECT_EQ(ParseErrors(head + "<A>: !action(\"|1);\n"),
            (std::vector<std::string>{"2:14: the quoted text is not closed on its line",
                                      "2:6: !action must be written !action(\"TEXT\")"}));
  EXPECT_EQ(ParseErrors(head + "<A>: !action(\"\") one;\n"),
            std::vector<std::string>{"2:14: an !action tag may not be empty"});
  EXPECT_EQ(ParseErrors(head + "<A>: one"), std::vector<std::string>{"2:9: the file ends inside the rule <A>: its \";\" is missing"});
  EXPECT_EQ(ParseErrors("<A>: one;\n!grammar \"G\";\n"),
            (std::vector<std::string>{"1:1: a grammar source must begin with !grammar \"NAME\";"}));
  EXPECT_EQ(ParseErrors("// nothing here\n"),
            std::vector<std::string>{"0:0: the file holds no grammar (it has no !grammar \"NAME\"; statement)"});
  EXPECT_EQ(ParseErrors(head + "hello;\n"), std::vector<std::string>{"2:1: the word \"hello\" stands outside any rule"});
  EXPECT_EQ(ParseErrors(head + "<A>: a\x01" "b;\n"), std::vector<std::string>{"2:7: unexpected control character U+0001"});
  // Parsing goes on after an error and finds the next one.
  EXPECT_EQ(ParseErrors(head + "<A>: (a;\n<B>: b);\n").size(), 2u);
}

TEST(grisk_GrammarParser, NestingIsBounded) {
  std::string deep = "!grammar \"G\";\n<A>: ";
  for (int i = 0; i < 5000; ++i) deep += "(";
  deep += "a;\n";
  auto errors = ParseErrors(deep);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("nested more than 100 deep"), std::string::npos);
}

TEST(grisk_GrammarChecks, EachKindOfError) {
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!start<X>;\n<X>: set <ALT>;\n"}}),
            std::vector<std::string>{"A.bnf 3:10: the rule <ALT> is used here but neither defined in this grammar nor imported"});
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!start<X>;\n<X>: a;\n<x>: b;\n"}}),
            std::vector<std::string>{"A.bnf 4:1: the rule <X> is defined twice (first on line 3)"});
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!import<SPD>;\n!start<X>;\n<X>: a;\n"}}),
            std::vector<std::string>{"A.bnf 2:8: <SPD> is imported, but no grammar exports it"});
  EXPECT_EQ(CheckErrors({{"A.bnf", kLists}, {"B.bnf", kLists}}),
            std::vector<std::string>{"B.bnf 2:8: <ALT> is already exported by A.bnf; an exported name must be unique among the grammars"});
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!start<X>;\n!export<Y>;\n!activatable <Z>;\n<Z>: z;\n"}}),
            (std::vector<std::string>{"A.bnf 3:8: !export names <Y>, which this grammar does not define",
                                      "A.bnf 2:7: !start names <X>, which this grammar does not define",
                                      "A.bnf 4:14: <Z> is activatable but not a start rule (!start<Z>; is missing)"}));
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!import<ALT>;\n<ALT>: a;\n"}, {"L.bnf", kLists}}).at(0),
            "A.bnf 3:1: the rule <ALT> is imported, so this grammar may not define it as well");
}

TEST(grisk_GrammarChecks, RecursionAcrossGrammarsAndSilentStartRules) {
  auto errors = CheckErrors({{"A.bnf", "!grammar \"A\";\n!import<L>;\n!export<X>;\n!start<X>;\n<X>: go <L>;\n"},
                             {"B.bnf", "!grammar \"B\";\n!import<X>;\n!export<L>;\n<L>: one | <X>;\n"}});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("refers back to itself (<X> -> <L> -> <X>)"), std::string::npos) << errors[0];
  EXPECT_EQ(CheckErrors({{"A.bnf", "!grammar \"A\";\n!start<X>;\n<X>: a <X>;\n"}}).size(), 1u);

  const std::string silent =
      "!grammar \"A\";\n!start<X>;\n!start<Y>;\n!start<Z>;\n<X>: !optional(a) !action(\"|1\");\n"
      "<Y>: (a|) <E>;\n<E>: ;\n<Z>: !ignore(<E> b);\n";
  auto e = CheckErrors({{"A.bnf", silent}});
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].substr(0, 50), "A.bnf 5:1: the start rule <X> can be recognised wi");
  EXPECT_EQ(e[1].substr(0, 26), "A.bnf 6:1: the start rule ");
}

TEST(grisk_GrammarChecks, ACleanSetHasNoErrors) {
  Diagnostics d;
  GrammarSet set;
  set.grammars.push_back(Parse(test::GenericListsSource(), d, "Generic Lists.bnf"));
  std::string autopilot = kAutopilot;
  set.grammars.push_back(Parse(autopilot, d, "Autopilot.bnf"));
  set.grammars.push_back(Parse("!grammar \"Empty\";\n!import<ALT>;\n", d, "Empty.bnf"));
  CheckGrammars(set, d);
  EXPECT_EQ(d.errors(), 0) << Diagnostics::Format(d.all().at(0));
  // A category without commands is only worth a warning.
  ASSERT_EQ(d.warnings(), 1);
  EXPECT_EQ(Diagnostics::Format(d.all()[0]), "Empty.bnf, line 1, column 1: warning: the grammar defines no rules");
}

}  // namespace
}  // namespace talvane::grisk
