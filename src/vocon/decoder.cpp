#include "vocon/decoder.h"

#include <pocketsphinx.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/err.h>
#include <sphinxbase/feat.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/logmath.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "grisk/language_model.h"

namespace talvane::vocon {

namespace {

// PocketSphinx logs through one process-wide stream; the engine keeps it
// quiet unless its own trace is on.
void QuietLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* t = std::getenv("TALVANE_DECODER_LOG");
    if (!t || !*t) err_set_logfp(nullptr);
  });
}

// The silence after the speech that the cepstral mean takes in: what a
// whole phrase waits for (180 ms). A mean that took in whatever the
// endpointing waited for would drift with it (a long wait after speech that
// fits no command pulls it towards silence, and the next commands suffer).
constexpr int kTrailingMeanFrames = 18;

// The live cepstral mean of a decoder; null when it keeps none.
cmn_t* MeanOf(ps_decoder_t* ps) {
  feat_t* feat = ps ? ps_get_feat(ps) : nullptr;
  return feat && feat->cmn_struct && feat->cmn_struct->veclen > 0 ? feat->cmn_struct : nullptr;
}

// The cepstral mean starts at the model's -cmninit, but PocketSphinx gives
// that start no weight: after the first utterance the mean would be that
// one utterance's alone, which is far from the long-run mean the model
// needs. Giving the start the weight of a few seconds of speech lets the
// mean move towards the speaker and microphone gradually.
// `start` (comma-separated, as -cmninit) replaces the model's start; the
// model's feat.params would otherwise override a -cmninit setting.
void WeightCepstralMean(ps_decoder_t* ps, const std::string& start) {
  cmn_t* c = MeanOf(ps);
  if (!c) return;
  std::vector<mfcc_t> mean(static_cast<std::size_t>(c->veclen));
  cmn_live_get(c, mean.data());
  std::size_t i = 0, at = 0;
  while (i < mean.size() && at < start.size()) {
    auto comma = start.find(',', at);
    if (comma == std::string::npos) comma = start.size();
    char* end = nullptr;
    const std::string item = start.substr(at, comma - at);
    const double v = std::strtod(item.c_str(), &end);
    if (end != item.c_str()) mean[i] = static_cast<mfcc_t>(v);
    ++i;
    at = comma + 1;
  }
  cmn_live_set(c, mean.data());
}

cmd_ln_t* MakeConfig(const std::map<std::string, std::string>& settings, std::string* error) {
  std::vector<std::string> args;
  for (const auto& [k, v] : settings) {
    args.push_back("-" + k);
    args.push_back(v);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("talvane"));
  for (auto& a : args) argv.push_back(a.data());
  cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), static_cast<int>(argv.size()), argv.data(), TRUE);
  if (!config && error) *error = "the decoder refused its settings";
  return config;
}


}  // namespace

std::vector<std::pair<std::string, std::string>> DefaultDecoderSettings() {
  return {
      // The audio source finds the speech; the decoder sees all of it.
      {"remove_silence", "no"},
      {"fsgusefiller", "yes"},
      {"bestpath", "no"},
      // Alternatives are words of their own in the network (see WordSays).
      {"fsgusealtpron", "no"},
      // Wide beams: the network is large (thousands of navaids) and narrow
      // beams prune the right path away early in an utterance.
      {"beam", "1e-80"},
      {"pbeam", "1e-80"},
      {"wbeam", "1e-60"},
  };
}

