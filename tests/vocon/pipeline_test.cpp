// The recogniser's audio chain and parameter lists through its C calls: a
// link takes one producer and one consumer, and a parameter list is checked
// whole before any of it is applied.
#include <gtest/gtest.h>

#include <string>

#include "vocon/vocon3200.h"

namespace {

class vocon_Pipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string model =
        "format = talvane-language-model 1\n"
        "acoustic_model = /usr/share/pocketsphinx/model/en-us/en-us\n"
        "dictionary = /usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict\n"
        "phone_set = AA B\n";
    ASSERT_EQ(lhs_Initialize(nullptr, model.data(), model.size(), &speech_), LH_OK);
  }
  void TearDown() override { lhs_UnInitialize(&speech_); }
  LH_OBJECT speech_{};
};

TEST_F(vocon_Pipeline, EachLinkJoinsOneProducerToOneConsumer) {
  LH_OBJECT source, source2, fx, fx2, jb;
  ASSERT_EQ(lhs_asrCreateAudioSource(speech_, &source), LH_OK);
  ASSERT_EQ(lhs_asrCreateAudioSource(speech_, &source2), LH_OK);
  ASSERT_EQ(lhs_asrCreateFx(speech_, &fx), LH_OK);
  ASSERT_EQ(lhs_asrCreateFx(speech_, &fx2), LH_OK);
  ASSERT_EQ(lhs_asrCreateJumpBackBuf(speech_, &jb), LH_OK);

  EXPECT_EQ(lhs_asrAudioSourceReleaseConsumer(source), LH_E_STATE);  // nothing linked yet
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(source, fx), LH_OK);
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(source, fx2), LH_E_INUSE);   // the source has its consumer
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(source2, fx), LH_E_INUSE);   // the front end has its source
  EXPECT_EQ(lhs_asrFxSetJumpbackConsumer(fx, jb), LH_OK);
  EXPECT_EQ(lhs_asrFxSetJumpbackConsumer(fx2, jb), LH_E_INUSE);
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(fx, source), LH_E_HANDLE);  // a handle of another kind
  EXPECT_EQ(lhs_asrJumpBackBufSetConsumer(jb, fx), LH_E_HANDLE);

  // Released, both ends are free again.
  EXPECT_EQ(lhs_asrAudioSourceReleaseConsumer(source), LH_OK);
  EXPECT_EQ(lhs_asrAudioSourceReleaseConsumer(source), LH_E_STATE);
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(source2, fx), LH_OK);
  EXPECT_EQ(lhs_asrAudioSourceSetConsumer(source, fx2), LH_OK);
  EXPECT_EQ(lhs_asrFxReleaseJumpbackConsumer(fx), LH_OK);
  EXPECT_EQ(lhs_asrFxSetJumpbackConsumer(fx2, jb), LH_OK);
  EXPECT_EQ(lhs_asrJumpBackBufReleaseConsumer(jb), LH_E_STATE);

  for (LH_OBJECT* h : {&source, &source2}) EXPECT_EQ(lhs_asrAudioSourceClose(h), LH_OK);
  for (LH_OBJECT* h : {&fx, &fx2}) EXPECT_EQ(lhs_asrFxClose(h), LH_OK);
  EXPECT_EQ(lhs_asrJumpBackBufClose(&jb), LH_OK);
}

TEST_F(vocon_Pipeline, ParameterListsAreCheckedWhole) {
  LH_OBJECT fx;
  ASSERT_EQ(lhs_asrCreateFx(speech_, &fx), LH_OK);
  // Every bound accepted.
  const LH_PARAM_PAIR edges[] = {{ASRFX_PARAM_ENDPOINTING, 0},        {ASRFX_PARAM_AUTOGAIN, 1},
                                 {ASRFX_PARAM_NOISE_SUPPRESSION, 0},  {ASRFX_PARAM_TRAILING_SILENCE, 50},
                                 {ASRFX_PARAM_COMPLETE_SILENCE, 10000}, {ASRFX_PARAM_TIMEOUT, 100},
                                 {ASRFX_PARAM_MAX_SPEECH, 600000}};
  EXPECT_EQ(lhs_asrFxSetParamList(fx, edges, 7), LH_OK);
  // One value out of range, or an unknown id, refuses the whole list.
  for (const LH_PARAM_PAIR bad : {LH_PARAM_PAIR{ASRFX_PARAM_ENDPOINTING, 2}, LH_PARAM_PAIR{ASRFX_PARAM_NOISE_SUPPRESSION, 1},
                                  LH_PARAM_PAIR{ASRFX_PARAM_TRAILING_SILENCE, 49},
                                  LH_PARAM_PAIR{ASRFX_PARAM_MAX_SPEECH, 600001}, LH_PARAM_PAIR{999, 0},
                                  LH_PARAM_PAIR{ASRREC_PARAM_COMPLETE_ONLY, 1}}) {
    const LH_PARAM_PAIR list[] = {{ASRFX_PARAM_TIMEOUT, 1000}, bad};
    EXPECT_EQ(lhs_asrFxSetParamList(fx, list, 2), LH_E_PARAM) << bad.id << " " << bad.value;
  }
  EXPECT_EQ(lhs_asrFxSetParamList(fx, nullptr, 1), LH_E_ARG);
  EXPECT_EQ(lhs_asrFxSetParamList(fx, nullptr, 0), LH_OK);
  EXPECT_EQ(lhs_asrRecSetParamList(fx, edges, 1), LH_E_HANDLE);
  EXPECT_EQ(lhs_asrFxClose(&fx), LH_OK);
}

}  // namespace
