/* The recogniser interface the engine library is written against: the
 * lhs_* calls, their handles, codes, events and result records. The layer
 * under it is ours (src/vocon) over PocketSphinx; docs/engine.md describes
 * how it recognises.
 *
 * Handles are 64-bit (two 32-bit words); a handle is absent when both words
 * are zero. Every call returns LH_OK (0) or an LH_E_ code; the close calls
 * take the address of a handle and clear it. Calls on one object come from
 * one thread at a time, except lhs_asrAudioSourceBreak, which any thread
 * may call while another thread advances the source.
 */
#ifndef TALVANE_VOCON3200_H
#define TALVANE_VOCON3200_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t LH_ERROR;
typedef uint32_t LH_BOOL;
typedef char16_t LH_WCHAR; /* UTF-16 code unit */

#define LH_TRUE 1u
#define LH_FALSE 0u

typedef struct {
  uint32_t pObj;   /* slot of the object, from 1 */
  uint32_t pStamp; /* its serial number: a closed object's handle goes stale */
} LH_OBJECT;

typedef struct {
  uint32_t id;
  int32_t value;
} LH_PARAM_PAIR;

enum {
  LH_OK = 0,
  LH_E_ARG = 1,         /* a null pointer or a value out of range */
  LH_E_HANDLE = 2,      /* a null, stale or wrong kind of handle */
  LH_E_STATE = 3,       /* not allowed now (not started, nothing to report...) */
  LH_E_NOMEM = 4,
  LH_E_MODEL = 5,       /* the language model image or the model it names cannot be used */
  LH_E_FORMAT = 6,      /* a compiled grammar is damaged or of another version */
  LH_E_LINK = 7,        /* the grammars do not link: an import nobody exports, ... */
  LH_E_NOTFOUND = 8,    /* a rule name the grammar does not have as an activatable rule */
  LH_E_NOCONSUMER = 9,  /* the pipeline is not chained up to a recogniser */
  LH_E_NOCONTEXT = 10,  /* the recogniser has no active context */
  LH_E_DECODER = 11,    /* the decoder failed */
  LH_E_PARAM = 12,      /* an unknown parameter identifier or a value out of its range */
  LH_E_INUSE = 13       /* the object is already a consumer of another */
};

/* Audio source events: the first word of LH_ASR_EVENT. */
enum {
  ASRAUDIO_EVENT_SPEECH_START = 0x01,
  ASRAUDIO_EVENT_SPEECH_END = 0x02,
  ASRAUDIO_EVENT_TIMEOUT = 0x04,
  ASRAUDIO_EVENT_RESULT = 0x08,
  ASRAUDIO_EVENT_GAIN = 0x10,
  ASRAUDIO_EVENT_ABNORMCOND = 0x20
};

typedef struct {
  uint32_t flags;
  uint32_t samplePosition; /* of the frame the event belongs to, from the start of the source */
  uint32_t reserved[2];
} LH_ASR_EVENT;

/* Finished states of lhs_asrAudioSourceAdvance. */
enum { ASRAUDIO_NOT_FINISHED = 0, ASRAUDIO_FINISHED = 1, ASRAUDIO_FINISHED_BREAK = 2, ASRAUDIO_FINISHED_TIMEOUT = 3 };

/* Abnormal conditions of the front end. */
enum { ASRFX_BADSNR = 0, ASRFX_OVERLOAD = 1, ASRFX_TOOQUIET = 2, ASRFX_NOSIGNAL = 3, ASRFX_POORMIC = 4 };

/* Result types. */
enum { ASRRES_ACCEPTED = 0, ASRRES_REJECTED = 1 };

#define ASRREC_DYNPROG_AUTOMATIC 0u

/* Front-end parameters (lhs_asrFxSetParamList): */
enum {
  ASRFX_PARAM_ENDPOINTING = 0,     /* 1: the audio source ends utterances itself (default 1) */
  ASRFX_PARAM_AUTOGAIN = 1,        /* 1: raise gain requests from the speech level (default 1) */
  ASRFX_PARAM_TRAILING_SILENCE = 6, /* ms of silence that end an utterance whose words are not
                                       yet a whole phrase (default 500) */
  ASRFX_PARAM_NOISE_SUPPRESSION = 7, /* 0 only: none */
  ASRFX_PARAM_COMPLETE_SILENCE = 8, /* ms of silence that end an utterance whose words already
                                       make a whole phrase (default 180) */
  ASRFX_PARAM_TIMEOUT = 9,         /* ms without speech before the source gives up (default 5000) */
  ASRFX_PARAM_MAX_SPEECH = 10      /* ms of speech at most in one utterance (default 15000) */
};

/* Recogniser parameters (lhs_asrRecSetParamList): */
enum {
  ASRREC_PARAM_MAX_HYPOTHESES = 0, /* hypotheses per result, 1 only (default 1) */
  ASRREC_PARAM_COMPLETE_ONLY = 4,  /* 1: only whole phrases are results (default 1) */
  ASRREC_PARAM_REJECTION = 10      /* confidence below which a result is rejected, 0-10000 (default 3500) */
};