std::unique_ptr<Decoder> Decoder::Create(const DecoderOptions& options, std::string* error) {
  QuietLog();
  std::map<std::string, std::string> settings;
  for (const auto& [k, v] : DefaultDecoderSettings()) settings[k] = v;
  std::filesystem::path phone_lm = options.phone_lm;
  std::string cmn_start;
  double garbage = 0;
  for (const auto& [k, v] : options.settings) {
    if (k == "allphone") {
      phone_lm = v;  // the phone loop's model, not a search of the grammar decoder
      continue;
    }
    if (k == "cmninit") {
      cmn_start = v;
      continue;
    }
    if (k == "garbage") {
      char* end = nullptr;
      garbage = std::strtod(v.c_str(), &end);
      if (end == v.c_str() || *end || !(garbage >= 0 && garbage < 1)) {
        if (error) *error = "the decoder setting garbage must be a probability below 1";
        return nullptr;
      }
      continue;
    }
    settings[k] = v;
  }
  // A speaker's model may carry its own transform of the means (see the
  // voice training); it is part of the model, for both searches.
  const std::filesystem::path mllr = options.acoustic_model / bgm::kMllrFile;
  if (std::error_code ec; !settings.count("mllr") && std::filesystem::exists(mllr, ec)) settings["mllr"] = mllr.string();
  settings["hmm"] = options.acoustic_model.string();
  settings["samprate"] = std::to_string(options.sample_rate);

  std::unique_ptr<Decoder> d(new Decoder());
  cmd_ln_t* config = MakeConfig(settings, error);
  if (!config) return nullptr;
  d->ps_ = ps_init(config);
  if (d->ps_) {
    d->frame_rate_ = cmd_ln_int32_r(config, "-frate");
    d->lw_ = cmd_ln_float32_r(config, "-lw");
  }
  cmd_ln_free_r(config);
  if (!d->ps_) {
    if (error) *error = "the acoustic model " + options.acoustic_model.string() + " cannot be loaded";
    return nullptr;
  }
  WeightCepstralMean(d->ps_, cmn_start);
  if (!phone_lm.empty()) {
    // The phone loop only scores the audio: context-independent phones and
    // the decoder's usual beams are enough, and cost a fraction.
    settings["allphone"] = phone_lm.string();
    settings["allphone_ci"] = "yes";
    settings["beam"] = "1e-48";
    settings["pbeam"] = "1e-48";
    settings["wbeam"] = "7e-29";
    settings.erase("fsgusefiller");
    settings.erase("fsgusealtpron");
    cmd_ln_t* lc = MakeConfig(settings, error);
    if (!lc) return nullptr;
    d->loop_ = ps_init(lc);
    cmd_ln_free_r(lc);
    if (!d->loop_) {
      if (error) *error = "the phone model " + phone_lm.string() + " cannot be loaded";
      return nullptr;
    }
    WeightCepstralMean(d->loop_, cmn_start);
  }
  if (garbage > 0) {
    for (const auto& phone : options.phones) {
      // A phone the model lacks is refused by the dictionary and left out.
      const std::string name = "+g+" + phone;
      if (ps_add_word(d->ps_, name.c_str(), phone.c_str(), FALSE) >= 0) d->garbage_names_.insert(name);
    }
    d->garbage_prob_ = garbage;
  }
  return d;
}

Decoder::~Decoder() {
  if (ps_) ps_free(ps_);
  if (loop_) ps_free(loop_);
}

const std::vector<Decoder::Say>& Decoder::WordSays(const NetworkWord& w) {
  std::string key = w.text;
  for (const auto& p : w.pronunciations) key += '\t' + p;
  auto found = word_says_.find(key);
  if (found != word_says_.end()) return found->second;
  std::vector<Say> says;
  for (const auto& p : w.pronunciations) {
    const std::string& name = DictionaryName(w.text + '\t' + p, p);
    if (!name.empty()) says.push_back({name, p, w.text + '\t' + p});
  }
  return word_says_.emplace(key, std::move(says)).first->second;
}

const std::string& Decoder::DictionaryName(const std::string& key, const std::string& phones) {
  auto it = dict_names_.find(key);
  if (it == dict_names_.end()) {
    std::string name = "w" + std::to_string(dict_names_.size());
    if (ps_add_word(ps_, name.c_str(), phones.c_str(), FALSE) < 0) name.clear();  // a phone the model lacks
    it = dict_names_.emplace(key, name).first;
  }
  return it->second;
}

namespace {

// One arc of the decoder's graph: a dictionary word between two of its states.
struct GraphArc {
  std::int32_t from, to;  // `to` -1: the final state
  double prob;
  const std::string* name;
};

// Words said one after another with no choice between them become one
// dictionary word: a state with one way in and few ways on is folded into
// its predecessor. PocketSphinx does work for every state of the graph and
// every phone on every frame, so fewer states is a faster search.
constexpr std::uint32_t kMaxFoldedWords = 4;  // words in one dictionary word
constexpr std::uint32_t kMaxFoldedSays = 8;   // ways of saying one folded sequence
constexpr std::uint32_t kMaxFoldFanOut = 8;   // ways on from a folded state

}  // namespace

