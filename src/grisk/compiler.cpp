#include "grisk/compiler.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "common/files.h"
#include "common/local_time.h"
#include "common/text.h"
#include "grisk/bgm_format.h"
#include "grisk/bnf_source.h"
#include "grisk/confusability.h"
#include "grisk/grammar_check.h"
#include "grisk/grisk.h"
#include "grisk/language_model.h"
#include "grisk/pronunciation.h"
#include "grisk/rule_graph.h"

namespace talvane::grisk {

namespace fs = std::filesystem;

namespace {

// The recognition engine holds at most this many compiled grammars.
constexpr std::size_t kEngineGrammarLimit = 20;
constexpr std::size_t kMaxPhonemizerWordsListed = 500;

bool IsSource(const fs::directory_entry& e) {
  std::error_code ec;
  if (!e.is_regular_file(ec)) return false;
  std::string ext = e.path().extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".bnf";
}

// The first place each word (lower case) is written, for messages about it.
void WordPlaces(const Expression& e, const std::string& file, std::map<std::string, std::pair<std::string, Position>>& out) {
  for (const auto& seq : e)
    for (const auto& item : seq) {
      if (item.kind == ItemKind::kWord) out.try_emplace(LowerWord(item.text), file, item.pos);
      if (!item.body.empty()) WordPlaces(item.body, file, out);
    }
}

// Files land in two steps: every new file is written beside its target
// first, and only when all of them are written are they renamed into place.
class Staging {
 public:
  ~Staging() {
    for (const auto& [tmp, target] : files_) ::unlink(tmp.c_str());
  }
  bool Add(const fs::path& target, const std::string& bytes, std::string& error) {
    const std::optional<fs::path> tmp = WriteTemporaryBeside(target, bytes, &error);
    if (!tmp) return false;
    files_.emplace_back(*tmp, target);
    return true;
  }
  bool Commit(std::string& error) {
    for (auto it = files_.begin(); it != files_.end();) {
      if (std::rename(it->first.c_str(), it->second.c_str()) != 0) {
        error = "cannot replace " + it->second.string() + ": " + std::strerror(errno);
        return false;
      }
      it = files_.erase(it);
    }
    return true;
  }

 private:
  std::vector<std::pair<fs::path, fs::path>> files_;
};

class Log {
 public:
  void Line(const std::string& s = {}) { text_ += s + "\n"; }
  void Append(const Log& other) { text_ += other.text_; }
  void Write(const fs::path& file) const { AtomicWriteFile(file, text_); }

 private:
  std::string text_;
};

}  // namespace

std::string RuleListBytes(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) {
    const std::string line = "<" + n + ">\n";
    for (char c : line) {
      out += c;
      out += '\0';
    }
  }
  return out;
}

CompileOptions ProgramCompileOptions(const fs::path& program, bool test, const fs::path& phonemizer) {
  CompileOptions o;
  o.grammar_folder = test ? program / "Grammars" / "Test" : program / "Grammars";
  o.manifest = program / "Grammars" / bgm::kManifestName;
  if (!test) o.rule_list = program / "Data" / kRuleListName;
  o.phonemizer = phonemizer;
  return o;
}

