#include "training/adaptation.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <unordered_set>

#include "common/files.h"
#include "common/resample.h"
#include "common/split.h"
#include "common/wav_file.h"
#include "grisk/language_model.h"
#include "grisk/pronunciation.h"
#include "training/model_files.h"

extern char** environ;

namespace talvane::training {

namespace {

constexpr int kSampleRate = 16000;
constexpr int kSteps = 8;  // without the transform

// Where the sphinxtrain programs are: $TALVANE_SPHINXTRAIN, else Debian's
// folder. sphinx_fe and pocketsphinx_mdef_convert are on the path.
fs::path TrainerTool(const char* name) {
  const char* dir = std::getenv("TALVANE_SPHINXTRAIN");
  return fs::path(dir && *dir ? dir : "/usr/lib/sphinxtrain") / name;
}

fs::path PathTool(const char* name) {
  const char* path = std::getenv("PATH");
  for (const std::string& dir : SplitAt(path && *path ? path : "/usr/bin:/bin", ":"))
    if (!dir.empty() && ::access((fs::path(dir) / name).c_str(), X_OK) == 0) return fs::path(dir) / name;
  return {};
}

}  // namespace

std::vector<std::string> TranscriptWords(std::string_view text) {
  std::vector<std::string> words;
  std::string w;
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '\'') {
      w += static_cast<char>(std::tolower(u));
    } else if (!w.empty()) {
      words.push_back(std::move(w));
      w.clear();
    }
  }
  if (!w.empty()) words.push_back(std::move(w));
  // Apostrophes at a word's ends are quotation marks.
  for (auto& word : words) {
    while (!word.empty() && word.front() == '\'') word.erase(word.begin());
    while (!word.empty() && word.back() == '\'') word.pop_back();
  }
  std::erase_if(words, [](const std::string& s) { return s.empty(); });
  return words;
}

namespace {

class Pipeline {
 public:
  Pipeline(const AdaptOptions& o, std::string* error) : o_(o), error_(error) {}
  bool Run();

 private:
  bool Fail(const std::string& e) {
    if (error_) *error_ = e;
    return false;
  }
  bool Cancelled() const { return o_.cancel && o_.cancel->load(); }
  int Steps() const { return kSteps + (o_.mllr ? 1 : 0); }
  void Step(const std::string& text) {
    if (o_.progress) o_.progress(Progress{step_, Steps(), text});
    ++step_;
  }
  // Runs a tool with its output in the log; false (with the log's tail in
  // the error) when it fails or the adaptation is cancelled meanwhile.
  bool Tool(const fs::path& program, const std::vector<std::string>& args, const char* what);
  bool PrepareBase();
  bool PrepareSpeech();
  bool EstimateTransform();