bool Decoder::Load(const Network& net, const WordDfa& dfa, std::vector<std::string>* unusable, std::string* error) {
  if (in_utterance_) Abort();
  current_.clear();
  has_grammar_ = false;
  std::vector<const std::vector<Say>*> says(net.Words().size(), nullptr);
  for (const auto& a : dfa.arcs) {
    if (says[a.word]) continue;
    says[a.word] = &WordSays(net.Words()[a.word]);
    if (says[a.word]->empty() && unusable) unusable->push_back(net.Words()[a.word].text);
  }
  if (dfa.Empty()) return true;  // nothing can be recognised

  const std::uint32_t n = static_cast<std::uint32_t>(dfa.StateCount());
  auto usable = [&](std::uint32_t k) { return !says[dfa.arcs[k].word]->empty(); };
  // Ways on (usable arcs and the end), ways in, and the one arc into each
  // state that has only one.
  std::vector<std::uint32_t> out(n, 0), in(n, 0), in_arc(n, 0);
  for (std::uint32_t s = 0; s < n; ++s) {
    out[s] = dfa.final[s] ? 1 : 0;
    for (auto k = dfa.first[s]; k < dfa.first[s + 1]; ++k)
      if (usable(k)) {
        ++out[s];
        ++in[dfa.arcs[k].to];
        in_arc[dfa.arcs[k].to] = k;
      }
  }
  std::vector<std::uint32_t> from_of(dfa.arcs.size());
  for (std::uint32_t s = 0; s < n; ++s)
    for (auto k = dfa.first[s]; k < dfa.first[s + 1]; ++k) from_of[k] = s;
  // States in an order where every arc goes forward (the automaton is acyclic).
  std::vector<std::uint32_t> order, pending(in);
  order.reserve(n);
  order.push_back(0);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto s = order[i];
    for (auto k = dfa.first[s]; k < dfa.first[s + 1]; ++k)
      if (usable(k) && --pending[dfa.arcs[k].to] == 0) order.push_back(dfa.arcs[k].to);
  }
  // Which states stay, and for a folded one how many words and ways of
  // saying them lead to it from the state that stays before it.
  std::vector<std::uint8_t> keep(n, 1);
  std::vector<std::uint32_t> depth(n, 0), ways(n, 1);
  for (const auto s : order) {
    if (s == 0 || in[s] != 1 || out[s] > kMaxFoldFanOut) continue;
    const auto k = in_arc[s];
    const auto p = from_of[k];
    const std::uint32_t d = (keep[p] ? 0 : depth[p]) + 1;
    const std::uint32_t w = (keep[p] ? 1 : ways[p]) * static_cast<std::uint32_t>(says[dfa.arcs[k].word]->size());
    std::uint32_t widest = 1;
    for (auto j = dfa.first[s]; j < dfa.first[s + 1]; ++j)
      if (usable(j)) widest = std::max<std::uint32_t>(widest, static_cast<std::uint32_t>(says[dfa.arcs[j].word]->size()));
    if (d >= kMaxFoldedWords || w * widest > kMaxFoldedSays) continue;
    keep[s] = 0;
    depth[s] = d;
    ways[s] = w;
  }
  std::vector<std::int32_t> index(n, -1);
  std::int32_t kept = 0;
  for (const auto s : order)
    if (keep[s]) index[s] = kept++;

  // The arcs of the graph, from every state that stays along the folded
  // states after it. Every way on from a state is equally likely, whichever
  // way it is said, so a folded word has the product of its choices.
  std::vector<GraphArc> arcs;
  std::vector<std::uint32_t> seq;
  std::vector<const Say*> chosen;
  auto emit = [&](std::int32_t from, std::int32_t to, double prob) {
    // Every combination of the sequence's ways of saying it.
    std::function<void(std::size_t)> pick = [&](std::size_t i) {
      if (i == seq.size()) {
        const std::string* name;
        if (chosen.size() == 1) {
          name = &chosen[0]->name;
        } else {
          std::string key, phones;
          for (const Say* c : chosen) {
            key += (key.empty() ? "" : "\n") + c->key;
            phones += (phones.empty() ? "" : " ") + c->phones;
          }
          name = &DictionaryName(key, phones);
          if (name->empty()) return;
        }
        current_.try_emplace(*name, seq);
        arcs.push_back({from, to, prob, name});
        return;
      }
      for (const Say& say : *says[seq[i]]) {
        chosen.push_back(&say);
        pick(i + 1);
        chosen.pop_back();
      }
    };
    pick(0);
  };
  std::function<void(std::int32_t, std::uint32_t, double)> walk = [&](std::int32_t from, std::uint32_t s, double prob) {
    const double each = prob / out[s];
    if (dfa.final[s] && !seq.empty()) emit(from, -1, each);
    for (auto k = dfa.first[s]; k < dfa.first[s + 1]; ++k) {
      if (!usable(k)) continue;
      const auto to = dfa.arcs[k].to;
      seq.push_back(dfa.arcs[k].word);
      if (keep[to])
        emit(from, index[to], each);
      else
        walk(from, to, each);
      seq.pop_back();
    }
  };
  for (const auto s : order)
    if (keep[s]) walk(index[s], s, 1.0);

  logmath_t* lmath = ps_get_logmath(ps_);
  // sphinxbase keeps a state's transitions in a small fixed hash table, so
  // adding thousands to one state takes quadratic time: a state with many
  // ways on hands them out through empty moves to helper states of at most
  // kFan each.
  constexpr std::uint32_t kFan = 512;
  std::vector<std::uint32_t> fan(static_cast<std::size_t>(kept), 0);
  for (const auto& a : arcs) ++fan[static_cast<std::size_t>(a.from)];
  std::int32_t helpers = 0;
  for (const auto f : fan)
    if (f > kFan) helpers += static_cast<std::int32_t>((f + kFan - 1) / kFan);
  const std::int32_t final_state = kept;
  const bool garbage = !garbage_names_.empty();
  const std::int32_t garbage_state = kept + 1 + helpers;
  fsg_model_t* fsg = fsg_model_init("talvane", lmath, lw_, kept + 1 + helpers + (garbage ? 1 : 0));
  if (garbage) {
    // Beside the commands, any string of phones, each at a fixed cost: speech
    // that fits no command fits this loop better than the nearest command,
    // and the search itself then rejects it.
    const std::int32_t logp = static_cast<std::int32_t>(logmath_log(lmath, garbage_prob_) * lw_);
    for (const auto& name : garbage_names_) {
      const int w = fsg_model_word_add(fsg, name.c_str());
      fsg_model_trans_add(fsg, 0, garbage_state, logp, w);
      fsg_model_trans_add(fsg, garbage_state, garbage_state, logp, w);
    }
    fsg_model_null_trans_add(fsg, garbage_state, final_state, 0);
  }
  fsg->start_state = 0;
  fsg->final_state = final_state;
  // fsg_model_word_add looks words up one by one; each is added once.
  std::unordered_map<std::string, int> wids;
  auto wid_of = [&](const std::string& name) {
    auto [it, added] = wids.try_emplace(name, 0);
    if (added) it->second = fsg_model_word_add(fsg, name.c_str());
    return it->second;
  };
  std::int32_t next_helper = kept + 1;
  std::vector<std::int32_t> helper(static_cast<std::size_t>(kept), -1);
  std::vector<std::uint32_t> in_helper(static_cast<std::size_t>(kept), kFan);
  for (const auto& a : arcs) {
    const auto f = static_cast<std::size_t>(a.from);
    std::int32_t from = a.from;
    if (fan[f] > kFan) {
      if (in_helper[f] == kFan) {
        helper[f] = next_helper++;
        fsg_model_null_trans_add(fsg, a.from, helper[f], 0);
        in_helper[f] = 0;
      }
      ++in_helper[f];
      from = helper[f];
    }
    const std::int32_t logp = static_cast<std::int32_t>(logmath_log(lmath, a.prob) * lw_);
    fsg_model_trans_add(fsg, from, a.to < 0 ? final_state : a.to, logp, wid_of(*a.name));
  }
  for (const auto s : order)
    if (keep[s] && dfa.final[s])
      fsg_model_null_trans_add(fsg, index[s], final_state,
                               static_cast<std::int32_t>(logmath_log(lmath, 1.0 / out[s]) * lw_));
  // A new name each time: the search being replaced may still be the
  // current one until the new one is set.
  const std::string old = "talvane" + std::to_string(grammar_serial_);
  const std::string search = "talvane" + std::to_string(++grammar_serial_);
  const bool ok = ps_set_fsg(ps_, search.c_str(), fsg) == 0 && ps_set_search(ps_, search.c_str()) == 0;
  fsg_model_free(fsg);
  if (ok) ps_unset_search(ps_, old.c_str());
  if (!ok) {
    if (error) *error = "the decoder refused the grammar network";
    return false;
  }
  has_grammar_ = true;
  return true;
}

