#include "quarrowr/engine_speech.h"

#include <memory>
#include <vector>

#include "common/text.h"
#include "kelo/kelo.h"

namespace talvane::quarrowr {

namespace {

std::int32_t Send(OutsideLibraries& libs, std::int32_t code, char16_t* buffer = nullptr,
                  std::uint32_t* confidence = nullptr) {
  SREC_COMMAND_OBJECT record{code, 0, buffer};
  const std::int32_t rc = libs.fnOndrixDLL_Call(&record);
  if (confidence) *confidence = record.CmdConfidence;
  return rc;
}

}  // namespace

bool EngineSpeech::Start(std::string& why) {
  libs_.SpeechLibrariesReady = true;
  if (!keloStarted_) keloStarted_ = libs_.fnKELOspeak_Call(KELO_INITIALISE, 0, 0, 0, "0") == KELO_OK;
  std::int32_t rc = Send(libs_, SR_INIT);
  if (rc == SR_WRONG_STATE) {  // left running by a recognition that failed half-way
    Send(libs_, SR_TERMINATE);
    rc = Send(libs_, SR_INIT);
  }
  if (rc != SR_OK) why = "the recognition engine could not be started (" + std::to_string(rc) + ")";
  return rc == SR_OK;
}

// The jobs hold the libraries, not this object: a job still queued or
// running when the module ends outlives it, while the libraries own the
// speech thread and end it first.
void EngineSpeech::Recognize(std::function<void(Recognition)> done) {
  libs_.Speech().Post(
      [&libs = libs_] {
        std::vector<char16_t> buffer(SR_AGGREGATE_SIZE, u'\0');
        Recognition r;
        r.result = Send(libs, SR_RECOGNIZE, buffer.data(), &r.confidence);
        r.text = Trim(Utf16ToCp1252(buffer.data()));
        return r;
      },
      [post = post_, done = std::move(done)](std::future<Recognition> result) {
        Recognition r;
        try {
          r = result.get();
        } catch (const std::exception&) {
          r.result = SR_FAILED;
        }
        post([done, r] { done(r); });
      });
}

void EngineSpeech::SwitchResponses(const std::vector<std::string>& rules) {
  // The engine switches its whole list of responses at once; the checklist
  // flow accepts only the step's own, so a response of another step is
  // heard as invalid rather than taken.
  const std::int32_t code = rules.empty() ? SR_DEACTIVATE_RULES : SR_ACTIVATE_RULES;
  libs_.Speech().Post([&libs = libs_, code] { return Send(libs, code); });
}

void EngineSpeech::Speak(int voice, std::string_view text) {
  libs_.Speech().Post([&libs = libs_, voice, said = std::string(text)] {
    if (libs.fnKELOspeak_Call(KELO_SPEAK, voice, 100, 50, said) == KELO_OK)
      libs.fnKELOspeak_Call(KELO_WAIT, 0, kSpeechWaitMs, 0, "0");
    return 0;
  });
}

void EngineSpeech::Stop() { libs_.OndrixTerminateNow(); }

}  // namespace talvane::quarrowr