  const AdaptOptions& o_;
  std::string* error_;
  int step_ = 0;
  bgm::LanguageModel lm_;
  fs::path staged_, work_, base_, log_;
  std::vector<std::string> ids_;
};

bool Pipeline::Tool(const fs::path& program, const std::vector<std::string>& args, const char* what) {
  if (Cancelled()) return Fail("cancelled");
  if (program.empty() || ::access(program.c_str(), X_OK) != 0)
    return Fail(std::string("the training tool ") + (program.empty() ? what : program.c_str()) +
                " is not installed (Debian packages sphinxtrain and pocketsphinx)");
  const int log = ::open(log_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log < 0) return Fail("cannot write " + log_.string());
  const std::string head = "\n== " + program.string() + "\n";
  if (::write(log, head.data(), head.size()) < 0) {
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log, 1);
  posix_spawn_file_actions_adddup2(&actions, log, 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // A group of its own, so that a cancel reaches whatever it starts.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  std::vector<std::string> argv_s{program.string()};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(log);
  if (rc != 0) return Fail("cannot run " + program.string() + ": " + std::strerror(rc));
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return Fail("lost the training tool " + program.string());
    if (Cancelled()) {
      ::kill(-pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return Fail("cancelled");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  // The tools report their errors among much else: the last lines say why.
  std::string tail;
  if (const auto text = ReadWholeFile(log_)) {
    const auto lines = SplitAt(*text, "\n");
    for (std::size_t i = lines.size() > 4 ? lines.size() - 4 : 0; i < lines.size(); ++i) tail += "\n" + lines[i];
  }
  return Fail(std::string(what) + " failed (" + program.filename().string() + ")" + tail);
}

bool Pipeline::PrepareBase() {
  // Always from the standard model: adapting an adapted model would drift
  // further with every training.
  const fs::path manifest = ManifestFile(o_.program_folder);
  const auto text = ReadWholeFile(manifest);
  if (!text) return Fail("cannot read " + manifest.string());
  std::string e;
  auto lm = bgm::ParseLanguageModel(WithProfileLine(*text, ""), manifest.parent_path(), &e);
  if (!lm) return Fail(manifest.filename().string() + " " + e);
  lm_ = std::move(*lm);
  const fs::path model = lm_.acoustic_model;
  for (const char* f : {"mdef", "means", "variances", "transition_matrices", "sendump", "feat.params", "noisedict"})
    if (!FileExists(model / f)) return Fail("the standard acoustic model lacks " + (model / f).string());
  const fs::path phone_lm = model.string() + "-phone.lm.bin";
  if (!FileExists(phone_lm)) return Fail("the phone model " + phone_lm.string() + " is missing");

  base_ = work_ / "base";
  std::error_code ec;
  fs::create_directories(base_, ec);
  const auto dump_image = ReadWholeFile(model / "sendump");
  if (!dump_image) return Fail("cannot read " + (model / "sendump").string());
  auto dump = ParseSendump(*dump_image, &e);
  if (!dump) return Fail((model / "sendump").string() + ": " + e);
  if (!AtomicWriteFile(base_ / "mixture_weights", MixtureWeightsImage(*dump), &e)) return Fail(e);
  if (!Tool(PathTool("pocketsphinx_mdef_convert"),
            {"-text", (model / "mdef").string(), (base_ / "mdef.txt").string()}, "converting the model definition"))
    return false;
  for (const char* f : {"mdef", "feat.params", "noisedict"})
    if (!CopyFileAtomic(model / f, staged_ / f, &e)) return Fail(e);
  if (!CopyFileAtomic(phone_lm, staged_ / "phone.lm.bin", &e)) return Fail(e);
  return true;
}

bool Pipeline::PrepareSpeech() {
  std::error_code ec;
  fs::create_directories(work_ / "wav", ec);
  fs::create_directories(work_ / "feat", ec);
  std::unordered_set<std::string> wanted;
  std::vector<std::vector<std::string>> words_of;
  // The faint noise the recogniser adds to every frame: digital silence in
  // the recordings would otherwise train the model on sounds it never hears.
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> faint(-30, 30);
  std::string e;
  for (std::size_t i = 0; i < o_.speech.size(); ++i) {
    if (Cancelled()) return Fail("cancelled");
    const Utterance& u = o_.speech[i];
    auto words = TranscriptWords(u.words);
    if (words.empty()) continue;
    const auto image = ReadWholeFile(u.wav);
    if (!image) return Fail("cannot read " + u.wav.string());
    auto audio = ReadWav(*image, &e);
    if (!audio) return Fail(u.wav.string() + ": " + e);
    if (audio->sample_rate < 8000) return Fail(u.wav.string() + ": the sample rate is too low");
    std::vector<std::int16_t> s = Resample(audio->samples, audio->sample_rate, kSampleRate);
    for (auto& x : s) x = static_cast<std::int16_t>(std::clamp(x + faint(noise), -32768, 32767));
    char id[32];
    std::snprintf(id, sizeof id, "u%04zu", i + 1);
    if (!AtomicWriteFile(work_ / "wav" / (std::string(id) + ".wav"), WavBytes(s, kSampleRate), &e)) return Fail(e);
    ids_.emplace_back(id);
    for (const auto& w : words) wanted.insert(w);
    words_of.push_back(std::move(words));
  }
  if (ids_.empty()) return Fail("there are no recordings with words to adapt from");

  // Pronunciations as the grammar compiler finds them: the dictionary, then
  // the phonemizer for words it lacks.
  grisk::Dictionary dict;
  if (!dict.Load(lm_.dictionary, wanted, lm_.phone_set, &e)) return Fail(e);
  std::map<std::string, std::string> say;
  std::vector<std::string> unknown;
  for (const auto& w : wanted) {
    if (auto p = grisk::FromDictionary(dict, w); p && !p->phones.empty())
      say[w] = p->phones.front();
    else
      unknown.push_back(w);
  }
  if (!unknown.empty()) {
    std::sort(unknown.begin(), unknown.end());
    auto ipa = grisk::RunPhonemizer(o_.program_folder / "grisk-g2p", unknown, &e);
    if (!ipa) return Fail(e);
    for (std::size_t i = 0; i < unknown.size(); ++i) {
      const std::string phones = grisk::IpaToPhones(SplitAt((*ipa)[i], "\t").front(), lm_.phone_set);
      if (phones.empty()) return Fail("no pronunciation is known for \"" + unknown[i] + "\"");
      say[unknown[i]] = phones;
    }
  }
  std::string dictionary, fileids, transcription;
  for (const auto& [w, phones] : say) dictionary += w + " " + phones + "\n";
  for (std::size_t i = 0; i < ids_.size(); ++i) {
    fileids += ids_[i] + "\n";
    std::string line = "<s>";
    for (const auto& w : words_of[i]) line += " " + w;
    transcription += line + " </s> (" + ids_[i] + ")\n";
  }
  if (!AtomicWriteFile(work_ / "words.dict", dictionary, &e) || !AtomicWriteFile(work_ / "fileids", fileids, &e) ||
      !AtomicWriteFile(work_ / "transcription", transcription, &e))
    return Fail(e);
  return true;
}

bool Pipeline::EstimateTransform() {
  // Statistics again, now against the adapted model, and one transform of
  // all its means that fits them best: what MAP could not move (densities
  // the recordings hardly reached) moves with the rest.
  Step("Estimating the speaker transform");
  const fs::path accum = work_ / "accum-mllr";
  std::error_code ec;
  fs::create_directories(accum, ec);
  if (!Tool(TrainerTool("bw"),
            {"-hmmdir", staged_.string(), "-moddeffn", (base_ / "mdef.txt").string(), "-mixwfn",
             (work_ / "mixture_weights").string(), "-ts2cbfn", ".ptm.", "-feat", "1s_c_d_dd", "-svspec",
             "0-12/13-25/26-38", "-cmn", "batch", "-agc", "none", "-dictfn", (work_ / "words.dict").string(),
             "-fdictfn", (staged_ / "noisedict").string(), "-ctlfn", (work_ / "fileids").string(), "-lsnfn",
             (work_ / "transcription").string(), "-cepdir", (work_ / "feat").string(), "-accumdir", accum.string()},
            "collecting the statistics for the transform"))
    return false;
  if (!Tool(TrainerTool("mllr_solve"),
            {"-meanfn", (staged_ / "means").string(), "-varfn", (staged_ / "variances").string(), "-outmllrfn",
             (staged_ / bgm::kMllrFile).string(), "-accumdir", accum.string()},
            "estimating the transform"))
    return false;
  if (!FileExists(staged_ / bgm::kMllrFile)) return Fail("the training tools wrote no transform");
  return true;
}

bool Pipeline::Run() {
  if (!IsValidProfileName(o_.profile)) return Fail("\"" + o_.profile + "\" is not a valid profile name");
  if (o_.speech.empty()) return Fail("there are no recordings to adapt from");
  std::string e;
  Step("Preparing");
  staged_ = StagingFolder(o_.program_folder, o_.profile, &e);
  if (staged_.empty()) return Fail(e);
  // Whatever happens below, the staging folder goes; only a finished model
  // is moved out of it.
  struct Remove {
    fs::path p;
    ~Remove() {
      std::error_code ec;
      fs::remove_all(p, ec);
    }
  } remove{staged_};
  work_ = staged_ / "work";
  log_ = work_ / "adaptation.log";
  std::error_code ec;
  fs::create_directories(work_, ec);
  if (!PrepareBase()) return false;
  Step("Reading the recordings");
  if (!PrepareSpeech()) return false;

  Step("Computing features");
  const fs::path model = lm_.acoustic_model;
  if (!Tool(PathTool("sphinx_fe"),
            {"-argfile", (model / "feat.params").string(), "-samprate", std::to_string(kSampleRate), "-c",
             (work_ / "fileids").string(), "-di", (work_ / "wav").string(), "-do", (work_ / "feat").string(), "-ei",
             "wav", "-eo", "mfc", "-mswav", "yes"},
            "computing the features"))
    return false;

  Step("Collecting statistics");
  fs::create_directories(work_ / "accum", ec);
  if (!Tool(TrainerTool("bw"),
            {"-hmmdir", model.string(), "-moddeffn", (base_ / "mdef.txt").string(), "-mixwfn",
             (base_ / "mixture_weights").string(), "-ts2cbfn", ".ptm.", "-feat", "1s_c_d_dd", "-svspec",
             "0-12/13-25/26-38", "-cmn", "batch", "-agc", "none", "-dictfn", (work_ / "words.dict").string(),
             "-fdictfn", (model / "noisedict").string(), "-ctlfn", (work_ / "fileids").string(), "-lsnfn",
             (work_ / "transcription").string(), "-cepdir", (work_ / "feat").string(), "-accumdir",
             (work_ / "accum").string()},
            "collecting the statistics"))
    return false;

  Step("Adapting the model");
  if (!Tool(TrainerTool("map_adapt"),
            {"-moddeffn", (base_ / "mdef.txt").string(), "-ts2cbfn", ".ptm.", "-meanfn", (model / "means").string(),
             "-varfn", (model / "variances").string(), "-mixwfn", (base_ / "mixture_weights").string(), "-tmatfn",
             (model / "transition_matrices").string(), "-accumdir", (work_ / "accum").string(), "-mapmeanfn",
             (staged_ / "means").string(), "-mapvarfn", (staged_ / "variances").string(), "-mapmixwfn",
             (work_ / "mixture_weights").string(), "-maptmatfn", (staged_ / "transition_matrices").string()},
            "adapting the model"))
    return false;
  if (!Tool(TrainerTool("mk_s2sendump"),
            {"-pocketsphinx", "yes", "-moddeffn", (base_ / "mdef.txt").string(), "-mixwfn",
             (work_ / "mixture_weights").string(), "-sendumpfn", (staged_ / "sendump").string(), "-mwfloor", "1e-8"},
            "writing the mixture weights"))
    return false;
  if (!IsCompleteModel(staged_)) return Fail("the training tools did not write a whole model");
  if (o_.mllr && !EstimateTransform()) return false;

  Step("Calibrating the rejection");
  Calibration calibration{0, "not calibrated"};
  if (o_.calibrate && !o_.calibrate(o_.program_folder, staged_, o_.speech, &calibration, &e))
    return Fail(Cancelled() ? "cancelled" : "calibrating the rejection failed: " + e);
  if (Cancelled()) return Fail("cancelled");
  char line[96];
  std::snprintf(line, sizeof line, "confidence_shift = %.6f\n", calibration.shift);
  if (!AtomicWriteFile(staged_ / bgm::kCalibrationFile,
                       "# Taken off this model's scores (decoder units per frame) before the\n"
                       "# confidence, so that it takes no more of the speaker's other talk for\n# commands than the standard model.\n# " +
                           calibration.note + "\n" + line,
                       &e))
    return Fail(e);

  Step("Installing the model");
  // The work files stay out of the model folder.
  const fs::path kept_log = TrainingFolder(o_.program_folder, o_.profile) / "adaptation.log";
  if (FolderExists(kept_log.parent_path())) CopyFileAtomic(log_, kept_log);
  fs::remove_all(work_, ec);
  if (Cancelled()) return Fail("cancelled");
  if (!InstallModel(o_.program_folder, o_.profile, staged_, &e)) return Fail(e);
  Step("Switching to the profile");
  if (o_.activate && !UseProfile(o_.program_folder, o_.profile, &e)) return Fail(e);
  if (o_.progress) o_.progress(Progress{Steps(), Steps(), "Done"});
  return true;
}

}  // namespace

std::vector<Utterance> ReadTranscripts(const fs::path& file, const fs::path& folder, std::string* error) {
  std::vector<Utterance> out;
  const auto text = ReadWholeFile(file);
  if (!text) {
    if (error) *error = "cannot read " + file.string();
    return {};
  }
  int line_no = 0;
  for (std::size_t at = 0; at < text->size();) {
    std::size_t end = text->find('\n', at);
    if (end == std::string::npos) end = text->size();
    std::string line = text->substr(at, end - at);
    at = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const auto tab = line.find('\t');
    const std::string name = line.substr(0, tab == std::string::npos ? 0 : tab);
    auto fail = [&](const std::string& e) {
      if (error) *error = file.filename().string() + " line " + std::to_string(line_no) + ": " + e;
      return std::vector<Utterance>{};
    };
    if (tab == std::string::npos || name.empty()) return fail("expected a file name, a tab and the words said");
    // Recordings are files of the folder itself.
    if (!IsPlainFileName(name)) return fail("\"" + name + "\" is not a file of the folder");
    if (!FileExists(folder / name)) return fail(name + " does not exist");
    std::string words = line.substr(tab + 1);
    if (TranscriptWords(words).empty()) return fail("no words are given for " + name);
    out.push_back(Utterance{folder / name, std::move(words)});
  }
  if (out.empty() && error) *error = file.filename().string() + " lists no recordings";
  return out;
}

bool AdaptProfile(const AdaptOptions& options, std::string* error) { return Pipeline(options, error).Run(); }

}  // namespace talvane::training