void Decoder::Mark(ps_decoder_s* d, MeanMark& m) {
  const cmn_t* c = MeanOf(d);
  if (!c) return;
  m.sum.assign(c->sum, c->sum + c->veclen);
  m.nframe = c->nframe;
}

void Decoder::LimitTrailing(ps_decoder_s* d, const MeanMark& m, int frames) {
  cmn_t* c = MeanOf(d);
  if (!c || m.nframe < 0) return;
  const int trailing = c->nframe - m.nframe;
  // Nothing to limit; or fewer frames than at the mark: the running window
  // was shifted since, and the sums no longer compare.
  if (trailing <= frames || static_cast<std::size_t>(c->veclen) != m.sum.size()) return;
  const double keep = static_cast<double>(frames) / trailing;
  for (int i = 0; i < c->veclen; ++i)
    c->sum[i] = static_cast<mfcc_t>(m.sum[static_cast<std::size_t>(i)] + (c->sum[i] - m.sum[static_cast<std::size_t>(i)]) * keep);
  c->nframe = m.nframe + frames;
}

std::vector<float> Decoder::CepstralMean() const {
  cmn_t* c = MeanOf(ps_);
  if (!c) return {};
  std::vector<mfcc_t> mean(static_cast<std::size_t>(c->veclen));
  cmn_live_get(c, mean.data());
  return std::vector<float>(mean.begin(), mean.end());
}

