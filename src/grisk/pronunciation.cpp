#include "grisk/pronunciation.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/files.h"
#include "common/split.h"

extern char** environ;

namespace talvane::grisk {

namespace {

bool IsWordChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\'' || c >= 0x80;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += ' ';
    out += p;
  }
  return out;
}

// The word without leading and trailing characters that are not letters,
// digits or apostrophes ("st." -> "st").
std::string Core(const std::string& word) {
  std::size_t b = 0, e = word.size();
  while (b < e && !IsWordChar(static_cast<unsigned char>(word[b]))) ++b;
  while (e > b && !IsWordChar(static_cast<unsigned char>(word[e - 1]))) --e;
  return word.substr(b, e - b);
}

// The pieces a composed word is joined from (x-ray, elle-ess).
std::vector<std::string> Parts(const std::string& word) { return SplitAt(word, "-_.,"); }

// IPA, longest first so that diphthongs and affricates win over their letters.
struct IpaPhone {
  std::string_view ipa;
  std::string_view phones;
};
constexpr std::array<IpaPhone, 56> kIpa{{
    {"aɪ", "AY"}, {"aʊ", "AW"}, {"eɪ", "EY"}, {"oʊ", "OW"}, {"əʊ", "OW"}, {"ɔɪ", "OY"}, {"tʃ", "CH"},
    {"dʒ", "JH"}, {"ɪə", "IY AH"}, {"eə", "EH R"}, {"ʊə", "UH R"}, {"iə", "IY AH"},
    {"æ", "AE"}, {"ɑ", "AA"}, {"ɒ", "AA"}, {"ɔ", "AO"}, {"ʌ", "AH"}, {"ə", "AH"}, {"ɐ", "AH"},
    {"ɚ", "ER"}, {"ɝ", "ER"}, {"ɜ", "ER"}, {"ɛ", "EH"}, {"e", "EH"}, {"ɪ", "IH"}, {"ᵻ", "IH"},
    {"i", "IY"}, {"ʊ", "UH"}, {"u", "UW"}, {"o", "OW"}, {"a", "AA"},
    {"b", "B"}, {"d", "D"}, {"ð", "DH"}, {"f", "F"}, {"ɡ", "G"}, {"g", "G"}, {"h", "HH"}, {"j", "Y"},
    {"k", "K"}, {"l", "L"}, {"ɫ", "L"}, {"m", "M"}, {"n", "N"}, {"ŋ", "NG"}, {"p", "P"}, {"ɹ", "R"},
    {"r", "R"}, {"ɾ", "T"}, {"ʔ", "T"}, {"s", "S"}, {"ʃ", "SH"}, {"t", "T"}, {"θ", "TH"}, {"v", "V"},
    {"w", "W"},
}};
constexpr std::array<IpaPhone, 5> kIpaMore{{{"z", "Z"}, {"ʒ", "ZH"}, {"x", "K"}, {"ʍ", "W"}, {"ç", "HH"}}};

// Marks that carry no phone: primary and secondary stress, length, half
// length, the tie bar, and the syllabic mark (handled by the caller).
constexpr std::array<std::string_view, 6> kMarks{"ˈ", "ˌ", "ː", "ˑ", "\u0361", "\u0329"};

}  // namespace

