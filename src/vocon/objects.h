// The objects behind the recogniser's handles, and the handle table.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "grisk/language_model.h"
#include "vocon/antonym_guard.h"
#include "vocon/decoder.h"
#include "vocon/front_end.h"
#include "vocon/network.h"
#include "vocon/vocon3200.h"

namespace talvane::vocon {

enum class Kind : std::uint8_t { kSpeech = 1, kSource, kFx, kJumpBack, kRec, kG2P, kLex, kGrammar, kContext, kResult };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  const Kind kind;
};

// Handles are (slot + 1, serial): a closed object's slot is reused with a
// new serial, so an old handle to it is refused rather than reaching the
// new object. Safe from any thread.
class HandleTable {
 public:
  LH_OBJECT Add(std::shared_ptr<Object> object);
  std::shared_ptr<Object> Get(LH_OBJECT h, Kind kind);
  std::shared_ptr<Object> Remove(LH_OBJECT h, Kind kind);
  std::size_t Count();  // objects alive, for the tests

 private:
  struct Slot {
    std::uint32_t serial = 0;
    std::shared_ptr<Object> object;
  };
  std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> free_;
};
HandleTable& Handles();

template <class T>
std::shared_ptr<T> Lookup(LH_OBJECT h) {
  return std::static_pointer_cast<T>(Handles().Get(h, T::kKind));
}

struct Lex;

struct Speech : Object {
  static constexpr Kind kKind = Kind::kSpeech;
  Speech() : Object(kKind) {}
  bgm::LanguageModel model;
  std::uint32_t frame_ms = 10;
  // The lexicon grammars are pronounced with while it is open.
  std::weak_ptr<Lex> lexicon;
  // The manifest's antonym pairs; null: results are not checked for them.
  std::shared_ptr<const AntonymPairs> antonyms;
};

struct G2P : Object {
  static constexpr Kind kKind = Kind::kG2P;
  G2P() : Object(kKind) {}
  std::filesystem::path helper;  // empty: none found, no variants
};

struct Lex : Object {
  static constexpr Kind kKind = Kind::kLex;
  Lex() : Object(kKind) {}
  std::shared_ptr<G2P> g2p;
};

struct Grammar : Object {
  static constexpr Kind kKind = Kind::kGrammar;
  Grammar() : Object(kKind) {}
  std::shared_ptr<const bgm::Grammar> grammar;
  // Further pronunciations from the lexicon's G2P: (word, phones).
  std::vector<std::pair<std::string, std::string>> variants;
  // Per rule: off when deactivated (only activatable rules ever are).
  std::vector<std::uint8_t> active;
  std::atomic<std::uint64_t> version{0};
};

struct Context : Object {
  static constexpr Kind kKind = Kind::kContext;
  Context() : Object(kKind) {}
  std::shared_ptr<Network> network;
  std::vector<std::shared_ptr<Grammar>> grammars;
  std::vector<bool> ActiveStarts() const;
  std::uint64_t Version() const;
};

struct ResultData {
  std::uint32_t type = ASRRES_REJECTED;
  std::uint32_t confidence = 0;
  bool has_words = false;
  std::string start_rule;
  std::vector<ParsedEntry> entries;
};

struct Rec : Object {
  static constexpr Kind kKind = Kind::kRec;
  Rec() : Object(kKind) {}
  std::shared_ptr<Speech> speech;
  std::unique_ptr<Decoder> decoder;
  std::int32_t max_hypotheses = 1, complete_only = 1, rejection = 3500;
  std::shared_ptr<Context> context;
  bool context_active = false;
  // The network the decoder searches, and the activation it was built for.
  WordDfa dfa;
  std::vector<bool> active_starts;
  std::uint64_t built_version = ~0ull;
  bool consumer_of_jumpback = false;

  LH_ERROR Prepare();  // brings the decoder's network up to date
  bool Begin();
  void Feed(const std::int16_t* samples, std::size_t n);
  // Whether the words so far are a whole phrase, and whether more may
  // follow; true with `outside` set when the best path so far runs through
  // the out-of-grammar loop.
  bool PartialComplete(bool* can_continue, bool* outside);
  void Finish();  // ends the utterance and keeps its result
  // Rejects the accepted result of `words` (network ids; `frames` frames of
  // speech) when a sentence of the grammar with one word swapped for its
  // opposite fits the audio almost as well (antonym_guard.cpp).
  void GuardAntonyms(const std::vector<std::uint32_t>& words, int frames);
  int antonym_checks = 0;  // utterances the guard scored again
  void Abort();
  bool in_utterance = false;
  bool has_result = false;
  ResultData result;
  std::uint32_t noise_seed = 1;
};

struct JumpBack : Object {
  static constexpr Kind kKind = Kind::kJumpBack;
  JumpBack() : Object(kKind) {}
  std::shared_ptr<Rec> consumer;
  bool consumer_of_fx = false;
  std::vector<std::int16_t> ring;
  std::size_t frame = 160, capacity = 30, head = 0, count = 0;
  void Clear() { head = count = 0; }
  void Push(const std::int16_t* f);
  void Drain();  // hands the held frames to the recogniser, oldest first
};

struct Fx : Object {
  static constexpr Kind kKind = Kind::kFx;
  Fx() : Object(kKind) {}
  FrontEnd front;
  std::shared_ptr<JumpBack> consumer;
  bool consumer_of_source = false;
  bool endpointing = true;
  std::int32_t trailing_ms = 500, complete_ms = 180, timeout_ms = 5000, max_speech_ms = 15000;
};

struct Source : Object {
  static constexpr Kind kKind = Kind::kSource;
  Source() : Object(kKind) {}
  std::shared_ptr<Speech> speech;
  std::shared_ptr<Fx> consumer;
  std::size_t frame = 160;  // samples per recogniser frame
  std::atomic<bool> break_requested{false};
  bool started = false;
  std::uint32_t finished = 0;
  enum class Phase { kListening, kSpeech } phase = Phase::kListening;
  const std::int16_t* supplied = nullptr;
  std::size_t supplied_count = 0, supplied_at = 0;
  std::vector<std::int16_t> carry, work;
  std::uint32_t position = 0;
  int frames_listened = 0, silence_ms = 0, speech_ms = 0, onset_run = 0;
};

struct Result : Object {
  static constexpr Kind kKind = Kind::kResult;
  Result() : Object(kKind) {}
  ResultData data;
  std::u16string start_rule;
  std::vector<std::u16string> texts;
  std::vector<LH_ASR_WORD_ENTRY> entries;
  LH_ASR_RESULT_INFO info{};
};


// The confidence (0-10000) of a path through the grammar that scores
// `per_frame` nats per frame below the free phone loop.
std::uint32_t ConfidenceFromScores(double per_frame);

// Where the grapheme-to-phoneme helper is: $ONDRIX_G2P, else ondrix-g2p
// beside the library holding this code.
std::filesystem::path G2PHelper();

}  // namespace talvane::vocon