void Decoder::UpdateMean(ps_decoder_s* d) {
  if (cmn_t* c = MeanOf(d)) cmn_live_update(c);
}

void Decoder::MarkSpeech() {
  if (!in_utterance_) return;
  Mark(ps_, mark_);
  if (loop_) Mark(loop_, loop_mark_);
}

bool Decoder::Start() {
  if (in_utterance_) Abort();
  if (!has_grammar_) return false;
  mark_ = MeanMark{};
  loop_mark_ = MeanMark{};
  start_mean_ = SaveMean(ps_);
  audio_.clear();
  if (ps_start_utt(ps_) < 0) return false;
  if (loop_ && ps_start_utt(loop_) < 0) {
    ps_end_utt(ps_);
    return false;
  }
  in_utterance_ = true;
  return true;
}

bool Decoder::Process(const std::int16_t* samples, std::size_t count, bool whole) {
  if (!in_utterance_) return false;
  audio_.insert(audio_.end(), samples, samples + count);
  if (ps_process_raw(ps_, samples, count, FALSE, whole) < 0) return false;
  if (loop_ && ps_process_raw(loop_, samples, count, FALSE, whole) < 0) return false;
  return true;
}

std::vector<std::uint32_t> Decoder::Partial(bool* outside) {
  std::vector<std::uint32_t> words;
  if (outside) *outside = false;
  if (!in_utterance_) return words;
  std::int32_t score = 0;
  const char* hyp = ps_get_hyp(ps_, &score);
  if (!hyp) return words;
  std::string_view h(hyp);
  while (!h.empty()) {
    const auto sp = h.find(' ');
    const auto w = h.substr(0, sp);
    if (auto it = current_.find(std::string(w)); it != current_.end())
      words.insert(words.end(), it->second.begin(), it->second.end());
    else if (outside && garbage_names_.count(w))
      *outside = true;
    if (sp == std::string_view::npos) break;
    h.remove_prefix(sp + 1);
  }
  return words;
}