bool Dictionary::Load(const std::filesystem::path& file, const std::unordered_set<std::string>& wanted,
                      const std::vector<std::string>& phone_set, std::string* error) {
  const std::optional<std::string> data = ReadWholeFile(file);
  if (!data) {
    if (error) *error = "cannot open the pronouncing dictionary " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  const std::unordered_set<std::string> phones(phone_set.begin(), phone_set.end());

  for (const std::string_view line : SplitLines(*data)) {
    const std::size_t sp = line.find_first_of(" \t");
    if (sp == std::string_view::npos || line.empty() || line[0] == '#') continue;
    std::string_view head = line.substr(0, sp);
    if (head.size() > 3 && head.back() == ')') {  // "word(2)"
      const auto open = head.rfind('(');
      if (open != std::string_view::npos && open > 0) head = head.substr(0, open);
    }
    std::string key = LowerWordAscii(head);
    if (!wanted.count(key)) continue;
    std::vector<std::string> ph = SplitAt(line.substr(sp), " \t");
    bool ok = !ph.empty();
    for (auto& p : ph) {
      while (!p.empty() && p.back() >= '0' && p.back() <= '9') p.pop_back();  // stress digits
      ok = ok && phones.count(p);
    }
    if (ok) entries_[key].push_back(Join(ph));
  }
  return true;
}

std::string Dictionary::LowerWordAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

const std::vector<std::string>* Dictionary::Find(const std::string& word) const {
  auto it = entries_.find(word);
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> LookupKeys(const std::string& word) {
  std::vector<std::string> keys{word};
  const std::string core = Core(word);
  if (!core.empty() && core != word) keys.push_back(core);
  for (auto& p : Parts(core)) keys.push_back(p);
  return keys;
}

std::optional<Pronunciation> FromDictionary(const Dictionary& dict, const std::string& word) {
  if (const auto* e = dict.Find(word)) return Pronunciation{bgm::PronunciationSource::kDictionary, *e};
  const std::string core = Core(word);
  if (core.empty()) return std::nullopt;
  if (const auto* e = dict.Find(core)) return Pronunciation{bgm::PronunciationSource::kDictionary, *e};
  const auto parts = Parts(core);
  if (parts.size() < 2) return std::nullopt;
  std::string joined;
  for (const auto& p : parts) {
    const auto* e = dict.Find(p);
    if (!e) return std::nullopt;
    if (!joined.empty()) joined += ' ';
    joined += e->front();
  }
  return Pronunciation{bgm::PronunciationSource::kComposed, {joined}};
}

std::string IpaToPhones(std::string_view ipa, const std::vector<std::string>& phone_set) {
  std::vector<std::string> out;
  for (const std::string& token : SplitAt(ipa, " \t")) {
    std::string t;
    bool syllabic = false;
    for (std::size_t i = 0; i < token.size();) {
      bool mark = false;
      for (auto m : kMarks)
        if (token.compare(i, m.size(), m) == 0) {
          syllabic = syllabic || m == "\u0329";
          i += m.size();
          mark = true;
          break;
        }
      if (!mark) t += token[i++];
    }
    std::vector<std::string> phones;
    for (std::size_t i = 0; i < t.size();) {
      const IpaPhone* best = nullptr;
      for (const auto* table : {kIpa.data(), kIpaMore.data()}) {
        const std::size_t n = table == kIpa.data() ? kIpa.size() : kIpaMore.size();
        for (std::size_t k = 0; k < n; ++k)
          if (t.compare(i, table[k].ipa.size(), table[k].ipa) == 0 &&
              (!best || table[k].ipa.size() > best->ipa.size()))
            best = &table[k];
      }
      if (!best) {  // a sound the phone set has no match for: skip its character
        ++i;
        while (i < t.size() && (static_cast<unsigned char>(t[i]) & 0xC0) == 0x80) ++i;
        continue;
      }
      for (auto& p : SplitAt(best->phones, " \t")) phones.push_back(p);
      i += best->ipa.size();
    }
    if (syllabic && !phones.empty()) phones.insert(phones.begin(), "AH");  // button: B AH T AH N
    for (auto& p : phones) {
      if (p == "R" && !out.empty() && out.back() == "ER") continue;  // r-coloured vowel, then its r
      out.push_back(p);
    }
  }
  std::string joined;
  for (const auto& p : out) {
    if (std::find(phone_set.begin(), phone_set.end(), p) == phone_set.end()) continue;
    if (!joined.empty()) joined += ' ';
    joined += p;
  }
  return joined;
}

std::filesystem::path BesideLibrary(const void* code, const char* name) {
  Dl_info info{};
  if (!dladdr(code, &info) || !info.dli_fname) return {};
  std::error_code ec;
  const auto library = std::filesystem::absolute(info.dli_fname, ec);
  if (ec) return {};
  return library.parent_path() / name;
}

std::optional<std::vector<std::string>> RunPhonemizer(const std::filesystem::path& helper,
                                                      const std::vector<std::string>& words, std::string* error,
                                                      const std::vector<std::string>& voices) {
  auto fail = [&](const std::string& e) -> std::optional<std::vector<std::string>> {
    if (error) *error = e;
    return std::nullopt;
  };
  if (words.empty()) return std::vector<std::string>{};
  // The words go through an unlinked temporary file, so the helper can never
  // block us by not reading its input.
  std::FILE* file = std::tmpfile();
  if (!file) return fail(std::string("cannot create a temporary file: ") + std::strerror(errno));
  std::string input;
  for (const auto& w : words) input += w + "\n";
  if (std::fwrite(input.data(), 1, input.size(), file) != input.size() || std::fflush(file) != 0) {
    std::fclose(file);
    return fail("cannot write the temporary file");
  }
  std::rewind(file);
  const int in = ::fileno(file);
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) {
    std::fclose(file);
    return fail("cannot create a pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  const std::string path = helper.string();
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const auto& v : voices) argv.push_back(const_cast<char*>(v.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  std::fclose(file);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    return fail("cannot run the phonemizer " + path + ": " + std::strerror(rc));
  }
  std::string text;
  char buf[1 << 15];
  for (;;) {
    const ssize_t n = ::read(out[0], buf, sizeof buf);
    if (n > 0) {
      text.append(buf, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return fail("the phonemizer " + path + " failed (status " + std::to_string(status) + ")");
  std::vector<std::string> lines;
  for (const std::string_view line : SplitLines(text)) lines.emplace_back(line);
  if (lines.size() != words.size()) return fail("the phonemizer answered " + std::to_string(lines.size()) +
                                                " lines for " + std::to_string(words.size()) + " words");
  return lines;
}

}  // namespace talvane::grisk