CompileResult CompileFolder(const CompileOptions& opt) {
  const auto started = std::chrono::steady_clock::now();
  CompileResult result;
  Diagnostics diag;
  Log log, report;  // report: what the user can improve, after the errors
  std::vector<std::string> details;  // per-file lines, written before the diagnostics
  log.Line("Talvane grammar compiler, " + LocalTimeStamp());
  log.Line("Grammar folder: " + opt.grammar_folder.string());

  auto finish = [&](int status, const std::string& summary) {
    result.status = status;
    result.errors = diag.errors();
    result.warnings = diag.warnings();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!details.empty()) {
      log.Line();
      log.Line("Sources:");
      for (const auto& d : details) log.Line("  " + d);
    }
    if (!diag.all().empty()) {
      log.Line();
      log.Line("Errors and warnings:");
      for (const auto& d : diag.all()) log.Line("  " + Diagnostics::Format(d));
    }
    log.Append(report);
    char secs[32];
    std::snprintf(secs, sizeof secs, "%.2f s", result.seconds);
    result.summary = "Summary: " + summary + "; " + std::to_string(result.errors) + " error" +
                     (result.errors == 1 ? "" : "s") + ", " + std::to_string(result.warnings) + " warning" +
                     (result.warnings == 1 ? "" : "s") + "; " + secs;
    log.Line();
    log.Line(result.summary);
    std::error_code ec;
    if (fs::is_directory(opt.grammar_folder, ec)) log.Write(opt.grammar_folder / kLogName);
    return result;
  };
  auto failed = [&](int status, const std::string& why) {
    return finish(status, "compile FAILED (" + why + "); no compiled grammar was changed");
  };

  // The language model names the dictionary and the phone set.
  bgm::LanguageModel lm;
  {
    std::string error;
    std::error_code ec;
    if (!fs::exists(opt.manifest, ec)) {
      lm = bgm::DefaultLanguageModel();
      diag.Warning(opt.manifest.filename().string(), {},
                   "the language model manifest is missing; using the pocketsphinx-en-us model and dictionary");
    } else if (auto m = bgm::ReadLanguageModel(opt.manifest, &error)) {
      lm = std::move(*m);
    } else {
      diag.Error(opt.manifest.filename().string(), {}, error);
      return failed(GRISK_ERR_MODEL, "the language model manifest cannot be used");
    }
  }
  log.Line("Language model: " + opt.manifest.string());
  log.Line("Dictionary: " + lm.dictionary.string());

  // Sources, in name order so every compile of the same folder is the same.
  std::vector<fs::path> sources;
  {
    std::error_code ec;
    fs::directory_iterator it(opt.grammar_folder, ec);
    if (ec) {
      diag.Error(opt.grammar_folder.filename().string(), {}, "the grammar folder cannot be read: " + ec.message());
      return failed(GRISK_ERR_NO_SOURCES, "no grammar folder");
    }
    for (const auto& e : it)
      if (IsSource(e)) sources.push_back(e.path());
    std::sort(sources.begin(), sources.end());
  }
  if (sources.empty()) {
    diag.Error(opt.grammar_folder.filename().string(), {}, "there is no grammar source (*.bnf) to compile");
    return failed(GRISK_ERR_NO_SOURCES, "no grammar sources");
  }

  GrammarSet set;
  bool unreadable = false, all_decoded = true;
  for (const auto& path : sources) {
    const std::string file = path.filename().string();
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
      diag.Error(file, {}, "the file cannot be read");
      unreadable = true;
      continue;
    }
    if (auto text = DecodeSource(*bytes, file, diag))
      set.grammars.push_back(ParseSource(*text, file, diag));
    else
      all_decoded = false;
  }
  if (unreadable) return failed(GRISK_ERR_IO, "a source cannot be read");
  // Checked even after syntax errors, so one compile reports all it can.
  CheckGrammars(set, diag, all_decoded);
  result.grammars = static_cast<int>(set.grammars.size());
  if (diag.errors() > 0) return failed(GRISK_ERR_GRAMMAR, "errors in the grammar sources");

  std::vector<bgm::Grammar> compiled = BuildGraphs(set);

  // Pronunciations: the dictionary first, the phonemizer for the rest.
  std::map<std::string, std::pair<std::string, Position>> places;
  for (const auto& g : set.grammars)
    for (const auto& r : g.rules) WordPlaces(r.body, g.file, places);
  std::unordered_set<std::string> keys;
  for (const auto& [w, place] : places)
    for (auto& k : LookupKeys(w)) keys.insert(k);
  Dictionary dict;
  {
    std::string error;
    if (!dict.Load(lm.dictionary, keys, lm.phone_set, &error)) {
      diag.Error(opt.manifest.filename().string(), {}, error);
      return failed(GRISK_ERR_MODEL, "the pronouncing dictionary cannot be read");
    }
  }
  std::map<std::string, Pronunciation> pron;
  std::vector<std::string> unknown;
  for (const auto& [w, place] : places) {
    if (auto p = FromDictionary(dict, w))
      pron.emplace(w, std::move(*p));
    else
      unknown.push_back(w);
  }
  if (!unknown.empty()) {
    std::string error;
    auto ipa = RunPhonemizer(opt.phonemizer, unknown, &error);
    if (!ipa) {
      diag.Error(places[unknown.front()].first, {},
                 std::to_string(unknown.size()) + " words are not in the pronouncing dictionary, and " + error);
      return failed(GRISK_ERR_MODEL, "the phonemizer cannot be run");
    }
    for (std::size_t i = 0; i < unknown.size(); ++i) {
      std::string phones = IpaToPhones((*ipa)[i], lm.phone_set);
      if (phones.empty()) {
        const auto& [file, pos] = places[unknown[i]];
        diag.Error(file, pos, "the word \"" + unknown[i] + "\" cannot be pronounced: it has no letters to speak");
        continue;
      }
      pron.emplace(unknown[i], Pronunciation{bgm::PronunciationSource::kPhonemizer, {std::move(phones)}});
    }
  }
  std::string phone_set;
  for (const auto& p : lm.phone_set) phone_set += (phone_set.empty() ? "" : " ") + p;
  for (auto& g : compiled) {
    g.phone_set = phone_set;
    for (auto& w : g.words) {
      auto it = pron.find(w.text);
      if (it == pron.end()) continue;  // reported above
      w.source = it->second.source;
      w.pronunciations = it->second.phones;
    }
  }

  // The rule list of the checklist responses.
  std::vector<std::string> rule_list;
  bool have_checklist = false;
  for (std::size_t i = 0; i < set.grammars.size(); ++i) {
    if (!EqualsNoCase(set.grammars[i].file, kChecklistGrammar)) continue;
    have_checklist = true;
    std::set<std::string> seen;
    for (const auto& a : set.grammars[i].activatable) {
      if (!seen.insert(a.name).second) continue;
      if (a.name.size() > kMaxRuleListName)
        diag.Error(set.grammars[i].file, a.pos,
                   "the rule name <" + a.name + "> is longer than the " + std::to_string(kMaxRuleListName) +
                       " characters the engine's rule list can hold");
      rule_list.push_back(a.name);
    }
  }
  if (diag.errors() > 0) return failed(GRISK_ERR_GRAMMAR, "errors in the grammar sources");
  if (!opt.rule_list.empty() && !have_checklist)
    diag.Warning(kChecklistGrammar, {}, "there is no checklist-response grammar; the rule list is written empty");
  if (compiled.size() > kEngineGrammarLimit)
    diag.Warning(opt.grammar_folder.filename().string(), {},
                 std::to_string(compiled.size()) + " grammars: the recognition engine loads at most " +
                     std::to_string(kEngineGrammarLimit));

  // Replace the compiled grammars and the rule list together.
  Staging staging;
  std::set<std::string> targets;
  std::string error;
  for (std::size_t i = 0; i < compiled.size(); ++i) {
    const fs::path target = fs::path(sources[i]).replace_extension(".bgm");
    if (!targets.insert(target.filename().string()).second) {
      diag.Error(sources[i].filename().string(), {},
                 "another source of the same name compiles to " + target.filename().string() + " as well");
      return failed(GRISK_ERR_GRAMMAR, "two sources share one compiled grammar");
    }
    const std::string bytes = bgm::Write(compiled[i]);
    const auto& g = compiled[i];
    std::size_t phonemized = 0, arcs = 0;
    for (const auto& w : g.words) phonemized += w.source == bgm::PronunciationSource::kPhonemizer;
    for (const auto& r : g.rules) arcs += r.arcs.size();
    details.push_back(sources[i].filename().string() + " -> " + target.filename().string() + ": grammar \"" + g.name +
                      "\", " + std::to_string(g.rules.size()) + " rules (" + std::to_string(g.starts.size()) +
                      " start, " + std::to_string(g.activatable.size()) + " activatable, " +
                      std::to_string(g.exports.size()) + " exported, " + std::to_string(g.imports.size()) +
                      " imported), " + std::to_string(g.words.size()) + " words (" + std::to_string(phonemized) +
                      " from the phonemizer), " + std::to_string(g.tags.size()) + " tags, " + std::to_string(arcs) +
                      " arcs, " + std::to_string(bytes.size()) + " bytes");
    if (!staging.Add(target, bytes, error)) {
      diag.Error(target.filename().string(), {}, error);
      return failed(GRISK_ERR_IO, "a compiled grammar cannot be written");
    }
  }
  if (!opt.rule_list.empty()) {
    std::error_code ec;
    fs::create_directories(opt.rule_list.parent_path(), ec);
    if (!staging.Add(opt.rule_list, RuleListBytes(rule_list), error)) {
      diag.Error(opt.rule_list.filename().string(), {}, error);
      return failed(GRISK_ERR_IO, "the rule list cannot be written");
    }
    details.push_back(opt.rule_list.filename().string() + ": " + std::to_string(rule_list.size()) +
                      " activatable rules of " + kChecklistGrammar);
  }
  if (!staging.Commit(error)) {
    diag.Error(opt.grammar_folder.filename().string(), {}, error);
    return finish(GRISK_ERR_IO, "compile FAILED while replacing the compiled grammars");
  }
  // Compiled grammars whose source is gone would still be loaded by the engine.
  {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(opt.grammar_folder, ec)) {
      if (e.path().extension() != ".bgm" || targets.count(e.path().filename().string())) continue;
      std::error_code rm;
      if (fs::remove(e.path(), rm))
        details.push_back(e.path().filename().string() + ": removed, its source is gone");
    }
  }

  // What the user can improve: confusable phrases and guessed pronunciations.
  const ConfusabilityReport confusions = FindConfusions(compiled);
  result.confusions = static_cast<int>(confusions.confusions.size());
  std::map<std::string, std::vector<std::string>> guessed;  // word -> files
  for (const auto& g : compiled)
    for (const auto& w : g.words)
      if (w.source == bgm::PronunciationSource::kPhonemizer) guessed[w.text].push_back(g.source_file);
  for (const auto& g : compiled) result.words += static_cast<int>(g.words.size());
  result.phonemized = static_cast<int>(guessed.size());

  report.Line();
  report.Line("Confusable phrases (different commands that accept the same words; lists compared by name):");
  if (confusions.confusions.empty()) report.Line("  none");
  for (const auto& c : confusions.confusions)
    report.Line("  \"" + c.phrase + "\": <" + c.first_rule + "> (" + c.first_grammar + ") and <" + c.second_rule +
             "> (" + c.second_grammar + ")");
  if (!confusions.complete) report.Line("  (the search stopped at its limit; there may be more)");
  report.Line();
  report.Line("Words without a dictionary pronunciation (espeak-ng's phonemizer made these):");
  if (guessed.empty()) report.Line("  none");
  std::size_t listed = 0;
  for (const auto& [w, files] : guessed) {
    if (++listed > kMaxPhonemizerWordsListed) {
      report.Line("  ... and " + std::to_string(guessed.size() - kMaxPhonemizerWordsListed) + " more");
      break;
    }
    report.Line("  " + w + ": " + pron[w].phones.front() + " (" + files.front() +
             (files.size() > 1 ? " and " + std::to_string(files.size() - 1) + " more" : "") + ")");
  }
  return finish(GRISK_OK, std::to_string(compiled.size()) + " grammars compiled, " + std::to_string(result.words) +
                              " words (" + std::to_string(result.phonemized) + " from the phonemizer), " +
                              std::to_string(result.confusions) + " confusable phrase" +
                              (result.confusions == 1 ? "" : "s"));
}

}  // namespace talvane::grisk