/* One entry of a result: a spoken word or a tag. */
typedef struct {
  const LH_WCHAR* szWord; /* zero-terminated */
  uint32_t bIgnore;       /* 1: inside an ignore group */
  uint32_t bTag;          /* 1: an action tag */
} LH_ASR_WORD_ENTRY;

typedef struct {
  uint32_t conf;               /* 0-10000 */
  const LH_WCHAR* szStartRule; /* the start rule the words matched, zero-terminated */
  size_t nEntries;
  const LH_ASR_WORD_ENTRY* pEntries;
} LH_ASR_RESULT_INFO;

/* Audio-in device. */
typedef void* LH_AUDIOIN_HANDLE;
#define WAVE_MAPPER 0xFFFFFFFFu
enum {
  AUDIOIN_OK = 0,
  AUDIOIN_TIMEOUT = 1,
  AUDIOIN_HIGHWATERMARK = 2,
  AUDIOIN_FIFOOVERRUN = 3,
  AUDIOIN_FLUSHED = 4,
  AUDIOIN_HWOVERRUN = 5
};
enum {
  LHAUDIOIN_OK = 0,
  LHAUDIOIN_E_ARG = 1,
  LHAUDIOIN_E_NODEVICE = 2, /* no capture device, and AUDIOIN_WAV names no file */
  LHAUDIOIN_E_FILE = 3,     /* AUDIOIN_WAV names a file that is not a readable WAV */
  LHAUDIOIN_E_STATE = 4,
  LHAUDIOIN_E_DEVICE = 5    /* the capture device failed */
};

/* ---- instance ---- */
LH_OBJECT spapiGetNullHandle(void);
LH_ERROR lhs_Initialize(void* pReserved, const void* pModelImage, size_t imageSize, LH_OBJECT* phSpeech);
LH_ERROR lhs_GetFrequency(LH_OBJECT hSpeech, uint32_t* pHz);
LH_ERROR lhs_GetFrameShift(LH_OBJECT hSpeech, uint32_t* pMs);
LH_ERROR lhs_UnInitialize(LH_OBJECT* phSpeech);
const char* lhs_asrErrGetString(LH_ERROR code);

/* ---- pipeline ---- */
LH_ERROR lhs_asrCreateAudioSource(LH_OBJECT hSpeech, LH_OBJECT* phSource);
LH_ERROR lhs_asrCreateFx(LH_OBJECT hSpeech, LH_OBJECT* phFx);
LH_ERROR lhs_asrCreateJumpBackBuf(LH_OBJECT hSpeech, LH_OBJECT* phJumpBack);
LH_ERROR lhs_asrCreateRec(LH_OBJECT hSpeech, LH_OBJECT* phRec);
LH_ERROR lhs_asrAudioSourceSetConsumer(LH_OBJECT hSource, LH_OBJECT hFx);
LH_ERROR lhs_asrFxSetJumpbackConsumer(LH_OBJECT hFx, LH_OBJECT hJumpBack);
LH_ERROR lhs_asrJumpBackBufSetConsumer(LH_OBJECT hJumpBack, LH_OBJECT hRec);
LH_ERROR lhs_asrJumpBackBufReleaseConsumer(LH_OBJECT hJumpBack);
LH_ERROR lhs_asrFxReleaseJumpbackConsumer(LH_OBJECT hFx);
LH_ERROR lhs_asrAudioSourceReleaseConsumer(LH_OBJECT hSource);
LH_ERROR lhs_asrRecClose(LH_OBJECT* phRec);
LH_ERROR lhs_asrJumpBackBufClose(LH_OBJECT* phJumpBack);
LH_ERROR lhs_asrFxClose(LH_OBJECT* phFx);
LH_ERROR lhs_asrAudioSourceClose(LH_OBJECT* phSource);

/* ---- parameters ---- */
LH_ERROR lhs_asrRecSetAllOptimalValues(LH_OBJECT hRec);
LH_ERROR lhs_asrFxSetParamList(LH_OBJECT hFx, const LH_PARAM_PAIR* pList, size_t n);
LH_ERROR lhs_asrRecSetParamList(LH_OBJECT hRec, const LH_PARAM_PAIR* pList, size_t n);

/* ---- grammars ---- */
LH_ERROR lhs_asrCreateG2P(LH_OBJECT hSpeech, LH_OBJECT* phG2P);
LH_ERROR lhs_asrCreateLex(LH_OBJECT hSpeech, LH_OBJECT* phLex);
LH_ERROR lhs_asrLexSetG2P(LH_OBJECT hLex, LH_OBJECT hG2P);
LH_ERROR lhs_asrLexClearG2P(LH_OBJECT hLex);
LH_ERROR lhs_asrLexClose(LH_OBJECT* phLex);
LH_ERROR lhs_asrG2PClose(LH_OBJECT* phG2P);
/* The image must hold a whole compiled grammar: its length is read from its
 * own header. Both reserved words must be zero. While a lexicon with a
 * grapheme-to-phoneme object attached is open on the instance, the
 * grammar's words also get that object's pronunciations. */
