// The search under the recogniser: PocketSphinx decoding a context's word
// automaton as a finite-state grammar, and beside it a free phone loop over
// the same audio. The phone loop is the best the acoustic model can say
// about the sounds with no grammar at all; how far the grammar's best path
// falls behind it per frame measures how well the utterance fits the
// grammar, and gives the confidence and the rejection of speech that does
// not.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "vocon/network.h"

struct ps_decoder_s;

namespace talvane::vocon {

struct DecoderOptions {
  std::filesystem::path acoustic_model;
  int sample_rate = 16000;
  // "-NAME VALUE" settings, applied after the defaults below.
  std::vector<std::pair<std::string, std::string>> settings;
  // Phone n-gram model of the phone loop; empty: no phone loop (every
  // complete hypothesis then gets the full confidence).
  std::filesystem::path phone_lm;
  // The model's phones: the out-of-grammar loop's words (setting "garbage",
  // the probability of each of its phones; 0 or unset: no such loop).
  std::vector<std::string> phones;
};

// The settings the decoder starts from; DecoderOptions::settings override them.
std::vector<std::pair<std::string, std::string>> DefaultDecoderSettings();

class Decoder {
 public:
  static std::unique_ptr<Decoder> Create(const DecoderOptions& options, std::string* error);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  int FramesPerSecond() const { return frame_rate_; }

  // Makes `dfa` (over `net`'s words) the grammar searched from the next
  // utterance on. Words whose every pronunciation uses a phone the model
  // lacks cannot be spoken; their arcs are dropped and they are listed in
  // `unusable`. false with `error` when the decoder refuses the grammar.
  bool Load(const Network& net, const WordDfa& dfa, std::vector<std::string>* unusable, std::string* error);
  bool HasGrammar() const { return has_grammar_; }

  bool Start();
  bool Process(const std::int16_t* samples, std::size_t count, bool whole = false);
  // The audio processed so far ended in speech. The silence after the last
  // such point counts towards the cepstral mean as `kTrailingMeanFrames`
  // frames of it, however long the endpointing waited.
  void MarkSpeech();
  // The cepstral mean the next utterance starts from.
  std::vector<float> CepstralMean() const;
  // The best words so far (network word ids). `outside` tells whether the
  // best path so far runs through the out-of-grammar loop.
  std::vector<std::uint32_t> Partial(bool* outside = nullptr);

  struct Outcome {
    bool complete = false;               // a path through the grammar was found
    std::vector<std::uint32_t> words;    // its words (network ids)
    int frames = 0;                      // frames searched
    double grammar_score = 0;            // acoustic log-likelihood of that path (natural log)
    double loop_score = 0;               // of the phone loop over the same frames
    bool has_loop = false;
  };
  Outcome End();
  void Abort();

  // One step of a search's best path: its first and last frame, acoustic
  // score, and whether it is speech (not silence or noise).
  struct Segment {
    int sf, ef;
    std::int32_t ascr;
    bool speech;
  };
  // Renumbers a path's frames from the utterance's start. PocketSphinx counts
  // frames on from utterance to utterance, and the grammar decoder also hears
  // audio scored again after an utterance (SwapWins), so the two
  // decoders' numbers drift apart. A grammar path opens with a null step that
  // carries the frame before its first one; a step that heard nothing (no
  // frames, no score) marks no start.
  static void CountFromStart(std::vector<Segment>& path);

  // After End: whether `other` fits the utterance's audio better than
  // `result` does with `handicap` (natural log, over the whole utterance)
  // taken off it (a negative one is taken off `other`). The two sentences (network ids) are searched together,
  // from the cepstral mean the utterance started with: scores of separate
  // searches do not compare, since each frame is scored against the best
  // state of its own search, and a sentence that fits badly is scored
  // against a weaker best. nullopt when the search followed neither through.
  // The grammar, and the cepstral mean the next utterance starts from, stay
  // as End left them.
  std::optional<bool> SwapWins(const Network& net, const std::vector<std::uint32_t>& result,
                               const std::vector<std::uint32_t>& other, double handicap);

 private:
  Decoder() = default;
  // One way of saying a network word: its dictionary word, phones, and the
  // key of that pair.
  struct Say {
    std::string name, phones, key;
  };
  // The dictionary words of a network word, one per pronunciation the model
  // can say.
  const std::vector<Say>& WordSays(const NetworkWord& w);
  // The dictionary word for `key` said as `phones`, added on first use; ""
  // when the model lacks one of the phones.
  const std::string& DictionaryName(const std::string& key, const std::string& phones);

  ps_decoder_s* ps_ = nullptr;
  ps_decoder_s* loop_ = nullptr;
  int frame_rate_ = 100;
  float lw_ = 6.5f;
  bool has_grammar_ = false;
  bool in_utterance_ = false;
  int grammar_serial_ = 0;
  // Dictionary words added so far: text and pronunciation -> name. Each
  // pronunciation is a word of its own ("w12", "w13"), so that the grammar
  // network, not the dictionary, holds the alternatives.
  std::unordered_map<std::string, std::string> dict_names_;
  std::unordered_map<std::string, std::vector<Say>> word_says_;
  // Of the loaded grammar: decoder word name -> the network words it says.
  std::unordered_map<std::string, std::vector<std::uint32_t>> current_;
  std::set<std::string, std::less<>> garbage_names_;
  double garbage_prob_ = 0;

  // The cepstral mean's running sums at the last speech, per search.
  struct MeanMark {
    std::vector<float> sum;
    int nframe = -1;
  };
  static void Mark(ps_decoder_s* d, MeanMark& m);
  static void LimitTrailing(ps_decoder_s* d, const MeanMark& m, int frames);
  static void UpdateMean(ps_decoder_s* d);
  MeanMark mark_, loop_mark_;

  // The whole state of a cepstral mean, to score the audio again from the
  // same start and put the mean back afterwards.
  struct MeanState {
    std::vector<float> mean, sum;
    int nframe = -1;
  };
  static MeanState SaveMean(ps_decoder_s* d);
  static void RestoreMean(ps_decoder_s* d, const MeanState& m);
  MeanState start_mean_;
  // What the grammar search heard of the current or last utterance.
  std::vector<std::int16_t> audio_;
};

}  // namespace talvane::vocon
