// The lhs_* calls over the objects of objects.h.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <new>

#include "common/files.h"
#include "common/text.h"
#include "grisk/bgm_format.h"
#include "grisk/pronunciation.h"
#include "vocon/objects.h"

namespace talvane::vocon {

// ---- handles ----

HandleTable& Handles() {
  static HandleTable* table = new HandleTable();  // outlives every static destructor
  return *table;
}

LH_OBJECT HandleTable::Add(std::shared_ptr<Object> object) {
  std::lock_guard lock(mutex_);
  std::uint32_t slot;
  if (!free_.empty()) {
    slot = free_.back();
    free_.pop_back();
  } else {
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Slot& s = slots_[slot];
  if (++s.serial == 0) s.serial = 1;
  s.object = std::move(object);
  return LH_OBJECT{slot + 1, s.serial};
}

std::shared_ptr<Object> HandleTable::Get(LH_OBJECT h, Kind kind) {
  std::lock_guard lock(mutex_);
  if (h.pObj == 0 || h.pObj > slots_.size()) return nullptr;
  const Slot& s = slots_[h.pObj - 1];
  if (s.serial != h.pStamp || !s.object || s.object->kind != kind) return nullptr;
  return s.object;
}

std::shared_ptr<Object> HandleTable::Remove(LH_OBJECT h, Kind kind) {
  std::lock_guard lock(mutex_);
  if (h.pObj == 0 || h.pObj > slots_.size()) return nullptr;
  Slot& s = slots_[h.pObj - 1];
  if (s.serial != h.pStamp || !s.object || s.object->kind != kind) return nullptr;
  free_.push_back(h.pObj - 1);
  return std::move(s.object);
}

std::size_t HandleTable::Count() {
  std::lock_guard lock(mutex_);
  return slots_.size() - free_.size();
}

// ---- confidence ----

// The grammar's best path scores lower than the free phone loop; how much
// lower per frame of speech says how well the speech fits. Calibrated on
// synthesised commands and out-of-grammar sentences (docs/engine.md).
std::uint32_t ConfidenceFromScores(double per_frame) {
  // PocketSphinx's acoustic scores are scaled down by 2^10; in its units
  // commands lie around -3.5e-3 per frame, other speech around -6e-3.
  // Confidence 3500, the engine's rejection threshold, falls at -5.3e-3.
  constexpr double kMidpoint = -4.99e-3, kSpread = 0.5e-3;
  const double c = 10000.0 / (1.0 + std::exp(-(per_frame - kMidpoint) / kSpread));
  return static_cast<std::uint32_t>(std::clamp(std::lround(c), 0L, 10000L));
}

std::filesystem::path G2PHelper() {
  if (const char* e = std::getenv("ONDRIX_G2P"); e && *e) return e;
  auto p = grisk::BesideLibrary(reinterpret_cast<const void*>(&G2PHelper), "ondrix-g2p");
  std::error_code ec;
  if (!p.empty() && std::filesystem::exists(p, ec)) return p;
  return {};
}

// ---- context and recogniser ----

std::vector<bool> Context::ActiveStarts() const {
  std::vector<bool> active;
  for (const auto& s : network->Starts()) active.push_back(grammars[s.grammar]->active[s.rule] != 0);
  return active;
}

std::uint64_t Context::Version() const {
  std::uint64_t v = 0;
  for (const auto& g : grammars) v = v * 1000003u + g->version.load();
  return v;
}

LH_ERROR Rec::Prepare() {
  if (!context || !context_active) return LH_E_NOCONTEXT;
  const std::uint64_t v = context->Version();
  if (v == built_version && decoder->HasGrammar() == !dfa.Empty()) return LH_OK;
  active_starts = context->ActiveStarts();
  dfa = context->network->Build(active_starts);
  std::string error;
  if (!decoder->Load(*context->network, dfa, nullptr, &error)) return LH_E_DECODER;
  built_version = v;
  return LH_OK;
}

bool Rec::Begin() {
  has_result = false;
  result = ResultData{};
  in_utterance = decoder->HasGrammar() && decoder->Start();
  noise_seed = 1;
  return in_utterance;
}

void Rec::Feed(const std::int16_t* samples, std::size_t n) {
  if (!in_utterance) return;
  // A floor of faint noise: digital silence (synthesised speech, a muted
  // line) gives the acoustic model frames unlike anything it was trained on.
  std::int16_t buf[4096];
  while (n > 0) {
    const std::size_t k = std::min<std::size_t>(n, 4096);
    for (std::size_t i = 0; i < k; ++i) {
      noise_seed = noise_seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>((noise_seed >> 16) % 61) - 30;
      buf[i] = static_cast<std::int16_t>(std::clamp(samples[i] + noise, -32768, 32767));
    }
    decoder->Process(buf, k);
    samples += k;
    n -= k;
  }
}

bool Rec::PartialComplete(bool* can_continue, bool* outside) {
  const auto words = decoder->Partial(outside);
  if (outside && *outside) return true;
  auto state = dfa.Walk(words);
  if (!state || words.empty()) return false;
  if (can_continue) *can_continue = dfa.first[*state + 1] > dfa.first[*state];
  return dfa.final[*state] != 0;
}

void Rec::Finish() {
  result = ResultData{};
  has_result = true;
  if (!in_utterance) return;
  in_utterance = false;
  const Decoder::Outcome o = decoder->End();
  if (!o.complete || o.words.empty()) return;
  auto parse = context->network->Parse(o.words, active_starts);
  if (!parse) return;
  result.has_words = true;
  result.start_rule = context->network->Starts()[parse->start_rule].name;
  result.entries = std::move(parse->entries);
  result.confidence =
      o.has_loop && o.frames > 0
          ? ConfidenceFromScores((o.grammar_score - o.loop_score) / o.frames - speech->model.confidence_shift)
          : 10000u;

  result.type = result.confidence >= static_cast<std::uint32_t>(std::max(0, rejection)) ? ASRRES_ACCEPTED
                                                                                         : ASRRES_REJECTED;
  if (result.type == ASRRES_ACCEPTED) GuardAntonyms(o.words, o.frames);
}

void Rec::Abort() {
  if (in_utterance) decoder->Abort();
  in_utterance = false;
  has_result = false;
}

void JumpBack::Push(const std::int16_t* f) {
  if (ring.size() != frame * capacity) ring.assign(frame * capacity, 0);
  const std::size_t slot = (head + count) % capacity;
  std::copy_n(f, frame, ring.begin() + static_cast<std::ptrdiff_t>(slot * frame));
  if (count < capacity)
    ++count;
  else
    head = (head + 1) % capacity;
}

void JumpBack::Drain() {
  for (std::size_t i = 0; i < count; ++i) consumer->Feed(&ring[((head + i) % capacity) * frame], frame);
  Clear();
}

}  // namespace talvane::vocon

using namespace talvane;
using namespace talvane::vocon;

namespace {

LH_OBJECT Null() { return LH_OBJECT{0, 0}; }

template <class T>
LH_ERROR Create(LH_OBJECT hSpeech, LH_OBJECT* out, std::shared_ptr<T>* made = nullptr) {
  if (!out) return LH_E_ARG;
  *out = Null();
  auto speech = Lookup<Speech>(hSpeech);
  if (!speech) return LH_E_HANDLE;
  std::shared_ptr<T> obj;
  try {
    obj = std::make_shared<T>();
  } catch (const std::bad_alloc&) {
    return LH_E_NOMEM;
  }
  if (made) *made = obj;
  *out = Handles().Add(obj);
  return LH_OK;
}

// The audio chain runs source -> front end -> jump-back buffer ->
// recogniser; each link joins a producer to one consumer, and a consumer
// takes one producer.
template <class Producer, class Consumer>
LH_ERROR LinkConsumer(LH_OBJECT hProducer, LH_OBJECT hConsumer, bool Consumer::*linked) {
  auto producer = Lookup<Producer>(hProducer);
  auto consumer = Lookup<Consumer>(hConsumer);
  if (!producer || !consumer) return LH_E_HANDLE;
  if (producer->consumer || (*consumer).*linked) return LH_E_INUSE;
  producer->consumer = consumer;
  (*consumer).*linked = true;
  return LH_OK;
}

template <class Producer, class Consumer>
LH_ERROR ReleaseConsumer(LH_OBJECT hProducer, bool Consumer::*linked) {
  auto producer = Lookup<Producer>(hProducer);
  if (!producer) return LH_E_HANDLE;
  if (!producer->consumer) return LH_E_STATE;
  (*producer->consumer).*linked = false;
  producer->consumer.reset();
  return LH_OK;
}

// A settable parameter of an object: its id, the values it takes, and how
// it is applied (nothing to apply when only one value is accepted).
template <class T>
struct ParamRule {
  std::uint32_t id;
  std::int32_t min, max;
  void (*apply)(T&, std::int32_t);
};

template <class T, std::size_t N>
LH_ERROR SetParams(T& obj, const LH_PARAM_PAIR* list, size_t n, const ParamRule<T> (&rules)[N]) {
  if (!list && n) return LH_E_ARG;
  auto rule = [&](std::uint32_t id) -> const ParamRule<T>* {
    for (const auto& r : rules)
      if (r.id == id) return &r;
    return nullptr;
  };
  // Checked whole before any is applied.
  for (size_t i = 0; i < n; ++i) {
    const auto* r = rule(list[i].id);
    if (!r || list[i].value < r->min || list[i].value > r->max) return LH_E_PARAM;
  }
  for (size_t i = 0; i < n; ++i)
    if (const auto* r = rule(list[i].id); r->apply) r->apply(obj, list[i].value);
  return LH_OK;
}

template <class T>
LH_ERROR Close(LH_OBJECT* h) {
  if (!h) return LH_E_ARG;
  if (!Handles().Remove(*h, T::kKind)) return LH_E_HANDLE;
  *h = Null();
  return LH_OK;
}

std::string RuleKey(std::u16string_view name) {
  std::string s = Utf16ToUtf8(name);
  // Rule lists write names as in the source, in angle brackets.
  auto b = s.find_first_not_of(" \t\r\n");
  auto e = s.find_last_not_of(" \t\r\n");
  s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
  if (s.size() >= 2 && s.front() == '<' && s.back() == '>') s = s.substr(1, s.size() - 2);
  return NameKey(s);
}

LH_ERROR SetRules(LH_OBJECT hGrammar, LH_OBJECT hRec, const LH_WCHAR* const* names, size_t n, bool on) {
  auto grm = Lookup<vocon::Grammar>(hGrammar);
  auto rec = Lookup<Rec>(hRec);
  if (!grm || !rec) return LH_E_HANDLE;
  if (!names && n) return LH_E_ARG;
  if (!rec->context ||
      std::find(rec->context->grammars.begin(), rec->context->grammars.end(), grm) == rec->context->grammars.end())
    return LH_E_NOCONTEXT;
  const auto& g = *grm->grammar;
  std::vector<std::uint32_t> found;
  for (size_t i = 0; i < n; ++i) {
    if (!names[i]) return LH_E_ARG;
    std::u16string_view name(names[i]);
    if (name.size() > 4096) return LH_E_ARG;
    const std::string key = RuleKey(name);
    auto it = std::find_if(g.activatable.begin(), g.activatable.end(),
                           [&](std::uint32_t r) { return RuleKey(Utf8ToUtf16(g.rules[r].name)) == key; });
    if (it == g.activatable.end()) return LH_E_NOTFOUND;
    found.push_back(*it);
  }
  bool changed = false;
  for (auto r : found) {
    changed = changed || (grm->active[r] != 0) != on;
    grm->active[r] = on ? 1 : 0;
  }
  if (changed) ++grm->version;
  return LH_OK;
}

// One recogniser frame through the chain. Sets the finished state and the
// event flags.
LH_ERROR Step(Source& src, Fx& fx, JumpBack& jb, Rec& rec, const std::int16_t* frame, LH_ASR_EVENT& ev) {
  src.work.assign(frame, frame + src.frame);
  const FrontEnd::Frame f = fx.front.Process(src.work);
  ev.samplePosition = src.position;
  src.position += static_cast<std::uint32_t>(src.frame);
  const int ms = static_cast<int>(src.speech->frame_ms);
  if (src.phase == Source::Phase::kListening) {
    ++src.frames_listened;
    jb.Push(src.work.data());
    src.onset_run = f.onset ? src.onset_run + 1 : 0;
    if (fx.front.NoSignal(src.frames_listened)) ev.flags |= ASRAUDIO_EVENT_ABNORMCOND;
    if (src.onset_run >= 4 || !fx.endpointing) {
      if (!rec.Begin()) return LH_E_DECODER;
      jb.Drain();
      src.phase = Source::Phase::kSpeech;
      src.silence_ms = src.speech_ms = 0;
      ev.flags |= ASRAUDIO_EVENT_SPEECH_START;
    } else if (src.frames_listened * ms >= fx.timeout_ms) {
      src.finished = ASRAUDIO_FINISHED_TIMEOUT;
      ev.flags |= ASRAUDIO_EVENT_TIMEOUT;
    }
    return LH_OK;
  }
  rec.Feed(src.work.data(), src.work.size());
  if (f.speech) {
    if (rec.in_utterance) rec.decoder->MarkSpeech();
    src.silence_ms = 0;
    src.speech_ms += ms;
  } else {
    src.silence_ms += ms;
  }
  bool end = src.speech_ms >= fx.max_speech_ms;
  if (!end && fx.endpointing && src.silence_ms >= fx.trailing_ms) end = true;
  // A whole phrase followed by a short silence ends the utterance early;
  // sooner still when nothing could follow it. Speech that so far fits the
  // out-of-grammar loop better than any start of a command will hardly
  // become one by waiting, but the loop also wins for a while over a short
  // word whose last stop is still to be released ("checked"): it ends
  // halfway between the two silences.
  if (!end && fx.endpointing && src.silence_ms >= fx.complete_ms / 2 && src.silence_ms % (2 * ms) == 0) {
    bool can_continue = true, outside = false;
    if (rec.PartialComplete(&can_continue, &outside))
      end = outside ? src.silence_ms >= (fx.complete_ms + fx.trailing_ms) / 2
                    : !can_continue || src.silence_ms >= fx.complete_ms;
  }
  if (end) {
    rec.Finish();
    const FrontEnd::Verdict v = fx.front.EndOfUtterance();
    if (v.requested_gain) ev.flags |= ASRAUDIO_EVENT_GAIN;
    if (v.condition) ev.flags |= ASRAUDIO_EVENT_ABNORMCOND;
    ev.flags |= ASRAUDIO_EVENT_SPEECH_END | ASRAUDIO_EVENT_RESULT;
    src.finished = ASRAUDIO_FINISHED;
  }
  return LH_OK;
}

}  // namespace

extern "C" {

LH_OBJECT spapiGetNullHandle(void) { return Null(); }

const char* lhs_asrErrGetString(LH_ERROR code) {
  switch (code) {
    case LH_OK:
      return "no error";
    case LH_E_ARG:
      return "invalid argument";
    case LH_E_HANDLE:
      return "invalid handle";
    case LH_E_STATE:
      return "not allowed in the current state";
    case LH_E_NOMEM:
      return "out of memory";
    case LH_E_MODEL:
      return "the language model cannot be used";
    case LH_E_FORMAT:
      return "the compiled grammar is damaged or of another version";
    case LH_E_LINK:
      return "the grammars cannot be linked";
    case LH_E_NOTFOUND:
      return "no such activatable rule in the grammar";
    case LH_E_NOCONSUMER:
      return "the audio pipeline is not connected";
    case LH_E_NOCONTEXT:
      return "the recogniser has no active context";
    case LH_E_DECODER:
      return "the decoder failed";
    case LH_E_PARAM:
      return "unknown parameter or value out of range";
    case LH_E_INUSE:
      return "the object is already connected";
    default:
      return "unknown error";
  }
}

// ---- instance ----

LH_ERROR lhs_Initialize(void* pReserved, const void* pModelImage, size_t imageSize, LH_OBJECT* phSpeech) {
  if (!phSpeech) return LH_E_ARG;
  *phSpeech = Null();
  if (pReserved || !pModelImage || imageSize == 0 || imageSize > (1u << 24)) return LH_E_ARG;
  std::error_code ec;
  const auto here = std::filesystem::current_path(ec);
  std::string error;
  auto model = bgm::ParseLanguageModel(std::string_view(static_cast<const char*>(pModelImage), imageSize), here, &error);
  if (!model) return LH_E_MODEL;
  if (!std::filesystem::exists(model->acoustic_model / "mdef", ec)) return LH_E_MODEL;
  auto speech = std::make_shared<Speech>();
  speech->model = std::move(*model);
  if (!speech->model.antonyms.empty() && speech->model.antonym_margin) {
    // No file, no guard: the pairs are an aid, not something to fail on.
    if (auto text = ReadWholeFile(speech->model.antonyms))
      speech->antonyms = std::make_shared<const AntonymPairs>(AntonymPairs::Parse(*text));
  }
  for (const auto& [k, v] : speech->model.decoder)
    if (k == "frate") speech->frame_ms = static_cast<std::uint32_t>(std::max(1, 1000 / std::max(1, std::atoi(v.c_str()))));
  *phSpeech = Handles().Add(speech);
  return LH_OK;
}

LH_ERROR lhs_GetFrequency(LH_OBJECT hSpeech, uint32_t* pHz) {
  auto s = Lookup<Speech>(hSpeech);
  if (!s) return LH_E_HANDLE;
  if (!pHz) return LH_E_ARG;
  *pHz = static_cast<uint32_t>(s->model.sample_rate);
  return LH_OK;
}

LH_ERROR lhs_GetFrameShift(LH_OBJECT hSpeech, uint32_t* pMs) {
  auto s = Lookup<Speech>(hSpeech);
  if (!s) return LH_E_HANDLE;
  if (!pMs) return LH_E_ARG;
  *pMs = s->frame_ms;
  return LH_OK;
}

LH_ERROR lhs_UnInitialize(LH_OBJECT* phSpeech) { return Close<Speech>(phSpeech); }

// ---- pipeline ----

LH_ERROR lhs_asrCreateAudioSource(LH_OBJECT hSpeech, LH_OBJECT* phSource) {
  std::shared_ptr<Source> src;
  LH_ERROR rc = Create<Source>(hSpeech, phSource, &src);
  if (rc == LH_OK) {
    src->speech = Lookup<Speech>(hSpeech);
    src->frame = static_cast<std::size_t>(src->speech->model.sample_rate) * src->speech->frame_ms / 1000;
  }
  return rc;
}

LH_ERROR lhs_asrCreateFx(LH_OBJECT hSpeech, LH_OBJECT* phFx) { return Create<Fx>(hSpeech, phFx); }

LH_ERROR lhs_asrCreateJumpBackBuf(LH_OBJECT hSpeech, LH_OBJECT* phJumpBack) {
  std::shared_ptr<JumpBack> jb;
  LH_ERROR rc = Create<JumpBack>(hSpeech, phJumpBack, &jb);
  if (rc == LH_OK) {
    auto speech = Lookup<Speech>(hSpeech);
    jb->frame = static_cast<std::size_t>(speech->model.sample_rate) * speech->frame_ms / 1000;
    jb->capacity = 300 / speech->frame_ms;  // the speech before its onset was detected
  }
  return rc;
}

LH_ERROR lhs_asrCreateRec(LH_OBJECT hSpeech, LH_OBJECT* phRec) {
  if (!phRec) return LH_E_ARG;
  *phRec = Null();
  auto speech = Lookup<Speech>(hSpeech);
  if (!speech) return LH_E_HANDLE;
  DecoderOptions options;
  options.acoustic_model = speech->model.acoustic_model;
  options.sample_rate = speech->model.sample_rate;
  options.settings = speech->model.decoder;
  options.phones = speech->model.phone_set;
  std::error_code ec;
  // The phone loop's model: inside an adapted model's folder (put there by
  // the adaptation), else beside the model as the package installs it.
  for (const auto& phone_lm : {speech->model.acoustic_model / "phone.lm.bin",
                               std::filesystem::path(speech->model.acoustic_model.string() + "-phone.lm.bin")})
    if (options.phone_lm.empty() && std::filesystem::exists(phone_lm, ec)) options.phone_lm = phone_lm;
  std::string error;
  auto decoder = Decoder::Create(options, &error);
  if (!decoder) return LH_E_MODEL;
  auto rec = std::make_shared<Rec>();
  rec->speech = speech;
  rec->decoder = std::move(decoder);
  *phRec = Handles().Add(rec);
  return LH_OK;
}

LH_ERROR lhs_asrAudioSourceSetConsumer(LH_OBJECT hSource, LH_OBJECT hFx) {
  return LinkConsumer<Source>(hSource, hFx, &Fx::consumer_of_source);
}

LH_ERROR lhs_asrFxSetJumpbackConsumer(LH_OBJECT hFx, LH_OBJECT hJumpBack) {
  return LinkConsumer<Fx>(hFx, hJumpBack, &JumpBack::consumer_of_fx);
}

LH_ERROR lhs_asrJumpBackBufSetConsumer(LH_OBJECT hJumpBack, LH_OBJECT hRec) {
  return LinkConsumer<JumpBack>(hJumpBack, hRec, &Rec::consumer_of_jumpback);
}

LH_ERROR lhs_asrJumpBackBufReleaseConsumer(LH_OBJECT hJumpBack) {
  return ReleaseConsumer<JumpBack>(hJumpBack, &Rec::consumer_of_jumpback);
}

LH_ERROR lhs_asrFxReleaseJumpbackConsumer(LH_OBJECT hFx) {
  return ReleaseConsumer<Fx>(hFx, &JumpBack::consumer_of_fx);
}

LH_ERROR lhs_asrAudioSourceReleaseConsumer(LH_OBJECT hSource) {
  return ReleaseConsumer<Source>(hSource, &Fx::consumer_of_source);
}

LH_ERROR lhs_asrRecClose(LH_OBJECT* phRec) { return Close<Rec>(phRec); }
LH_ERROR lhs_asrJumpBackBufClose(LH_OBJECT* phJumpBack) { return Close<JumpBack>(phJumpBack); }
LH_ERROR lhs_asrFxClose(LH_OBJECT* phFx) { return Close<Fx>(phFx); }
LH_ERROR lhs_asrAudioSourceClose(LH_OBJECT* phSource) { return Close<Source>(phSource); }

// ---- parameters ----

LH_ERROR lhs_asrRecSetAllOptimalValues(LH_OBJECT hRec) {
  auto rec = Lookup<Rec>(hRec);
  if (!rec) return LH_E_HANDLE;
  rec->max_hypotheses = 1;
  rec->complete_only = 1;
  rec->rejection = 3500;
  return LH_OK;
}

LH_ERROR lhs_asrFxSetParamList(LH_OBJECT hFx, const LH_PARAM_PAIR* pList, size_t n) {
  auto fx = Lookup<Fx>(hFx);
  if (!fx) return LH_E_HANDLE;
  static const ParamRule<Fx> kRules[] = {
      {ASRFX_PARAM_ENDPOINTING, 0, 1, [](Fx& f, std::int32_t v) { f.endpointing = v != 0; }},
      {ASRFX_PARAM_AUTOGAIN, 0, 1, [](Fx& f, std::int32_t v) { f.front.settings.auto_gain = v != 0; }},
      {ASRFX_PARAM_NOISE_SUPPRESSION, 0, 0, nullptr},  // accepted off only
      {ASRFX_PARAM_TRAILING_SILENCE, 50, 10000, [](Fx& f, std::int32_t v) { f.trailing_ms = v; }},
      {ASRFX_PARAM_COMPLETE_SILENCE, 50, 10000, [](Fx& f, std::int32_t v) { f.complete_ms = v; }},
      {ASRFX_PARAM_TIMEOUT, 100, 600000, [](Fx& f, std::int32_t v) { f.timeout_ms = v; }},
      {ASRFX_PARAM_MAX_SPEECH, 100, 600000, [](Fx& f, std::int32_t v) { f.max_speech_ms = v; }},
  };
  return SetParams(*fx, pList, n, kRules);
}

LH_ERROR lhs_asrRecSetParamList(LH_OBJECT hRec, const LH_PARAM_PAIR* pList, size_t n) {
  auto rec = Lookup<Rec>(hRec);
  if (!rec) return LH_E_HANDLE;
  static const ParamRule<Rec> kRules[] = {
      {ASRREC_PARAM_MAX_HYPOTHESES, 1, 1, [](Rec& r, std::int32_t v) { r.max_hypotheses = v; }},
      {ASRREC_PARAM_COMPLETE_ONLY, 0, 1, [](Rec& r, std::int32_t v) { r.complete_only = v; }},
      {ASRREC_PARAM_REJECTION, 0, 10000, [](Rec& r, std::int32_t v) { r.rejection = v; }},
  };
  return SetParams(*rec, pList, n, kRules);
}

// ---- grammars ----

LH_ERROR lhs_asrCreateG2P(LH_OBJECT hSpeech, LH_OBJECT* phG2P) {
  std::shared_ptr<G2P> g2p;
  LH_ERROR rc = Create<G2P>(hSpeech, phG2P, &g2p);
  if (rc == LH_OK) g2p->helper = G2PHelper();
  return rc;
}

LH_ERROR lhs_asrCreateLex(LH_OBJECT hSpeech, LH_OBJECT* phLex) {
  std::shared_ptr<Lex> lex;
  LH_ERROR rc = Create<Lex>(hSpeech, phLex, &lex);
  if (rc == LH_OK) Lookup<Speech>(hSpeech)->lexicon = lex;
  return rc;
}

LH_ERROR lhs_asrLexSetG2P(LH_OBJECT hLex, LH_OBJECT hG2P) {
  auto lex = Lookup<Lex>(hLex);
  auto g2p = Lookup<G2P>(hG2P);
  if (!lex || !g2p) return LH_E_HANDLE;
  lex->g2p = g2p;
  return LH_OK;
}

LH_ERROR lhs_asrLexClearG2P(LH_OBJECT hLex) {
  auto lex = Lookup<Lex>(hLex);
  if (!lex) return LH_E_HANDLE;
  lex->g2p.reset();
  return LH_OK;
}

LH_ERROR lhs_asrLexClose(LH_OBJECT* phLex) { return Close<Lex>(phLex); }
LH_ERROR lhs_asrG2PClose(LH_OBJECT* phG2P) { return Close<G2P>(phG2P); }

LH_ERROR lhs_asrCreateGrmFromBinary(LH_OBJECT hSpeech, const void* pImage, uint32_t reserved1, uint32_t reserved2,
                                    LH_OBJECT* phGrammar) {
  if (!phGrammar) return LH_E_ARG;
  *phGrammar = Null();
  auto speech = Lookup<Speech>(hSpeech);
  if (!speech) return LH_E_HANDLE;
  if (!pImage || reserved1 || reserved2) return LH_E_ARG;
  // No length is passed: it is the header's. The magic is compared byte by
  // byte first, so a short image that is no compiled grammar is refused at
  // its first differing byte, before the rest of the header is read.
  const auto* b = static_cast<const char*>(pImage);
  for (std::size_t i = 0; i < bgm::kMagic.size(); ++i)
    if (b[i] != bgm::kMagic[i]) return LH_E_FORMAT;
  const std::uint32_t body = bgm::ReadHeader(std::string_view(b, bgm::kHeaderSize))->body_size;
  if (body > (1u << 30)) return LH_E_FORMAT;
  auto read = bgm::Read(std::string_view(b, bgm::kHeaderSize + static_cast<std::size_t>(body)));
  if (!read.grammar) return LH_E_FORMAT;
  auto grm = std::make_shared<vocon::Grammar>();
  grm->active.assign(read.grammar->rules.size(), 1);
  // The open lexicon's G2P says every word the way both accents do.
  if (auto lex = speech->lexicon.lock(); lex && lex->g2p && !lex->g2p->helper.empty()) {
    std::vector<std::string> words;
    for (const auto& w : read.grammar->words) words.push_back(w.text);
    std::string error;
    if (auto lines = grisk::RunPhonemizer(lex->g2p->helper, words, &error, {"en-us", "en"})) {
      for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& line = (*lines)[i];
        for (std::size_t at = 0; at <= line.size();) {
          std::size_t tab = line.find('\t', at);
          if (tab == std::string::npos) tab = line.size();
          const std::string phones = grisk::IpaToPhones(line.substr(at, tab - at), speech->model.phone_set);
          if (!phones.empty()) grm->variants.emplace_back(words[i], phones);
          at = tab + 1;
        }
      }
    }
  }
  grm->grammar = std::make_shared<const bgm::Grammar>(std::move(*read.grammar));
  *phGrammar = Handles().Add(grm);
  return LH_OK;
}

LH_ERROR lhs_asrGrmClose(LH_OBJECT* phGrammar) { return Close<vocon::Grammar>(phGrammar); }

// ---- context ----

LH_ERROR lhs_asrCreateCtxFromGrammarHandles(LH_OBJECT hSpeech, const LH_OBJECT* pGrammars, size_t count,
                                            const void* reserved1, const void* reserved2, uint32_t reserved3,
                                            LH_OBJECT* phContext) {
  if (!phContext) return LH_E_ARG;
  *phContext = Null();
  if (!Lookup<Speech>(hSpeech)) return LH_E_HANDLE;
  if (!pGrammars || count == 0 || count > 4096 || reserved1 || reserved2 || reserved3) return LH_E_ARG;
  auto ctx = std::make_shared<Context>();
  std::vector<std::shared_ptr<const bgm::Grammar>> parts;
  for (size_t i = 0; i < count; ++i) {
    auto g = Lookup<vocon::Grammar>(pGrammars[i]);
    if (!g) return LH_E_HANDLE;
    ctx->grammars.push_back(g);
    parts.push_back(g->grammar);
  }
  std::string error;
  auto net = Network::Link(parts, &error);
  if (!net) return LH_E_LINK;
  for (const auto& g : ctx->grammars)
    for (const auto& [word, phones] : g->variants)
      if (auto id = net->WordId(word)) net->AddPronunciation(*id, phones);
  ctx->network = std::move(net);
  *phContext = Handles().Add(ctx);
  return LH_OK;
}

LH_ERROR lhs_asrRecLoadContext(LH_OBJECT hRec, LH_OBJECT hContext, LH_BOOL bActivate, uint32_t dynprog,
                               void* pReserved) {
  auto rec = Lookup<Rec>(hRec);
  auto ctx = Lookup<Context>(hContext);
  if (!rec || !ctx) return LH_E_HANDLE;
  if (pReserved || dynprog != ASRREC_DYNPROG_AUTOMATIC) return LH_E_ARG;
  if (rec->in_utterance) return LH_E_STATE;
  rec->context = ctx;
  rec->context_active = false;
  rec->built_version = ~0ull;
  if (bActivate) {
    // The network is built now, so the first recognition starts at once.
    rec->context_active = true;
    const LH_ERROR rc = rec->Prepare();
    if (rc != LH_OK) {
      rec->context.reset();
      rec->context_active = false;
      return rc;
    }
  }
  return LH_OK;
}

LH_ERROR lhs_asrCtxActivate(LH_OBJECT hContext, LH_OBJECT hRec) {
  auto rec = Lookup<Rec>(hRec);
  auto ctx = Lookup<Context>(hContext);
  if (!rec || !ctx) return LH_E_HANDLE;
  if (rec->context != ctx) return LH_E_NOCONTEXT;
  rec->context_active = true;
  return rec->Prepare();
}

LH_ERROR lhs_asrRecUnloadContext(LH_OBJECT hRec) {
  auto rec = Lookup<Rec>(hRec);
  if (!rec) return LH_E_HANDLE;
  if (!rec->context) return LH_E_NOCONTEXT;
  rec->Abort();
  rec->context.reset();
  rec->context_active = false;
  rec->built_version = ~0ull;
  return LH_OK;
}

LH_ERROR lhs_asrCtxClose(LH_OBJECT* phContext) { return Close<Context>(phContext); }

// ---- rules ----

LH_ERROR lhs_asrGrmActivateRules(LH_OBJECT hGrammar, LH_OBJECT hRec, const LH_WCHAR* const* pRuleNames, size_t n) {
  return SetRules(hGrammar, hRec, pRuleNames, n, true);
}

LH_ERROR lhs_asrGrmDeactivateRules(LH_OBJECT hGrammar, LH_OBJECT hRec, const LH_WCHAR* const* pRuleNames,
                                   size_t n) {
  return SetRules(hGrammar, hRec, pRuleNames, n, false);
}

// ---- audio ----

LH_ERROR lhs_asrAudioSourceGetFrameSize(LH_OBJECT hSource, uint32_t* pBytes) {
  auto src = Lookup<Source>(hSource);
  if (!src) return LH_E_HANDLE;
  if (!pBytes) return LH_E_ARG;
  *pBytes = static_cast<uint32_t>(src->frame * sizeof(std::int16_t));
  return LH_OK;
}

LH_ERROR lhs_asrAudioSourceStart(LH_OBJECT hSource) {
  auto src = Lookup<Source>(hSource);
  if (!src) return LH_E_HANDLE;
  if (!src->consumer || !src->consumer->consumer || !src->consumer->consumer->consumer) return LH_E_NOCONSUMER;
  Fx& fx = *src->consumer;
  JumpBack& jb = *fx.consumer;
  Rec& rec = *jb.consumer;
  // Rules switched since the last recognition change the network now.
  if (LH_ERROR rc = rec.Prepare(); rc != LH_OK) return rc;
  rec.Abort();
  jb.Clear();
  fx.front.Reset();
  src->break_requested = false;
  src->started = true;
  src->finished = 0;
  src->phase = Source::Phase::kListening;
  src->supplied = nullptr;
  src->supplied_count = src->supplied_at = 0;
  src->carry.clear();
  src->position = 0;
  src->frames_listened = src->silence_ms = src->speech_ms = src->onset_run = 0;
  return LH_OK;
}

LH_ERROR lhs_asrAudioSourceBreak(LH_OBJECT hSource) {
  auto src = Lookup<Source>(hSource);
  if (!src) return LH_E_HANDLE;
  src->break_requested = true;
  return LH_OK;
}

LH_ERROR lhs_asrAudioSourceSupplyData(LH_OBJECT hSource, const void* pSamples, uint32_t bytes) {
  auto src = Lookup<Source>(hSource);
  if (!src) return LH_E_HANDLE;
  if ((!pSamples && bytes) || bytes % 2) return LH_E_ARG;
  if (!src->started) return LH_E_STATE;
  if (src->supplied_at < src->supplied_count) return LH_E_STATE;  // the last block is not used up
  src->supplied = static_cast<const std::int16_t*>(pSamples);
  src->supplied_count = bytes / 2;
  src->supplied_at = 0;
  return LH_OK;
}

LH_ERROR lhs_asrAudioSourceAdvance(LH_OBJECT hSource, LH_ASR_EVENT* pEvent, uint32_t* pFinished,
                                   LH_BOOL* pbNoMoreData) {
  auto src = Lookup<Source>(hSource);
  if (!src) return LH_E_HANDLE;
  if (!pEvent || !pFinished || !pbNoMoreData) return LH_E_ARG;
  *pEvent = LH_ASR_EVENT{};
  *pFinished = 0;
  *pbNoMoreData = LH_FALSE;
  if (!src->started) return LH_E_STATE;
  if (!src->consumer || !src->consumer->consumer || !src->consumer->consumer->consumer) return LH_E_NOCONSUMER;
  Fx& fx = *src->consumer;
  JumpBack& jb = *fx.consumer;
  Rec& rec = *jb.consumer;
  if (!src->finished && src->break_requested.exchange(false)) {
    rec.Abort();
    src->finished = ASRAUDIO_FINISHED;
  }
  if (src->finished) {
    *pFinished = src->finished;
    *pbNoMoreData = LH_TRUE;
    src->supplied_at = src->supplied_count;
    return LH_OK;
  }
  // The next recogniser frame: what was carried over, then the block.
  const std::int16_t* frame = nullptr;
  if (src->carry.empty() && src->supplied_count - src->supplied_at >= src->frame) {
    frame = src->supplied + src->supplied_at;
    src->supplied_at += src->frame;
  } else {
    const std::size_t need = src->frame - src->carry.size();
    const std::size_t take = std::min(need, src->supplied_count - src->supplied_at);
    src->carry.insert(src->carry.end(), src->supplied + src->supplied_at, src->supplied + src->supplied_at + take);
    src->supplied_at += take;
    if (src->carry.size() < src->frame) {
      *pbNoMoreData = LH_TRUE;
      return LH_OK;
    }
  }
  std::vector<std::int16_t> carried;
  if (!frame) {
    carried.swap(src->carry);
    frame = carried.data();
  }
  const LH_ERROR rc = Step(*src, fx, jb, rec, frame, *pEvent);
  *pFinished = src->finished;
  if (src->finished) src->supplied_at = src->supplied_count;
  if (src->supplied_at >= src->supplied_count) *pbNoMoreData = LH_TRUE;
  return rc;
}

// ---- results ----

LH_ERROR lhs_asrRecCreateResult(LH_OBJECT hRec, LH_OBJECT* phResult) {
  if (!phResult) return LH_E_ARG;
  *phResult = Null();
  auto rec = Lookup<Rec>(hRec);
  if (!rec) return LH_E_HANDLE;
  if (!rec->has_result) return LH_E_STATE;
  auto res = std::make_shared<Result>();
  res->data = rec->result;
  res->start_rule = Utf8ToUtf16(res->data.start_rule);
  for (const auto& e : res->data.entries) res->texts.push_back(Utf8ToUtf16(e.text));
  for (std::size_t i = 0; i < res->data.entries.size(); ++i)
    res->entries.push_back({res->texts[i].c_str(), res->data.entries[i].ignore ? 1u : 0u,
                            res->data.entries[i].tag ? 1u : 0u});
  res->info.conf = res->data.confidence;
  res->info.szStartRule = res->start_rule.c_str();
  res->info.nEntries = res->entries.size();
  res->info.pEntries = res->entries.data();
  *phResult = Handles().Add(res);
  return LH_OK;
}

LH_ERROR lhs_asrResGetType(LH_OBJECT hResult, uint32_t* pType) {
  auto res = Lookup<Result>(hResult);
  if (!res) return LH_E_HANDLE;
  if (!pType) return LH_E_ARG;
  *pType = res->data.type;
  return LH_OK;
}

LH_ERROR lhs_asrResGetNbrOfUtterances(LH_OBJECT hResult, size_t* pCount) {
  auto res = Lookup<Result>(hResult);
  if (!res) return LH_E_HANDLE;
  if (!pCount) return LH_E_ARG;
  *pCount = res->data.has_words ? 1 : 0;
  return LH_OK;
}

LH_ERROR lhs_asrResGetInfo(LH_OBJECT hResult, size_t index, const LH_ASR_RESULT_INFO** ppInfo) {
  auto res = Lookup<Result>(hResult);
  if (!res) return LH_E_HANDLE;
  if (!ppInfo) return LH_E_ARG;
  *ppInfo = nullptr;
  if (!res->data.has_words || index != 0) return LH_E_ARG;
  // Valid until the result is closed; the handle table keeps the object.
  *ppInfo = &res->info;
  return LH_OK;
}

LH_ERROR lhs_asrResClose(LH_OBJECT* phResult) { return Close<Result>(phResult); }

// ---- gain and conditions ----

LH_ERROR lhs_asrFxGetRequestedGain(LH_OBJECT hFx, uint16_t* pGain) {
  auto fx = Lookup<Fx>(hFx);
  if (!fx) return LH_E_HANDLE;
  if (!pGain) return LH_E_ARG;
  *pGain = fx->front.RequestedGain();
  return LH_OK;
}

LH_ERROR lhs_asrFxSetGain(LH_OBJECT hFx, uint16_t gain) {
  auto fx = Lookup<Fx>(hFx);
  if (!fx) return LH_E_HANDLE;
  if (gain == 0) return LH_E_ARG;
  fx->front.SetGain(gain);
  return LH_OK;
}

LH_ERROR lhs_asrFxGetAbnormCondition(LH_OBJECT hFx, uint32_t* pCondition) {
  auto fx = Lookup<Fx>(hFx);
  if (!fx) return LH_E_HANDLE;
  if (!pCondition) return LH_E_ARG;
  *pCondition = fx->front.Condition();
  return LH_OK;
}

}  // extern "C"