LH_ERROR lhs_asrCreateGrmFromBinary(LH_OBJECT hSpeech, const void* pImage, uint32_t reserved1, uint32_t reserved2,
                                    LH_OBJECT* phGrammar);
LH_ERROR lhs_asrGrmClose(LH_OBJECT* phGrammar);

/* ---- context ---- */
LH_ERROR lhs_asrCreateCtxFromGrammarHandles(LH_OBJECT hSpeech, const LH_OBJECT* pGrammars, size_t count,
                                            const void* reserved1, const void* reserved2, uint32_t reserved3,
                                            LH_OBJECT* phContext);
LH_ERROR lhs_asrRecLoadContext(LH_OBJECT hRec, LH_OBJECT hContext, LH_BOOL bActivate, uint32_t dynprog,
                               void* pReserved);
LH_ERROR lhs_asrCtxActivate(LH_OBJECT hContext, LH_OBJECT hRec);
LH_ERROR lhs_asrRecUnloadContext(LH_OBJECT hRec);
LH_ERROR lhs_asrCtxClose(LH_OBJECT* phContext);

/* ---- rules ---- */
LH_ERROR lhs_asrGrmActivateRules(LH_OBJECT hGrammar, LH_OBJECT hRec, const LH_WCHAR* const* pRuleNames, size_t n);
LH_ERROR lhs_asrGrmDeactivateRules(LH_OBJECT hGrammar, LH_OBJECT hRec, const LH_WCHAR* const* pRuleNames, size_t n);

/* ---- audio ---- */
LH_ERROR lhs_asrAudioSourceGetFrameSize(LH_OBJECT hSource, uint32_t* pBytes);
LH_ERROR lhs_asrAudioSourceStart(LH_OBJECT hSource);
LH_ERROR lhs_asrAudioSourceBreak(LH_OBJECT hSource);
/* The samples are used in place until *pbNoMoreData is set. */
LH_ERROR lhs_asrAudioSourceSupplyData(LH_OBJECT hSource, const void* pSamples, uint32_t bytes);
LH_ERROR lhs_asrAudioSourceAdvance(LH_OBJECT hSource, LH_ASR_EVENT* pEvent, uint32_t* pFinished,
                                   LH_BOOL* pbNoMoreData);

/* ---- results ---- */
LH_ERROR lhs_asrRecCreateResult(LH_OBJECT hRec, LH_OBJECT* phResult);
LH_ERROR lhs_asrResGetType(LH_OBJECT hResult, uint32_t* pType);
LH_ERROR lhs_asrResGetNbrOfUtterances(LH_OBJECT hResult, size_t* pCount);
LH_ERROR lhs_asrResGetInfo(LH_OBJECT hResult, size_t index, const LH_ASR_RESULT_INFO** ppInfo);
LH_ERROR lhs_asrResClose(LH_OBJECT* phResult);

/* ---- gain and conditions ---- */
/* Gain in percent of the signal as captured: 100 leaves it as it is. */
LH_ERROR lhs_asrFxGetRequestedGain(LH_OBJECT hFx, uint16_t* pGain);
LH_ERROR lhs_asrFxSetGain(LH_OBJECT hFx, uint16_t gain);
LH_ERROR lhs_asrFxGetAbnormCondition(LH_OBJECT hFx, uint32_t* pCondition);

/* ---- audio-in device ----
 * Captures 16-bit mono audio from the default ALSA device. When the
 * environment variable AUDIOIN_WAV names a file at lhs_audioinOpen, frames
 * come from that file instead (read again at every lhs_audioinStart,
 * converted to the rate asked for), followed by silence; no sound card is
 * needed then. A name ending in ".lst" is a list of WAV files, one a line:
 * each start plays the next, and silence after the last. */
LH_ERROR lhs_audioinOpen(uint32_t deviceId, uint32_t hz, LH_AUDIOIN_HANDLE* phDevice);
LH_ERROR lhs_audioinStart(LH_AUDIOIN_HANDLE hDevice);
LH_ERROR lhs_audioinStop(LH_AUDIOIN_HANDLE hDevice);
/* *pSampleCount: in, the samples wanted; out, the samples in *ppBuffer. The
 * buffer is lent until lhs_audioinReturnFrame. */
LH_ERROR lhs_audioinGetFrame(LH_AUDIOIN_HANDLE hDevice, uint32_t* pSampleCount, int16_t** ppBuffer,
                             uint32_t* pStatus);
LH_ERROR lhs_audioinReturnFrame(LH_AUDIOIN_HANDLE hDevice, int16_t* pBuffer);
LH_ERROR lhs_audioinClose(LH_AUDIOIN_HANDLE* phDevice);
const char* lhs_audioinErrorGetString(LH_ERROR code);

#ifdef __cplusplus
}
#endif

#endif