Decoder::Outcome Decoder::End() {
  Outcome o;
  if (!in_utterance_) return o;
  in_utterance_ = false;
  LimitTrailing(ps_, mark_, kTrailingMeanFrames);
  if (loop_) LimitTrailing(loop_, loop_mark_, kTrailingMeanFrames);
  ps_end_utt(ps_);
  if (loop_) ps_end_utt(loop_);
  // The decoder updates the mean at the end of an utterance only when
  // frames were still waiting to be processed; which depends on how the
  // audio happened to split into frames. Every utterance updates it here.
  UpdateMean(ps_);
  if (loop_) UpdateMean(loop_);
  logmath_t* lmath = ps_get_logmath(ps_);
  std::int32_t score = 0;
  const char* hyp = ps_get_hyp(ps_, &score);
  // Scores over the speech only: from where the phone loop or the grammar's
  // words first hear speech to where they last do. The silence around it
  // scores alike in both searches and would only thin the difference out;
  // speech the grammar's path leaves to its silence and noise models counts
  // against it.
  using Seg = Segment;
  auto segments = [](ps_decoder_t* d, const std::function<bool(const char*)>& is_speech) {
    std::vector<Seg> out;
    for (ps_seg_t* seg = ps_seg_iter(d); seg; seg = ps_seg_next(seg)) {
      std::int32_t ascr = 0, lscr = 0, lback = 0;
      ps_seg_prob(seg, &ascr, &lscr, &lback);
      int sf = 0, ef = 0;
      ps_seg_frames(seg, &sf, &ef);
      out.push_back({sf, ef, ascr, is_speech(ps_seg_word(seg))});
    }
    CountFromStart(out);
    return out;
  };
  auto sum = [](const std::vector<Seg>& segs, int lo, int hi) {
    double total = 0;
    for (const auto& sg : segs) {
      const int a = std::max(sg.sf, lo), b = std::min(sg.ef, hi);
      if (b >= a && sg.ef >= sg.sf) total += static_cast<double>(sg.ascr) * (b - a + 1) / (sg.ef - sg.sf + 1);
    }
    return total;
  };
  int first = -1, last = -1;
  std::vector<Seg> grammar;
  // A path through the out-of-grammar loop is no command: no words, and the
  // result is rejected.
  if (hyp && !garbage_names_.empty()) {
    for (ps_seg_t* seg = ps_seg_iter(ps_); seg; seg = ps_seg_next(seg))
      if (garbage_names_.count(ps_seg_word(seg))) {
        ps_seg_free(seg);
        return o;
      }
  }
  if (hyp) {
    o.complete = true;
    grammar = segments(ps_, [&](const char* w) {
      auto it = current_.find(std::string(w));
      if (it == current_.end()) return false;
      o.words.insert(o.words.end(), it->second.begin(), it->second.end());
      return true;
    });
    for (const auto& sg : grammar)
      if (sg.speech) {
        if (first < 0) first = sg.sf;
        last = sg.ef;
      }
  }
  if (first >= 0 && loop_) {
    const auto loop = segments(loop_, [](const char* phone) { return std::string_view(phone) != "SIL"; });
    for (const auto& sg : loop)
      if (sg.speech && sg.ef - sg.sf >= 2) {
        first = std::min(first, sg.sf);
        last = std::max(last, sg.ef);
      }
    o.loop_score = logmath_log_to_ln(ps_get_logmath(loop_), static_cast<int>(std::max<double>(sum(loop, first, last), INT32_MIN)));
    o.has_loop = true;
  }
  if (first >= 0)
    o.grammar_score = logmath_log_to_ln(lmath, static_cast<int>(std::max<double>(sum(grammar, first, last), INT32_MIN)));
  o.frames = first >= 0 ? last - first + 1 : 0;
  return o;
}

void Decoder::CountFromStart(std::vector<Segment>& path) {
  int start = INT32_MAX;
  for (const auto& sg : path)
    if (sg.ef > sg.sf || sg.ascr != 0) start = std::min(start, sg.sf);
  if (start == INT32_MAX) return;
  for (auto& sg : path) {
    sg.sf -= start;
    sg.ef -= start;
  }
}

Decoder::MeanState Decoder::SaveMean(ps_decoder_s* d) {
  MeanState m;
  if (const cmn_t* c = MeanOf(d)) {
    m.mean.assign(c->cmn_mean, c->cmn_mean + c->veclen);
    m.sum.assign(c->sum, c->sum + c->veclen);
    m.nframe = c->nframe;
  }
  return m;
}

void Decoder::RestoreMean(ps_decoder_s* d, const MeanState& m) {
  cmn_t* c = MeanOf(d);
  if (!c || m.nframe < 0 || static_cast<std::size_t>(c->veclen) != m.mean.size()) return;
  std::copy(m.mean.begin(), m.mean.end(), c->cmn_mean);
  std::copy(m.sum.begin(), m.sum.end(), c->sum);
  c->nframe = m.nframe;
}

std::optional<bool> Decoder::SwapWins(const Network& net, const std::vector<std::uint32_t>& result,
                                     const std::vector<std::uint32_t>& other, double handicap) {
  if (in_utterance_ || !has_grammar_ || audio_.empty() || result.empty() || other.empty()) return std::nullopt;
  logmath_t* lmath = ps_get_logmath(ps_);
  const std::string main = "talvane" + std::to_string(grammar_serial_), align = "talvane-swap";
  // Two chains of states from the start to the end, one for each sentence;
  // every way of saying a word equally good, so that only the sounds
  // decide; the result's first step carries the handicap (the other's, a
  // negative one).
  const auto states = static_cast<std::int32_t>(result.size() + other.size());
  fsg_model_t* fsg = fsg_model_init(align.c_str(), lmath, lw_, states);
  fsg->start_state = 0;
  fsg->final_state = states - 1;
  std::set<std::string, std::less<>> result_says, other_says;
  bool sayable = true;
  std::int32_t next = 1;
  auto chain = [&](const std::vector<std::uint32_t>& words, std::int32_t first_logp,
                   std::set<std::string, std::less<>>& says_of) {
    std::int32_t from = 0;
    for (std::size_t k = 0; k < words.size(); ++k) {
      const std::int32_t to = k + 1 == words.size() ? fsg->final_state : next++;
      const auto& says = WordSays(net.Words()[words[k]]);
      sayable = sayable && !says.empty();
      for (const Say& say : says) {
        fsg_model_trans_add(fsg, from, to, k == 0 ? first_logp : 0, fsg_model_word_add(fsg, say.name.c_str()));
        says_of.insert(say.name);
      }
      from = to;
    }
  };
  chain(result, -logmath_ln_to_log(lmath, std::max(0.0, handicap)), result_says);
  chain(other, -logmath_ln_to_log(lmath, std::max(0.0, -handicap)), other_says);
  // The words the two sentences share say nothing about which one won.
  std::set<std::string, std::less<>> only_result, only_other;
  std::set_difference(result_says.begin(), result_says.end(), other_says.begin(), other_says.end(),
                      std::inserter(only_result, only_result.end()));
  std::set_difference(other_says.begin(), other_says.end(), result_says.begin(), result_says.end(),
                      std::inserter(only_other, only_other.end()));
  const bool ok = sayable && ps_set_fsg(ps_, align.c_str(), fsg) == 0 && ps_set_search(ps_, align.c_str()) == 0;
  fsg_model_free(fsg);
  std::optional<bool> out;
  const MeanState after = SaveMean(ps_);
  if (ok) {
    RestoreMean(ps_, start_mean_);
    if (ps_start_utt(ps_) >= 0) {
      ps_process_raw(ps_, audio_.data(), audio_.size(), FALSE, FALSE);
      ps_end_utt(ps_);
      std::int32_t score = 0;
      if (ps_get_hyp(ps_, &score)) {
        // Only a path through every word of one of them counts.
        std::size_t said = 0;
        bool by_result = false, by_other = false;
        for (ps_seg_t* seg = ps_seg_iter(ps_); seg; seg = ps_seg_next(seg)) {
          const char* w = ps_seg_word(seg);
          said += result_says.count(w) || other_says.count(w);
          by_result = by_result || only_result.count(w);
          by_other = by_other || only_other.count(w);
        }
        if (by_other != by_result && said == (by_other ? other : result).size()) out = by_other;
      }
    }
  }
  ps_set_search(ps_, main.c_str());
  ps_unset_search(ps_, align.c_str());
  RestoreMean(ps_, after);
  return out;
}

void Decoder::Abort() {
  if (!in_utterance_) return;
  in_utterance_ = false;
  ps_end_utt(ps_);
  if (loop_) ps_end_utt(loop_);
}

}  // namespace talvane::vocon
